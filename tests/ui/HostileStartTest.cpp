#include "keyer/KeyerLink.h"
#include "serial/SerialPort.h"
#include "settings/MainSettings.h"
#include "support/WindowRig.h"
#include "ui/KeyerWindow.h"
#include "ui/MessagePanel.h"

#include <unistd.h>

// The program started on files an operator's editor, a full disk or another system left
// behind: it must come up in reasonable time, say what it could not read and leave every
// byte of those files on the disk.
class HostileStartTest : public WindowTest {
    Q_OBJECT

    enum Kind { File, Folder, Unreadable };
    struct Started {
        QStringList messages;
        double seconds = 0;  // from the first window's construction to its first show
        int rows = 0;
    };

    // The windows built as the program builds them, on the folder's files; every message
    // box is answered; closed as "Close" closes it.
    Started startAndClose(const char *what)
    {
        Started started;
        BoxAnswerer boxes;
        QElapsedTimer timer;
        timer.start();
        w = std::make_unique<MainWindow>(*contest);
        SerialPort comPort;
        KeyerLink link(*contest, comPort);
        KeyerWindow fWK(link, w.get());
        MessagePanel fMemo(link, w.get());
        w->show();
        started.seconds = timer.nsecsElapsed() / 1e9;
        QTest::qWait(100);  // the reports that follow the first show
        started.rows = st->QsoCount;
        w->close();
        started.messages = boxes.texts;
        qInfo("%s: started in %.2f s, %d QSOs, %lld messages", what, started.seconds, started.rows,
              static_cast<long long>(started.messages.size()));
        return started;
    }

    QString settingsPath() const { return QString::fromStdString(MainSettingsFile(contest->folder)); }
    bool writeSettings(const QByteArray &extra = {}) const
    {
        return writeBytes(settingsPath(), "[GENERAL]\r\nMyCall=S59ABC\r\nMode=CW\r\nEBand=80\r\n" + extra);
    }

    // Every line the log held is still on the disk, in the log or in a file kept beside it.
    static void nothingLost(const QByteArray &original, const QString &logPath)
    {
        const QByteArray kept = fileBytes(logPath) + fileBytes(logPath + QStringLiteral(".rejected"));
        if (kept == original)
            return;
        for (QByteArray line : original.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                QVERIFY2(kept.contains(line), line.left(60).constData());
        }
    }

private slots:
    void init() { newContest("S59ABC", "CW", "80"); }
    void cleanup() { endContest(); }

    // The line reader decides which odd lines it takes; whatever it leaves out, or a log it
    // cannot read at all, is reported with the file's name and stays on the disk.
    void oddLogsStartAndKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("goodLines");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("kind");
        const QByteArray good = "2013-04-14 0712 S5XYZ 1987 80 CW\r\n";
        QTest::newRow("10 MB single line") << QByteArray(10 * 1024 * 1024, 'A') << 0 << 1 << int(File);
        QTest::newRow("10 MB line between QSOs")
            << good + "2013-04-14 0713 S5ABC " + QByteArray(10 * 1024 * 1024, '7') + " 80 CW\r\n" + good << 2 << 3
            << int(File);
        QTest::newRow("NUL bytes") << good + QByteArray("\0\0\0\0\r\n2013-04-14 0714 S5\0Z 1 80 CW\r\n", 36) << 1 << 3
                                   << int(File);
        QByteArray high;
        for (int b = 0x80; b <= 0xFF; ++b)
            high += static_cast<char>(b);
        QTest::newRow("bytes 0x80-0xFF") << high + "\r\n" + good + "2013-04-14 0715 S5\xC8\xD0 \xFF\x80 80 CW\r\n" << 1
                                         << 3 << int(File);
        QByteArray big;
        big.reserve(100 * 1024 * 1024 + 64);
        int lines = 0;
        for (; big.size() < 100 * 1024 * 1024; ++lines)
            big += "2013-04-14 0712 S5X" + QByteArray::number(lines % 100000) + " 1987 80 CW\r\n";
        QTest::newRow("100 MB log") << big << lines << lines << int(File);
        QTest::newRow("folder as log") << QByteArray("kept") << 0 << 1 << int(Folder);
        QTest::newRow("unreadable log") << good << 0 << 1 << int(Unreadable);
    }
    // Root reads every file, so as root the unreadable log runs again in a process of user nobody.
    void oddLogsStartAndKeepTheirBytes()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, goodLines);
        QFETCH(int, lines);
        QFETCH(int, kind);
        if (kind == Unreadable && geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            if (setpriv.isEmpty())
                QSKIP("running as root without setpriv to become another user");
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));  // a folder that user may write
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups",
                                  QCoreApplication::applicationFilePath(),
                                  "oddLogsStartAndKeepTheirBytes:unreadable log"});
            const bool ended = child.waitForFinished(120000);
            if (!ended) {
                child.kill();
                child.waitForFinished(5000);
            }
            QVERIFY2(ended, "the run as user nobody did not end in 120 s");
            QCOMPARE(child.exitStatus(), QProcess::NormalExit);
            QCOMPARE(child.exitCode(), 0);
            return;
        }
        QVERIFY(writeSettings());
        const QString logPath = dir->filePath(QStringLiteral("S59ABC.log"));
        const QString written = kind == Folder ? logPath + QStringLiteral("/inside.txt") : logPath;
        QVERIFY(kind != Folder || QDir().mkpath(logPath));
        QVERIFY(writeBytes(written, log));
        if (kind == Unreadable)
            QVERIFY(QFile::setPermissions(logPath, QFileDevice::Permissions()));
        const Started started = startAndClose(QTest::currentDataTag());
        if (kind == Unreadable)
            QVERIFY(QFile::setPermissions(logPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(started.rows >= goodLines && started.rows <= lines);
        QVERIFY(started.seconds < 60);
        QCOMPARE(started.messages.isEmpty(), started.rows == lines);
        if (started.rows < lines)
            QVERIFY(started.messages.join('\n').contains(logPath));
        if (kind == File)
            nothingLost(log, logPath);
        else
            QCOMPARE(fileBytes(written), log);
    }

    void oddSettingsStartAndKeepTheirLines_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QByteArray sections;
        for (int i = 0; i < 100000; ++i)
            sections += "[KEEP" + QByteArray::number(i) + "]\r\nKey=" + QByteArray::number(i) + "\r\n";
        QTest::newRow("100,000 sections") << sections;
        QTest::newRow("very long values") << "[Other]\r\nKEEP=" + QByteArray(1024 * 1024, 'v') + "\r\n[Memo]\r\nF1="
                                                 + QByteArray(100000, 'x') + "\r\n";
        QTest::newRow("lines without =") << QByteArray("[WK]\r\nKEEP no equals\r\nSpeed 30\r\n[KEEP\r\n]KEEP[\r\n");
        QTest::newRow("duplicate keys") << QByteArray("[general]\r\nMyCall=KEEP-second\r\n[WK]\r\nSpeed=20\r\nSpeed=KEEP\r\n");
    }
    void oddSettingsStartAndKeepTheirLines()
    {
        QFETCH(QByteArray, settings);
        QVERIFY(writeSettings(settings));
        const QByteArray before = fileBytes(settingsPath());
        const Started started = startAndClose(QTest::currentDataTag());
        QVERIFY(started.messages.isEmpty());
        QVERIFY(started.seconds < 60);
        // Every line the program does not own is still there, in its place.
        const QList<QByteArray> after = fileBytes(settingsPath()).split('\n');
        qsizetype at = 0;
        for (const QByteArray &line : before.split('\n')) {
            if (!line.contains("KEEP"))
                continue;
            while (at < after.size() && after[at] != line)
                ++at;
            QVERIFY2(at < after.size(), line.left(60).constData());
        }
    }
};

QTEST_MAIN(HostileStartTest)
#include "HostileStartTest.moc"
