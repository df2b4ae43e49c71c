// quillfeather-wksim: a WinKeyer on a pseudo-terminal for operating without hardware.
// Prints the port to give the logger, then shows what the logger sends and what the
// keyer answers. Commands on standard input: "knob NN", "paddle" (a short touch),
// "raw N N ..." (bytes to the logger), "unplug", "quit"; in practice also "score".
// Ctrl+C ends it. With --practice a pileup answers the operator's CQ, heard through
// the sound card (or written to a WAV file), and the session is scored at the end.
#include "aids/CallHistory.h"
#include "aids/MasterScp.h"
#include "keyer/sim/PracticeLog.h"
#include "keyer/sim/PracticeScore.h"
#include "keyer/sim/PracticeStation.h"
#include "keyer/sim/SoundCard.h"
#include "keyer/sim/WavFile.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/FileWrite.h"
#include "settings/ProfileFile.h"
#include "settings/ProgramFolder.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int) { interrupted = 1; }

void usage()
{
    std::printf(
        "usage: quillfeather-wksim [--fast] [--quiet] [--ini FILE] [--practice [practice options]]\n"
        "  --fast      key ten times faster than the set speed\n"
        "  --quiet     do not show the bytes going each way\n"
        "  --ini FILE  make FILE (the logger's Quillfeather.ini) name this keyer's port;\n"
        "              start the logger afterwards\n"
        "  --practice  a pileup answers your CQ, heard through the sound card\n"
        "practice options:\n"
        "  --activity N       callers answering a CQ, on average (2)\n"
        "  --speeds LO-HI     the callers' speeds in wpm (half to all of yours)\n"
        "  --pitch HZ         your sidetone; the callers are within 300 Hz of it (600)\n"
        "  --noise PERCENT    band noise, of full scale (2; 0 for a quiet band)\n"
        "  --qsb --qrm --qrn --flutter   fading, other stations, static crashes, aurora\n"
        "  --lids PERCENT     callers who call out of turn and send wrong numbers (0)\n"
        "  --calls FILE       their calls (MASTER.SCP form; MASTER.SCP in the folder by default)\n"
        "  --history FILE     their exchanges (call history; CALLHISTORY.txt in the folder)\n"
        "  --history-field NAME   the exchange's column of the history (Exch1)\n"
        "  --folder DIR       the logger's program folder (that of --ini, else the logger's own)\n"
        "  --log FILE         the log to score (the newest .log in the folder)\n"
        "  --wav FILE         write the sound to FILE instead of the sound card\n"
        "  --show             print what the callers send\n"
        "  --seed N           the same pileup again\n");
}

struct Options {
    bool fast = false, quiet = false, practice = false, show = false, help = false;
    std::string iniFile, calls, history, historyField = "Exch1", folder, log, wav;
    PracticeSettings settings;
};

std::optional<double> number(const char *text, double lo, double hi)
{
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end || v < lo || v > hi)
        return std::nullopt;
    return v;
}

// Empty when the options are fine, else what is wrong with them.
std::string parse(int argc, char **argv, Options &o)
{
    o.settings.seed = static_cast<unsigned>(std::time(nullptr));
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        const auto take = [&](double lo, double hi) -> std::optional<double> {
            if (!value)
                return std::nullopt;
            ++i;
            return number(value, lo, hi);
        };
        std::optional<double> v;
        if (a == "--fast") {
            o.fast = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--practice") {
            o.practice = true;
        } else if (a == "--show") {
            o.show = true;
        } else if (a == "--qsb" || a == "--qrm" || a == "--qrn" || a == "--flutter") {
            (a == "--qsb" ? o.settings.pileup.qsb : a == "--qrm" ? o.settings.qrm
                                                 : a == "--qrn" ? o.settings.qrn
                                                                : o.settings.pileup.flutter) = true;
        } else if (a == "--activity") {
            if (!(v = take(0, 20)))
                return "--activity needs a number of callers from 0 to 20";
            o.settings.pileup.activity = *v;
        } else if (a == "--lids") {
            if (!(v = take(0, 100)))
                return "--lids needs a share in percent, 0 to 100";
            o.settings.pileup.lids = *v / 100;
        } else if (a == "--noise") {
            if (!(v = take(0, 30)))
                return "--noise needs a level in percent of full scale, 0 to 30";
            o.settings.noise = *v / 100;
        } else if (a == "--pitch") {
            if (!(v = take(200, 2000)))
                return "--pitch needs a pitch from 200 to 2000 Hz";
            o.settings.pitch = *v;
        } else if (a == "--seed") {
            if (!(v = take(0, 4294967295.0)))
                return "--seed needs a whole number";
            o.settings.seed = static_cast<unsigned>(*v);
        } else if (a == "--speeds") {
            int lo = 0, hi = 0;
            if (!value || std::sscanf(argv[++i], "%d-%d", &lo, &hi) != 2 || lo < 5 || hi > 60 || lo > hi)
                return "--speeds needs two speeds in wpm such as 18-32 (5 to 60)";
            o.settings.pileup.minWpm = lo;
            o.settings.pileup.maxWpm = hi;
        } else if (a == "--help") {
            o.help = true;
        } else {
            const std::pair<const char *, std::string *> texts[] = {
                {"--ini", &o.iniFile},   {"--calls", &o.calls}, {"--history", &o.history},
                {"--history-field", &o.historyField}, {"--folder", &o.folder}, {"--log", &o.log},
                {"--wav", &o.wav}};
            const auto *named = std::find_if(std::begin(texts), std::end(texts),
                                             [&](const auto &t) { return a == t.first; });
            if (named == std::end(texts))
                return "unknown option " + a;
            if (!value || !*value)
                return a + " needs a name";
            *named->second = argv[++i];
        }
    }
    if (o.practice && o.fast)
        return "--fast keys faster than the practice sound can follow: leave it out with --practice";
    return {};
}

std::string executableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

// Where the logger keeps its log, MASTER.SCP and call history: as it chooses its own folder.
std::string programFolder(const Options &o)
{
    if (!o.folder.empty())
        return o.folder + (o.folder.back() == '/' ? "" : "/");
    if (!o.iniFile.empty())
        return std::filesystem::absolute(o.iniFile).parent_path().string() + "/";
    return ChooseProgramFolder(ReadFolderFacts(executableFolder(), std::nullopt));
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    return text;
}

// The practice part: calls, exchanges, the station, its sound and the score.
class Practice {
public:
    bool start(const Options &o, WinKeyerSim &keyer)
    {
        folder_ = programFolder(o);
        std::vector<std::string> calls;
        const std::string callFile = o.calls.empty() ? folder_ + "MASTER.SCP" : o.calls;
        if (const auto scp = MasterScp::load(callFile)) {
            calls = scp->calls();
            std::printf("calls: %zu from %s\n", calls.size(), callFile.c_str());
        } else if (!o.calls.empty()) {
            std::fprintf(stderr, "quillfeather-wksim: cannot read the call list %s\n", o.calls.c_str());
            return false;
        }
        CallHistory history;
        const std::string historyFile = o.history.empty() ? folder_ + "CALLHISTORY.txt" : o.history;
        if (auto h = CallHistory::load(historyFile)) {
            history = std::move(*h);
            std::printf("exchanges: %zu from %s (%s)\n", history.size(), historyFile.c_str(), o.historyField.c_str());
            if (!history.column(o.historyField))
                std::printf("  it has no column %s: the callers send serial numbers\n", o.historyField.c_str());
        } else if (!o.history.empty()) {
            std::fprintf(stderr, "quillfeather-wksim: cannot read the call history %s\n", o.history.c_str());
            return false;
        }
        if (calls.empty() && history.empty())
            std::printf("calls: made up (put MASTER.SCP into %s for real ones)\n", folder_.c_str());

        PracticeSettings settings = o.settings;
        std::string why;
        int rate = 48000;
        if (o.wav.empty()) {
            rate = SoundCard::probeSampleRate(&why);
            if (rate == 0) {
                std::printf("%s: practising without sound\n", why.c_str());
                rate = 48000;
            }
        }
        settings.sampleRate = rate;
        station_ = std::make_unique<PracticeStation>(settings, PracticeCalls(calls, std::move(history), o.historyField));
        log_ = std::make_unique<PracticeLog>(folder_, o.log);
        started_ = utcNow();
        if (o.show)
            station_->setShow([](const OnAir &a) {
                std::printf("  %-10s %s\n", a.who.c_str(), a.text.c_str());
                std::fflush(stdout);
            });
        keyer.setAirMonitor([station = station_.get()](const WinKeyerSim::AirEvent &e) { station->keyerEvent(e); });

        if (!o.wav.empty()) {
            if (const std::string failure = wav_.open(o.wav, rate); !failure.empty()) {
                std::fprintf(stderr, "quillfeather-wksim: cannot write %s: %s\n", o.wav.c_str(), failure.c_str());
                return false;
            }
            std::printf("sound: into %s\n", o.wav.c_str());
            pace_ = std::make_unique<ClockPace>(*station_, [this](const float *s, size_t n) { wav_.write(s, n); }, 1);
        } else if (why.empty()) {
            card_ = std::make_unique<SoundCard>(*station_);
            if (!card_->start([this](const std::string &) { cardFailed_ = true; }, &why)) {
                std::printf("%s: practising without sound\n", why.c_str());
                card_.reset();
            }
        }
        if (!card_ && !pace_)
            pace_ = std::make_unique<ClockPace>(*station_, nullptr, 1);
        std::printf("practice: call CQ in the logger; \"score\" shows how you do, \"quit\" ends\n");
        return true;
    }

    // A sound card that stopped: the session goes on, paced by the clock, without sound.
    void check()
    {
        if (cardFailed_ && card_) {
            card_.reset();
            std::printf("the sound device stopped: practising on without sound\n");
            pace_ = std::make_unique<ClockPace>(*station_, nullptr, 1);
        }
    }

    void score()
    {
        const std::string log = log_->path();
        const PracticeScore score =
            ScorePractice(station_->callers(), log_->sessionRows(), station_->sessionSeconds() / 60);
        const std::string text = ScoreText(score, "Practice of " + started_ + ", log "
                                                      + (log.empty() ? "none yet in " + folder_ : log));
        std::printf("%s", text.c_str());
        if (log.empty())
            return;
        std::string file;
        for (char c : text)
            file += c == '\n' ? std::string("\r\n") : std::string(1, c);
        const std::string path = ScoreFilePath(log);
        if (const FileWriteResult written = ReplaceFileWhole(path, file))
            std::printf("written to %s\n", path.c_str());
        else
            std::printf("could not write %s: %s\n", path.c_str(), written.reason.c_str());
        std::fflush(stdout);
    }

    void stop()
    {
        card_.reset();
        pace_.reset();
        wav_.close();
    }

private:
    std::string folder_, started_;
    std::unique_ptr<PracticeStation> station_;
    std::unique_ptr<PracticeLog> log_;
    std::unique_ptr<SoundCard> card_;
    std::unique_ptr<ClockPace> pace_;
    WavFile wav_;
    std::atomic<bool> cardFailed_{false};
};

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (const std::string wrong = parse(argc, argv, options); !wrong.empty() || options.help) {
        if (!wrong.empty())
            std::fprintf(stderr, "quillfeather-wksim: %s\n", wrong.c_str());
        usage();
        return wrong.empty() ? 0 : 2;
    }
    // Qt's sound devices need the application object; nothing here runs its event loop.
    std::unique_ptr<QCoreApplication> app;
    if (options.practice)
        app = std::make_unique<QCoreApplication>(argc, argv);

    struct sigaction sa {};
    sa.sa_handler = onSignal;  // no SA_RESTART: the wait below must wake up
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    WinKeyerSim keyer;
    keyer.setBufferSize(128);  // a WinKeyer's, so a host that ignores XOFF loses text here too
    if (options.fast)
        keyer.setTimeScale(0.1);
    if (!options.quiet && !options.practice)
        keyer.setMonitor([](const std::string &line) { std::printf("%s\n", line.c_str()); std::fflush(stdout); });
    Practice practice;
    if (options.practice && !practice.start(options, keyer))
        return 1;
    std::string error;
    if (!keyer.start(&error)) {
        std::fprintf(stderr, "quillfeather-wksim: cannot open a pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", keyer.slavePath().c_str());
    std::fflush(stdout);
    if (!options.iniFile.empty()) {
        // The port list offers only real serial devices, so the simulator names itself.
        try {
            ProfileFile(options.iniFile).writeString("ComPort", "Port", keyer.slavePath());
            std::printf("%s now names this port\n", options.iniFile.c_str());
        } catch (const std::exception &e) {
            std::fprintf(stderr, "quillfeather-wksim: %s\n", e.what());
        }
    }

    bool stdinOpen = true;
    std::string line;
    while (!interrupted && keyer.running()) {
        if (options.practice)
            practice.check();
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, stdinOpen ? 1 : 0, 200) <= 0 || !(in.revents & (POLLIN | POLLHUP)))
            continue;
        if (!std::getline(std::cin, line)) {
            stdinOpen = false;  // run on without commands until Ctrl+C
            continue;
        }
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "knob") {
            int wpm = 0;
            if (words >> wpm)
                keyer.turnKnob(wpm);
            else
                std::printf("knob needs a speed in wpm\n");
        } else if (command == "paddle") {
            keyer.touchPaddle();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            keyer.releasePaddle();
        } else if (command == "raw") {
            std::string bytes;
            int b;
            while (words >> b)
                bytes.push_back(static_cast<char>(b & 0xFF));
            keyer.sendRaw(bytes);
        } else if (command == "unplug") {
            keyer.unplug();
        } else if (command == "score" && options.practice) {
            practice.score();
        } else if (command == "quit") {
            break;
        } else if (!command.empty()) {
            std::printf("commands: knob NN, paddle, raw N N ..., unplug,%s quit\n", options.practice ? " score," : "");
        }
        std::fflush(stdout);
    }
    keyer.stop();
    if (options.practice) {
        practice.stop();
        practice.score();
    }
    return 0;
}
