#pragma once

#include <array>
#include <string>

// The host command frames the program writes to a K1EL WinKeyer, each as the exact
// bytes handed to the port in one write. Every parameter is the low byte of the
// value given: a speed of 300 goes out as 2C and -10 as F6, unchecked, as the
// keyer's protocol has no wider field and the program never limits them.
namespace WkFrame {

std::string hostOpen();                         // 00 02
std::string hostClose();                        // 00 03
std::string echoTest();                         // 00 04 07
std::string sidetone(int r01);                  // 01 nn
std::string setWpm(int wpm);                    // 02 nn; 0 makes the keyer follow its pot
std::string pttLeadTail(int lead, int tail);    // 04 lead tail
std::string speedPotSetup(int speedMin, int speedMax);  // 05 min (max - min) 00
std::string clearBuffer();                      // 0A
std::string keyImmediate(bool keyDown);         // 0B 01 key down, 0B 00 key up
std::string setMode(int e0);                    // 0E nn
std::string requestStatus();                    // 15: the keyer answers with its status byte
std::string firstExtension(int ms);             // 10 nn
std::string keyCompensation(int ms);            // 11 nn
std::string ditDahRatio(int ratio);             // 17 nn
std::string bufferedSpeed(int wpm);             // 1C nn, for the text that follows
std::string cancelBufferedSpeed();              // 1E

// A command byte followed by the low byte of value.
std::string oneParameter(unsigned char command, int value);

// The fixed mode value sent when the link opens: watchdog off, iambic A, serial echo.
inline constexpr int LinkOpenMode = 0x94;
// The byte the keyer must echo back to prove it is there.
inline constexpr int EchoTestByte = 0x07;

// "Write to winkeyer": lead/tail, first extension, key compensation, dit/dah ratio,
// in the order they must be sent. The caller pauses 100 ms after each.
std::array<std::string, 4> writeToWinkeyer(int lead, int tail, int firstExtension,
                                           int keyCompensation, int ratio);

} // namespace WkFrame

// The eight bits of the keyer's mode register, each 0 or 1, as the options window
// holds them while the program runs. All start at 0 and nothing stores them.
struct ModeBits {
    int PaddleWatchdogOff = 0;  // bit 7
    int PaddleEcho = 0;         // bit 6
    int KeyingHigh = 0;         // bit 5
    int KeyingLow = 0;          // bit 4
    int PaddleSwap = 0;         // bit 3
    int SerialEcho = 0;         // bit 2
    int AutoSpace = 0;          // bit 1
    int ContestSpace = 0;       // bit 0: set when "Word Space" is NOT checked

    // "Iambic B" 0, "Iambic A" 1, "Ultimatic" 2, "Bug Mode" 3 into bits 5-4.
    void setKeyingMode(int position);
    // "Word Space" checked asks for full word spacing, which clears bit 0.
    void setWordSpaceChecked(bool checked) { ContestSpace = checked ? 0 : 1; }
};

// The Set WinKeyer Mode byte from the eight bits.
int ComposeE0(const ModeBits &bits);

// The Sidetone Control byte: 128 for sidetone on paddle only, plus the frequency
// code (list position + 1: 1 is 4000 Hz .. 9 is 444 Hz).
int ComposeR01(int paddleOnly, int frequencyCode);
