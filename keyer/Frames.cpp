#include "keyer/Frames.h"

namespace WkFrame {

namespace {
std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    out.reserve(values.size());
    for (int v : values)
        out.push_back(static_cast<char>(static_cast<unsigned char>(v & 0xFF)));
    return out;
}
} // namespace

std::string hostOpen() { return bytes({0x00, 0x02}); }
std::string hostClose() { return bytes({0x00, 0x03}); }
std::string echoTest() { return bytes({0x00, 0x04, EchoTestByte}); }
std::string sidetone(int r01) { return oneParameter(0x01, r01); }
std::string setWpm(int wpm) { return oneParameter(0x02, wpm); }
std::string pttLeadTail(int lead, int tail) { return bytes({0x04, lead, tail}); }
std::string speedPotSetup(int speedMin, int speedMax)
{
    return bytes({0x05, speedMin, speedMax - speedMin, 0x00});
}
std::string clearBuffer() { return bytes({0x0A}); }
std::string keyImmediate(bool keyDown) { return bytes({0x0B, keyDown ? 0x01 : 0x00}); }
std::string setMode(int e0) { return oneParameter(0x0E, e0); }
std::string requestStatus() { return bytes({0x15}); }
std::string firstExtension(int ms) { return oneParameter(0x10, ms); }
std::string keyCompensation(int ms) { return oneParameter(0x11, ms); }
std::string ditDahRatio(int ratio) { return oneParameter(0x17, ratio); }
std::string bufferedSpeed(int wpm) { return oneParameter(0x1C, wpm); }
std::string cancelBufferedSpeed() { return bytes({0x1E}); }

std::string oneParameter(unsigned char command, int value) { return bytes({command, value}); }

std::array<std::string, 4> writeToWinkeyer(int lead, int tail, int firstExt, int keyComp, int ratio)
{
    return {pttLeadTail(lead, tail), firstExtension(firstExt), keyCompensation(keyComp),
            ditDahRatio(ratio)};
}

} // namespace WkFrame

void ModeBits::setKeyingMode(int position)
{
    KeyingHigh = (position >> 1) & 1;
    KeyingLow = position & 1;
}

int ComposeE0(const ModeBits &b)
{
    return b.PaddleWatchdogOff * 128 + b.PaddleEcho * 64 + b.KeyingHigh * 32 + b.KeyingLow * 16
           + b.PaddleSwap * 8 + b.SerialEcho * 4 + b.AutoSpace * 2 + b.ContestSpace;
}

int ComposeR01(int paddleOnly, int frequencyCode) { return paddleOnly * 128 + frequencyCode; }
