#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A K1EL WinKeyer of our own at the far end of a pseudo-terminal, so the program and
// its tests run without hardware. Open the slave path like a serial port: in host
// mode it answers Host Open with its revision byte, echoes the echo test, reports
// busy (196) when it starts keying text, echoes each character once keyed while
// serial echo (mode bit 2) is on, reports idle (192) when done, keys down for tuning
// (216), and sends speed-pot (128 + wpm - pot minimum) and break-in (198) bytes when
// the operator turns its knob or touches its paddle. Every public call is thread-safe,
// and a call made before the host writes acts before the keyer reads those bytes.
class WinKeyerSim {
public:
    using Clock = std::chrono::steady_clock;

    // Bytes as one read or write moved them: `at` is when the keyer read them, or
    // just before it wrote them.
    struct Chunk {
        std::string bytes;
        Clock::time_point at;
    };
    // A character that went out on the air, and the speed it went at.
    struct Keyed {
        char character;
        int wpm;
    };
    // What the keyer puts on the air, as it happens: a character (a blank too) as its first
    // element starts, the key held down or let up for tuning, and the end of keying (all
    // sent, or the buffer cleared).
    struct AirEvent {
        enum Kind { Character, KeyDown, KeyUp, Idle } kind;
        Clock::time_point at;
        char character = 0;
        int wpm = 0;
    };

    WinKeyerSim();
    ~WinKeyerSim();
    WinKeyerSim(const WinKeyerSim &) = delete;
    WinKeyerSim &operator=(const WinKeyerSim &) = delete;

    // Opens the pseudo-terminal and starts answering. False with a reason on failure.
    bool start(std::string *error = nullptr);
    // Stops answering and closes the pseudo-terminal; the records stay readable.
    void stop();
    // Closes the keyer's end as a USB keyer pulled out: the slave side hangs up.
    void unplug();
    bool running() const;
    std::string slavePath() const;

    // 1.0 keys at the real speed (a dit is 1200/wpm ms), 0.1 ten times faster, 0 instantly.
    void setTimeScale(double scale);
    // The revision byte answered to Host Open (23 is a WinKeyer 2.3).
    void setRevision(int revisionByte);
    // Bytes the keyer's buffer holds (a WinKeyer's 128), 0 for no limit. Beyond two
    // thirds the status says XOFF until a third is left; text beyond it is lost.
    void setBufferSize(int bytes);

    // The operator at the keyer. The knob stops at the ends of the pot range set by the
    // host (10 to 46 wpm until it sends one).
    void turnKnob(int wpm);
    // Paddle pressed: breaks in on the host's text (198) until released (192).
    void touchPaddle();
    void releasePaddle();
    // Sends these bytes to the host as they stand, in one write.
    void sendRaw(const std::string &bytes);

    // Everything received from the host and sent to it, in order.
    std::string received() const;
    std::string sent() const;
    std::vector<Chunk> receivedChunks() const;
    std::vector<Chunk> sentChunks() const;
    std::vector<Keyed> keyed() const;
    std::string keyedText() const;
    void clearRecords();

    bool hostOpen() const;
    int modeRegister() const;

    // Wait until the condition holds or the time runs out; true when it holds.
    bool waitForReceived(size_t count, std::chrono::milliseconds timeout) const;
    bool waitForSent(size_t count, std::chrono::milliseconds timeout) const;
    bool waitUntil(const std::function<bool(const std::string &received, const std::string &sent)> &done,
                   std::chrono::milliseconds timeout) const;

    // Told of each chunk received ("<- 00 02  ..") and sent ("-> 17  ."), on the keyer's thread.
    void setMonitor(std::function<void(const std::string &line)> monitor);
    // Told of what goes on the air, on the keyer's thread.
    void setAirMonitor(std::function<void(const AirEvent &event)> monitor);

private:
    struct Item {
        enum Kind { Text, Speed, CancelSpeed } kind;
        unsigned char value;
    };
    enum class Phase { Idle, Keying, Gap };

    void run();
    void post(std::function<void()> request);
    void wake();
    void onBytes(const std::string &bytes);
    void onByte(unsigned char b);
    void execute(const std::string &frame);
    void enqueue(Item item);
    void reportXoff();
    void step(Clock::time_point now);
    void stopSending(bool report);
    void write(const std::string &bytes);
    void writeByte(int b) { write(std::string(1, static_cast<char>(b))); }
    void tellAir(AirEvent event);
    int statusByte() const;
    int sendingWpm() const;
    Clock::duration dits(int count, int wpm) const;
    void closeFds();

    // Owned by the keyer's thread once started.
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between host sessions
    int wakeFd_ = -1;
    bool hostOpen_ = false;
    int mode_ = 0;
    int revision_ = 23;
    int wpm_ = 20;          // Set WPM Speed; 0 follows the pot
    int bufferedWpm_ = 0;   // from a buffered speed change, 0 when none
    int potMin_ = 10;
    int potRange_ = 36;     // the pot spans potMin_ .. potMin_ + potRange_
    int potWpm_ = 20;
    bool keyDown_ = false;
    double scale_ = 1.0;
    std::deque<Item> buffer_;
    Phase phase_ = Phase::Idle;
    char current_ = 0;
    Clock::time_point nextAt_{};
    bool paddleDown_ = false;
    size_t bufferSize_ = 0;
    bool xoff_ = false;
    std::string frame_;   // command being collected
    size_t frameNeed_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::function<void()>> requests_;
    bool stopping_ = false;
    bool running_ = false;
    std::string path_;
    std::string received_, sent_;
    size_t handled_ = 0;  // bytes of received_ the keyer has acted on
    std::vector<Chunk> receivedChunks_, sentChunks_;
    std::vector<Keyed> keyed_;
    bool hostOpenShown_ = false;
    int modeShown_ = 0;
    std::function<void(const std::string &)> monitor_;
    std::function<void(const AirEvent &)> airMonitor_;  // owned by the keyer's thread
    std::thread thread_;
};
