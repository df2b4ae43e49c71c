// quillfeather-wksim: a WinKeyer on a pseudo-terminal for operating without hardware.
// Prints the port to give the logger, then shows what the logger sends and what the
// keyer answers. Commands on standard input: "knob NN", "paddle" (a short touch),
// "raw N N ..." (bytes to the logger), "unplug", "quit". Ctrl+C ends it.
#include "keyer/sim/WinKeyerSim.h"
#include "settings/ProfileFile.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
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
    std::printf("usage: quillfeather-wksim [--fast] [--quiet] [--ini FILE]\n"
                "  --fast      key ten times faster than the set speed\n"
                "  --quiet     do not show the bytes going each way\n"
                "  --ini FILE  make FILE (the logger's Quillfeather.ini) name this keyer's port;\n"
                "              start the logger afterwards\n");
}

} // namespace

int main(int argc, char **argv)
{
    bool fast = false, quiet = false;
    std::string iniFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ini") == 0 && i + 1 < argc) {
            iniFile = argv[++i];
        } else if (std::strcmp(argv[i], "--fast") == 0) {
            fast = true;
        } else if (std::strcmp(argv[i], "--quiet") == 0) {
            quiet = true;
        } else {
            usage();
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;  // no SA_RESTART: the wait below must wake up
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    WinKeyerSim keyer;
    keyer.setBufferSize(128);  // a WinKeyer's, so a host that ignores XOFF loses text here too
    if (fast)
        keyer.setTimeScale(0.1);
    if (!quiet)
        keyer.setMonitor([](const std::string &line) { std::printf("%s\n", line.c_str()); std::fflush(stdout); });
    std::string error;
    if (!keyer.start(&error)) {
        std::fprintf(stderr, "quillfeather-wksim: cannot open a pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", keyer.slavePath().c_str());
    std::fflush(stdout);
    if (!iniFile.empty()) {
        // The port list offers only real serial devices, so the simulator names itself.
        try {
            ProfileFile(iniFile).writeString("ComPort", "Port", keyer.slavePath());
            std::printf("%s now names this port\n", iniFile.c_str());
        } catch (const std::exception &e) {
            std::fprintf(stderr, "quillfeather-wksim: %s\n", e.what());
        }
    }

    bool stdinOpen = true;
    std::string line;
    while (!interrupted && keyer.running()) {
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
        } else if (command == "quit") {
            break;
        } else if (!command.empty()) {
            std::printf("commands: knob NN, paddle, raw N N ..., unplug, quit\n");
        }
        std::fflush(stdout);
    }
    keyer.stop();
    return 0;
}
