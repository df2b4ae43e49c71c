#include "PtyPair.h"

#include "serial/SerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

namespace {

// A port on a pseudo-terminal, with flow control off so every byte value passes. What
// OnRxChar announces is read into `received` unless a test hooks that event itself.
struct PortOnPty {
    PtyPair pty;
    SerialPort port;
    std::string received;
    int rxCharEvents = 0;
    PortOnPty()
    {
        port.SetPort(pty.slavePath);
        port.FlowControl().SetFlowControl(fcNone);
        port.OnRxChar = [this](SerialPort &sender, int count) {
            ++rxCharEvents;
            std::string text;
            sender.ReadText(text, count);
            received += text;
        };
    }
};

std::string allByteValues()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

const char *kMissing = "/dev/quillfeather-no-such-port";

} // namespace

// A port that is not open refuses reads and writes with code 24; OnException, when assigned,
// takes every failure report instead of a raised error.
TEST(ComPortClosed, ReadsAndWritesReportPortNotOpenAndOnExceptionTakesTheReports)
{
    SerialPort port;
    port.SetPort(kMissing);
    EXPECT_EQ(failureOf([&] { port.WriteText("x"); }), "24: Port Not Open");
    std::string text = "stale";
    EXPECT_THROW(port.ReadText(text, 5), SerialPortError);
    EXPECT_TRUE(text.empty());
    // Nothing to send and nothing asked for are not failures, open or not.
    EXPECT_EQ(port.WriteText(""), 0);
    text = "stale";
    EXPECT_EQ(port.ReadText(text, 0), 0);
    EXPECT_TRUE(text.empty());

    std::vector<std::tuple<SerialFailure, std::string, int64_t, std::string>> reports;
    port.OnException = [&](SerialPort &, SerialFailure which, const std::string &message, int64_t winError,
                           const std::string &winMessage) { reports.emplace_back(which, message, winError, winMessage); };
    EXPECT_NO_THROW(port.Open());
    EXPECT_FALSE(port.Connected());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(std::get<0>(reports[0]), CE_OpenFailed);
    EXPECT_EQ(std::get<1>(reports[0]), "Unable to open com port");
    EXPECT_EQ(std::get<2>(reports[0]), 2);
    EXPECT_EQ(port.WriteText("x"), 0);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(std::get<0>(reports[1]), CEPortNotOpen);
}

TEST(ComPortOpen, FailuresCarryCodeOneTheSystemErrorAndWhatToDo)
{
    const struct {
        std::string path;
        std::string said;
    } cases[] = {{kMissing, "1: Unable to open com port (Error: 2)\n\nThere is no such port: plug in the keyer, "
                            "or choose its port with \"Setup Com\"."},
                 {"/dev/null", "1: Unable to open com port (Error: 25)"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        SerialPort port;
        port.SetPort(c.path);
        int beforeOpen = 0, afterOpen = 0;
        port.OnBeforeOpen = [&](SerialPort &) { ++beforeOpen; };
        port.OnAfterOpen = [&](SerialPort &) { ++afterOpen; };
        EXPECT_EQ(failureOf([&] { port.SetConnected(true); }), c.said);
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(beforeOpen, 1);
        EXPECT_EQ(afterOpen, 0);
    }
    // Root is never refused a device, so the hint for a missing permission is seen on its own.
    EXPECT_NE(SerialPortErrorText(SerialPortError(1, EACCES)).find("dialout"), std::string::npos);
    // A device only its owner may open (a pseudo-terminal) is another user's, not a group matter.
    PtyPair pty;
    const std::string owned = SerialPortErrorText(SerialPortError(1, EACCES), pty.slavePath);
    EXPECT_NE(owned.find(pty.slavePath + " belongs to the user "), std::string::npos) << owned;
    EXPECT_EQ(owned.find("dialout"), std::string::npos) << owned;
    SerialPort bare;
    bare.SetPort("quillfeather-no-such-port");  // a bare name is looked for under /dev/
    EXPECT_EQ(bare.DevicePath(), kMissing);
}

TEST(ComPortOpen, OpenAPortChangeAndCloseRaiseTheirEventsOnceInOrder)
{
    std::vector<std::string> seen;  // outlives the port, whose destruction closes it
    PtyPair b;
    PortOnPty p;
    auto note = [&](const std::string &what) { return [&seen, what](SerialPort &) { seen.push_back(what); }; };
    auto signal = [&](const std::string &what) {
        return [&seen, what](SerialPort &, bool on) { seen.push_back(what + (on ? "+" : "-")); };
    };
    p.port.OnBeforeOpen = note("BeforeOpen");
    p.port.OnAfterOpen = [&](SerialPort &s) { seen.push_back("AfterOpen " + s.Port()); };
    p.port.OnBeforeClose = note("BeforeClose");
    p.port.OnAfterClose = note("AfterClose");
    p.port.OnCTSChange = signal("CTS");
    p.port.OnDSRChange = signal("DSR");
    p.port.OnRLSDChange = signal("RLSD");

    p.port.SetConnected(true);
    p.port.SetConnected(true);
    // A pseudo-terminal has no modem lines: they read as off, without failing.
    EXPECT_EQ(seen, (std::vector<std::string>{"BeforeOpen", "AfterOpen " + p.pty.slavePath, "CTS-", "DSR-", "RLSD-"}));
    seen.clear();
    p.port.BeginUpdate();
    p.port.SetPort(b.slavePath);  // at once, even inside a batch
    EXPECT_EQ(seen, (std::vector<std::string>{"CTS-", "DSR-", "RLSD-", "BeforeClose", "AfterClose", "BeforeOpen",
                                              "AfterOpen " + b.slavePath, "CTS-", "DSR-", "RLSD-"}));
    p.port.EndUpdate();
    EXPECT_EQ(p.port.WriteText("B"), 1);
    EXPECT_EQ(b.receive(1), "B");
    SerialPort other;  // the old port is free again
    other.SetPort(p.pty.slavePath);
    EXPECT_NO_THROW(other.Open());
    seen.clear();
    p.port.SetConnected(false);
    p.port.SetConnected(false);
    EXPECT_FALSE(p.port.Connected());
    EXPECT_EQ(seen, (std::vector<std::string>{"CTS-", "DSR-", "RLSD-", "BeforeClose", "AfterClose"}));
}

// Handlers run on the GUI thread, or with smNone on the event thread itself; the method
// cannot change while the port is open.
TEST(ComPortTransfer, EveryByteValueComesInToOnRxCharOnTheThreadTheSyncMethodNames)
{
    const auto guiThread = std::this_thread::get_id();
    const std::string bytes = allByteValues();
    for (TSyncMethod method : {smThreadSync, smWindowSync, smNone}) {
        SCOPED_TRACE(method);
        PortOnPty p;
        p.port.SetSyncMethod(method);
        std::string received;  // whole once Close has ended the event thread
        std::atomic<int> onGui{0}, offGui{0}, counted{0};
        bool shortRead = false, emptyCount = false;
        p.port.OnRxChar = [&](SerialPort &sender, int count) {
            (std::this_thread::get_id() == guiThread ? onGui : offGui)++;
            emptyCount |= count <= 0;
            std::string chunk;
            shortRead |= sender.ReadText(chunk, count) != count;
            received += chunk;
            counted += count;
        };
        p.port.Open();
        EXPECT_EQ(failureOf([&] { p.port.SetSyncMethod(TSyncMethod((method + 1) % 3)); }),
                  "14: Cannot set property while connected");
        EXPECT_NO_THROW(p.port.SetSyncMethod(method));  // the value held: nothing to do
        p.pty.send(bytes);
        ASSERT_TRUE(waitUntil([&] { return counted >= static_cast<int>(bytes.size()); }));
        QTest::qWait(50);
        p.port.Close();
        EXPECT_EQ(received, bytes);
        EXPECT_EQ(onGui > 0, method != smNone);
        EXPECT_EQ(offGui > 0, method == smNone);
        EXPECT_FALSE(shortRead) << "ReadText got fewer bytes than the count given";
        EXPECT_FALSE(emptyCount);
    }
}

// Without OnRxChar triggered OnRxBuf takes the bytes; without events nothing is raised and
// the bytes wait for a read, which never waits itself.
TEST(ComPortTransfer, OnRxBufOrAReadTakesTheBytesWhenOnRxCharIsNotRaised)
{
    for (bool noEvents : {false, true}) {
        SCOPED_TRACE(noEvents);
        PortOnPty p;
        if (noEvents)
            p.port.SetEvents({});
        else
            p.port.SetTriggersOnRxChar(false);
        std::string buffered;
        p.port.OnRxBuf = [&](SerialPort &, const std::string &buffer, int count) {
            EXPECT_EQ(static_cast<int>(buffer.size()), count);
            buffered += buffer;
        };
        p.port.Open();
        p.pty.send("K1EL");
        if (noEvents)
            QTest::qWait(150);
        else
            ASSERT_TRUE(waitUntil([&] { return buffered.size() >= 4; }));
        EXPECT_EQ(buffered, noEvents ? "" : "K1EL");
        EXPECT_EQ(p.rxCharEvents, 0);
        EXPECT_EQ(p.port.InputQueueCount(), noEvents ? 4 : 0);
        std::string text;
        EXPECT_EQ(p.port.ReadText(text, 10), noEvents ? 4 : 0);
        EXPECT_EQ(text, noEvents ? "K1EL" : "");
    }
}

TEST(ComPortSync, ClosingWhileABatchWaitsForTheGuiThreadCompletesTheBatch)
{
    PortOnPty p;
    std::string atClose;
    p.port.OnAfterClose = [&](SerialPort &) { atClose = p.received; };
    p.port.Open();
    p.pty.send("599");
    // The GUI thread is busy (no events handled) while the event thread asks for a hand-off.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    p.port.Close();
    EXPECT_EQ(atClose, "599");
    // The port opens again and delivers as before.
    p.port.Open();
    p.pty.send("TU");
    EXPECT_TRUE(waitUntil([&] { return p.received == "599TU"; })) << p.received;
}

// A handler that closes its own port does not hang; whatever one throws is reported, whether
// the event thread waits for it or not. Either way the next bytes are delivered.
TEST(ComPortSync, AHandlerThatClosesThePortOrThrowsLeavesDeliveryGoing)
{
    const struct {
        const char *name;
        TSyncMethod method;
        std::function<void(SerialPort &)> act;
        std::string report;
    } cases[] = {
        {"closes", smThreadSync, [](SerialPort &sender) { sender.SetConnected(false); }, ""},
        {"throws", smThreadSync, [](SerialPort &) { throw std::runtime_error("handler failed"); }, "handler failed"},
        {"throws a non-exception, not waited for", smWindowSync, [](SerialPort &) { throw 42; },
         "Unknown failure in a serial port event handler"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ErrorReportCatcher reports;
        PortOnPty p;
        p.port.SetSyncMethod(c.method);
        p.port.OnRxChar = [&, read = p.port.OnRxChar](SerialPort &sender, int count) {
            read(sender, count);
            if (p.received == "!")
                c.act(sender);
        };
        p.port.Open();
        p.pty.send("!");
        if (c.report.empty()) {
            ASSERT_TRUE(waitUntil([&] { return !p.port.Connected(); }));
            p.port.Open();
        } else {
            ASSERT_TRUE(waitUntil([&] { return !reports.messages.empty(); }));
            EXPECT_EQ(reports.messages[0], c.report);
        }
        p.pty.send("OK");
        EXPECT_TRUE(waitUntil([&] { return p.received == "!OK"; })) << p.received;
    }
}

// The far end goes away: one I/O error on the window's thread, no spinning, and the port
// closes cleanly, whether the error handler closes it (as the keyer link does) or not.
TEST(ComPortLostDevice, FarEndClosedGivesOneIoErrorAndNoSpin)
{
    for (bool closeInHandler : {false, true}) {
        SCOPED_TRACE(closeInHandler);
        ErrorReportCatcher reports;
        auto pty = std::make_unique<PtyPair>();
        SerialPort port;
        port.SetPort(pty->slavePath);
        const auto guiThread = std::this_thread::get_id();
        std::vector<LineErrors> errors;
        bool offThread = false;
        port.OnError = [&](SerialPort &sender, LineErrors e) {
            offThread |= std::this_thread::get_id() != guiThread;
            errors.push_back(e);
            if (closeInHandler)
                sender.SetConnected(false);
        };
        port.Open();
        pty.reset();  // both its descriptors
        ASSERT_TRUE(waitUntil([&] { return !errors.empty(); }));
        EXPECT_TRUE(errors[0].contains(ceIO));
        EXPECT_FALSE(offThread);

        const std::clock_t before = std::clock();
        QTest::qWait(1000);
        EXPECT_LT(double(std::clock() - before) / CLOCKS_PER_SEC, 0.1) << "the event thread spins on the dead port";
        EXPECT_EQ(errors.size(), 1u);
        EXPECT_EQ(port.Connected(), !closeInHandler);
        EXPECT_THROW(port.WriteText("x"), SerialPortError);
        EXPECT_NO_THROW(port.Close());
        EXPECT_TRUE(reports.messages.empty());

        PtyPair fresh;
        port.SetPort(fresh.slavePath);
        port.Open();
        EXPECT_EQ(port.WriteText("AGN"), 3);
        EXPECT_EQ(fresh.receive(3), "AGN");
    }
}

TEST(ComPortSettings, LineSettingsReachTheDeviceOnceEachAndBatchesAtTheEnd)
{
    PortOnPty p;
    keyerSettings(p.port, p.pty.slavePath);
    p.port.Open();
    AppliedLineSettings applied = p.port.AppliedLine();
    ASSERT_TRUE(applied.Valid);
    EXPECT_EQ(applied.Requested, p.port.BuildDcb());
    EXPECT_EQ(applied.Requested.Flags, 0x0311u);
    EXPECT_EQ(std::string({applied.Requested.XonChar, applied.Requested.XoffChar}), "\x11\x13");
    EXPECT_EQ(applied.DeviceBaudRate, 1200u);
    EXPECT_EQ(applied.DeviceByteSize, 8);
    EXPECT_FALSE(applied.DeviceTwoStopBits);
    EXPECT_FALSE(applied.DeviceParityEnable);
    EXPECT_TRUE(applied.DeviceXonXoffOut && applied.DeviceXonXoffIn && applied.DeviceRaw);

    // Rates without a standard code reach it too.
    p.port.SetCustomBaudRate(250000);
    for (auto [rate, value] : {std::pair{brCustom, 250000u}, {br14400, 14400u}, {br115200, 115200u}}) {
        p.port.SetBaudRate(rate);
        EXPECT_EQ(p.port.AppliedLine().DeviceBaudRate, value);
    }
    p.port.SetStopBits(sbOne5StopBits);  // no 1.5 here: two
    EXPECT_TRUE(p.port.AppliedLine().DeviceTwoStopBits);
    p.port.SetDataBits(dbSeven);
    p.port.Parity().SetBits(prEven);
    // A pseudo-terminal always runs 8 bits without parity; the request is what can be seen.
    EXPECT_EQ(p.port.AppliedLine().Requested.ByteSize, 7);
    EXPECT_EQ(p.port.AppliedLine().Requested.Parity, 2);

    const int base = p.port.AppliedLine().ApplyCount;
    p.port.SetBaudRate(br2400);
    EXPECT_EQ(p.port.AppliedLine().ApplyCount, base + 1);
    p.port.SetBaudRate(br2400);  // the value held: nothing
    EXPECT_EQ(p.port.AppliedLine().ApplyCount, base + 1);
    p.port.BeginUpdate();
    p.port.SetBaudRate(br4800);
    p.port.SetDataBits(dbEight);
    p.port.FlowControl().SetFlowControl(fcHardware);
    p.port.BeginUpdate();
    p.port.EndUpdate();
    EXPECT_EQ(p.port.AppliedLine().ApplyCount, base + 1);
    p.port.EndUpdate();
    EXPECT_EQ(p.port.AppliedLine().ApplyCount, base + 2);
    EXPECT_EQ(p.port.AppliedLine().DeviceBaudRate, 4800u);
    EXPECT_EQ(p.port.UpdateCount(), 0);
    p.port.EndUpdate();  // at 0: nothing
    EXPECT_EQ(p.port.UpdateCount(), 0);

    // A rate the driver refuses fails the open with code 7 and releases the port again.
    p.port.Close();
    p.port.SetBaudRate(brCustom);
    p.port.SetCustomBaudRate(0);
    EXPECT_EQ(failureOf([&] { p.port.Open(); }), "7: SetCommState function failed (Error: 22)");
    EXPECT_FALSE(p.port.Connected());
    p.port.SetCustomBaudRate(250000);
    EXPECT_NO_THROW(p.port.Open());
}

TEST(ComPortSettings, LoadingOpensWhenLoadingEnds)
{
    ErrorReportCatcher reports;
    PortOnPty p;
    SerialPort missing;
    missing.SetPort(kMissing);
    for (SerialPort *port : {&p.port, &missing}) {
        port->BeginLoading();
        port->SetConnected(true);
        EXPECT_FALSE(port->Connected());
        EXPECT_NO_THROW(port->Loaded());
    }
    EXPECT_TRUE(p.port.Connected());
    EXPECT_FALSE(missing.Connected());
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_EQ(reports.messages[0].rfind("Unable to open com port (Error: 2)\n\n", 0), 0u);
}

// OnRxChar counts what waits unread, without the NULs the port drops, and is raised again only
// when more arrives; the event character raises OnRxFlag as well.
TEST(ComPortReceive, UnreadBytesAreCountedWithoutDiscardedNulsAndTheEventCharacterRaisesOnRxFlag)
{
    PortOnPty p;
    p.port.SetEventChar('\r');
    p.port.SetDiscardNull(true);
    int flags = 0;
    std::vector<int> counts;
    p.port.OnRxFlag = [&](SerialPort &) { ++flags; };
    p.port.OnRxChar = [&](SerialPort &, int count) { counts.push_back(count); };  // reads nothing
    p.port.Open();
    p.pty.send(std::string("5\0\0NN", 5));
    ASSERT_TRUE(waitUntil([&] { return !counts.empty(); }));
    QTest::qWait(100);
    EXPECT_EQ(counts, std::vector<int>{3}) << "the counts took in NUL bytes that the read drops";
    EXPECT_EQ(flags, 0);
    p.pty.send(std::string("TU\r\0", 4));
    ASSERT_TRUE(waitUntil([&] { return counts.size() == 2 && flags == 1; }));
    QTest::qWait(100);
    EXPECT_EQ(counts, (std::vector<int>{3, 6}));
    EXPECT_EQ(flags, 1);
    std::string text;
    EXPECT_EQ(p.port.ReadText(text, 100), 6);
    EXPECT_EQ(text, "5NNTU\r");
}

// A count taken while the event thread waits on the line moves the bytes out of the driver,
// where the event thread would never see them arrive: they are announced all the same.
TEST(ComPortReceive, BytesACountTookInAreAnnouncedAllTheSame)
{
    PortOnPty p;
    p.port.SetSyncMethod(smNone);  // announced on the event thread, while this one counts
    std::atomic<int> announced{0};
    p.port.OnRxChar = [&](SerialPort &sender, int count) {
        std::string text;
        announced += sender.ReadText(text, count);
    };
    p.port.Open();
    std::atomic<bool> counting{true};
    std::thread counter([&] {
        while (counting)
            p.port.InputQueueCount();
    });
    int sent = 0;
    for (int round = 0; round < 20 && waitUntil([&] { return announced == sent; }, 1000); ++round)
        for (int i = 0; i < 50; ++i, ++sent) {
            p.pty.send("E");
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    const bool all = waitUntil([&] { return announced == sent; }, 1000);
    counting = false;
    counter.join();
    EXPECT_TRUE(all) << announced << " of " << sent << " bytes announced within 1 s of their arrival";
}

// With XON/XOFF the far end can stop the output at any time: the window's thread never
// waits for it, hears when output is held and when bytes were given up, and closes soon.
TEST(ComPortOutput, AStrayXoffNeverHoldsTheWindowsThread)
{
    PortOnPty p;
    p.port.FlowControl().SetFlowControl(fcSoftware);
    p.port.Timeouts().SetWriteTotalConstant(3000);  // twenty writes that waited would take a minute
    std::vector<bool> held;
    std::vector<LineErrors> errors;
    p.port.OnTxHold = [&](SerialPort &, bool on) { held.push_back(on); };
    p.port.OnError = [&](SerialPort &, LineErrors e) { errors.push_back(e); };
    p.port.Open();
    p.pty.send("\x13");
    ASSERT_TRUE(p.pty.outputStopped());
    std::string sent;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        sent += "CQ " + std::to_string(i) + " ";
        EXPECT_EQ(p.port.WriteText("CQ " + std::to_string(i) + " "), i < 10 ? 5 : 6);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_TRUE(waitUntil([&] { return held == std::vector<bool>{true}; }));
    p.pty.send("\x11");
    EXPECT_EQ(p.pty.receive(sent.size()), sent);
    ASSERT_TRUE(waitUntil([&] { return held == std::vector<bool>{true, false}; }));

    // Bytes held past their write timeout are given up, and what the port cannot hold at all.
    p.port.Timeouts().SetWriteTotalConstant(100);
    p.pty.send("\x13");
    ASSERT_TRUE(p.pty.outputStopped());
    EXPECT_EQ(p.port.WriteText("LOST"), 4);
    ASSERT_TRUE(waitUntil([&] { return !errors.empty(); }));
    EXPECT_TRUE(errors[0].contains(ceTxFull));
    EXPECT_LT(p.port.WriteText(std::string(1 << 20, 'E')), 1 << 20);

    p.port.Timeouts().SetWriteTotalConstant(60000);
    p.port.WriteText(std::string("\x00\x03", 2));
    start = std::chrono::steady_clock::now();
    p.port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    p.port.FlowControl().SetFlowControl(fcNone);
    p.port.Open();  // without XON/XOFF the line runs again; nothing held is left
    EXPECT_EQ(p.port.WriteText("K"), 1);
    EXPECT_EQ(p.pty.receive(1), "K");
}

// Each write that empties the output is told once, however many passes the event thread makes.
TEST(ComPortOutput, OnTxEmptyComesOnceForEachWriteThatHasLeft)
{
    PortOnPty p;
    int empties = 0;
    p.port.OnTxEmpty = [&](SerialPort &) { ++empties; };
    p.port.Open();
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(p.port.WriteText("K1EL"), 4);
        EXPECT_EQ(p.pty.receive(4), "K1EL");
        EXPECT_TRUE(waitUntil([&] { return empties == n; }));
        QTest::qWait(50);
        EXPECT_EQ(empties, n);
    }
}

// The line frees room in blocks and takes part of the write it stops in: with writes of one
// length a round, behind more than the line holds, some part leaves each length of rest.
TEST(ComPortOutput, WritesTheLineTookInPartAreSentToTheirLastByte)
{
    PortOnPty p;
    p.port.Open();
    for (size_t length = 1; length <= 9; ++length) {
        std::string sent(30000 + length, '.');
        EXPECT_EQ(p.port.WriteText(sent), static_cast<int>(sent.size()));
        for (int i = 0; sent.size() < 60000; ++i) {  // less than the port's own queue holds
            const std::string piece(length, static_cast<char>('A' + i % 26));
            p.port.WriteText(piece);
            sent += piece;
        }
        const std::string got = p.pty.receive(sent.size(), 5000);
        ASSERT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes came, in writes of " << length;
    }
}

TEST(ComPortOutput, WhatWasWrittenBeforeCloseStillReachesTheFarEnd)
{
    PortOnPty p;
    p.port.Open();
    // More than the far end's line takes in before it reads: the rest waits on the way.
    const std::string message = allByteValues() + std::string(8000, 'E') + std::string("\x00\x03", 2);
    EXPECT_EQ(p.port.WriteText(message), static_cast<int>(message.size()));
    p.port.Close();
    const std::string got = p.pty.receive(message.size());
    EXPECT_EQ(got.size(), message.size());
    EXPECT_TRUE(got == message);
}
