// The practice sound read back from its WAV file as a listener's meter would read it:
// the keying's envelope, its element lengths and edges, and the level of a loud band.
#include "SimulatorProgram.h"
#include "keyer/sim/PracticeStation.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr int Rate = 48000;

uint32_t le(const std::string &b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    return v;
}

// The samples of a 16-bit mono 48 kHz WAV file, with its header checked.
std::vector<int16_t> readWav(const std::string &path)
{
    const std::string b = readFileBytes(path);
    EXPECT_GE(b.size(), 44u);
    if (b.size() < 44)
        return {};
    EXPECT_EQ(b.substr(0, 4) + b.substr(8, 8), "RIFFWAVEfmt ");
    EXPECT_EQ(le(b, 4, 4), b.size() - 8);
    EXPECT_EQ(le(b, 20, 2), 1u);   // PCM
    EXPECT_EQ(le(b, 22, 2), 1u);   // mono
    EXPECT_EQ(le(b, 24, 4), static_cast<uint32_t>(Rate));
    EXPECT_EQ(le(b, 34, 2), 16u);
    EXPECT_EQ(b.substr(36, 4), "data");
    EXPECT_EQ(le(b, 40, 4), b.size() - 44);
    std::vector<int16_t> samples((b.size() - 44) / 2);
    std::memcpy(samples.data(), b.data() + 44, samples.size() * 2);
    return samples;
}

// The tone's amplitude at each sample: the rms over one period of the pitch, times √2.
std::vector<double> envelope(const std::vector<int16_t> &s, double pitch)
{
    const auto period = static_cast<size_t>(std::lround(Rate / pitch));
    std::vector<double> env(s.size(), 0.0);
    double sum = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double x = s[i] / 32768.0;
        sum += x * x;
        if (i >= period) {
            const double old = s[i - period] / 32768.0;
            sum -= old * old;
        }
        if (i >= period / 2)
            env[i - period / 2] = std::sqrt(2 * std::max(0.0, sum) / static_cast<double>(period));
    }
    return env;
}

struct Stretch {
    double start, length;  // seconds
};

// Where the envelope stands above the level.
std::vector<Stretch> above(const std::vector<double> &env, double level)
{
    std::vector<Stretch> out;
    size_t from = 0;
    for (size_t i = 1; i < env.size(); ++i) {
        if (env[i] >= level && env[i - 1] < level)
            from = i;
        else if (env[i] < level && env[i - 1] >= level)
            out.push_back({static_cast<double>(from) / Rate, static_cast<double>(i - from) / Rate});
    }
    return out;
}

// The logger's end of the simulator's port, raw as the keyer link opens it.
struct HostEnd {
    explicit HostEnd(const std::string &port) : fd(::open(port.c_str(), O_RDWR | O_NOCTTY))
    {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    ~HostEnd() { ::close(fd); }
    // Whether the keyer sent the byte within ms milliseconds.
    bool sent(unsigned char wanted, int ms) const
    {
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
             std::chrono::steady_clock::now() < until;) {
            pollfd p{fd, POLLIN, 0};
            unsigned char got[64];
            const ssize_t n = ::poll(&p, 1, 50) > 0 ? ::read(fd, got, sizeof got) : 0;
            if (n > 0 && std::find(got, got + n, wanted) != got + n)
                return true;
        }
        return false;
    }
    const int fd;
};

TEST(PracticeSound, SidetoneKeyedAtTheSetSpeedWithCleanEdges)
{
    TestFolder folder;
    const std::string wav = folder.file("air.wav");
    SimulatorProgram program;
    std::string why;
    ASSERT_TRUE(program.start({"--practice", "--quiet", "--noise", "0", "--seed", "1", "--folder",
                               QString::fromStdString(folder.path()), "--wav", QString::fromStdString(wav)},
                              &why))
        << why;
    {
        const HostEnd host(program.port);
        ASSERT_GE(host.fd, 0) << "cannot open " << program.port;
        const std::string test = bytes({0x00, 0x02, 0x02, 30}) + "TEST";  // host open, 30 wpm
        ASSERT_EQ(::write(host.fd, test.data(), test.size()), static_cast<ssize_t>(test.size()));
        ASSERT_TRUE(host.sent(0xC4, 5000)) << "the keyer did not start on TEST";
        ASSERT_TRUE(host.sent(0xC0, 5000)) << "the keyer did not finish TEST";
        std::this_thread::sleep_for(300ms);  // for the last element's fall to reach the file
    }
    ASSERT_TRUE(program.quit()) << "the simulator did not end on quit; it printed: " << program.output();
    const PracticeSettings settings;

    const std::vector<int16_t> samples = readWav(wav);
    ASSERT_GT(samples.size(), static_cast<size_t>(Rate));
    EXPECT_LT(*std::max_element(samples.begin(), samples.end()), 32767);
    EXPECT_GT(*std::min_element(samples.begin(), samples.end()), -32767);
    const std::vector<double> env = envelope(samples, settings.pitch);
    const double peak = *std::max_element(env.begin(), env.end());
    EXPECT_NEAR(peak, 0.25, 0.02);

    // TEST at 30 wpm: dah, dit, dit dit dit, dah; a dit is 40 ms.
    const std::vector<Stretch> elements = above(env, peak / 2);
    const double expected[] = {0.120, 0.040, 0.040, 0.040, 0.040, 0.120};
    ASSERT_EQ(elements.size(), std::size(expected));
    for (size_t i = 0; i < elements.size(); ++i)
        EXPECT_NEAR(elements[i].length, expected[i], expected[i] / 10) << "element " << i;
    // Within a letter an element follows the one before a dit later.
    EXPECT_NEAR(elements[3].start - elements[2].start - elements[2].length, 0.040, 0.004);

    // The first rise, from a tenth to nine tenths: a raised cosine over 5 ms takes about 3.
    const auto first = static_cast<size_t>(elements[0].start * Rate);
    size_t low = first, high = first;
    while (low > 0 && env[low] > peak * 0.1)
        --low;
    while (high < env.size() && env[high] < peak * 0.9)
        ++high;
    const double rise = static_cast<double>(high - low) / Rate;
    EXPECT_GT(rise, 0.002);
    EXPECT_LT(rise, 0.005);
}

TEST(PracticeSound, LoudBandStaysWithinFullScaleInAnyBlocks)
{
    AirScene scene;
    scene.noise = 0.1;
    for (int i = 0; i < 6; ++i) {
        AirStation st;
        st.pitch = 400 + 80 * i;
        st.amplitude = 0.4;
        st.qsbDepth = 0.5;
        st.qsbHz = 0.2;
        st.flutter = i % 2;
        KeyText("CQ TEST", 30, 0.01 * i, st.keying);
        scene.stations.push_back(st);
    }
    scene.crashes.push_back({0.3, 0.6, 0.05});
    const size_t count = Rate * 2;
    std::vector<float> whole(count), blocks(count);
    AirRenderer(Rate, 5).render(scene, 0, whole.data(), count);
    AirRenderer inBlocks(Rate, 5);
    for (size_t at = 0; at < count; at += 240)
        inBlocks.render(scene, static_cast<int64_t>(at), blocks.data() + at, std::min<size_t>(240, count - at));
    EXPECT_EQ(whole, blocks);
    float loudest = 0;
    for (float x : whole)
        loudest = std::max(loudest, std::fabs(x));
    EXPECT_GT(loudest, 0.7f);
    EXPECT_LT(loudest, 1.0f);
}

} // namespace
