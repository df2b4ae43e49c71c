#include "logging/Clock.h"
#include "logging/LogFile.h"
#include "net/MosquittoRig.h"
#include "net/NetStation.h"
#include "support/TestSupport.h"
#include "support/WindowRig.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <set>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

constexpr int kLineWait = 20000;  // ms for one answer of the child on a loaded machine

// The test's next line, read with the event loop running as the program's runs between keys.
bool nextRequest(char (&request)[32])
{
    for (pollfd in{0, POLLIN, 0}; ::poll(&in, 1, 10) == 0;)
        QCoreApplication::processEvents();
    return std::fgets(request, sizeof request, stdin);
}

// The child: the program's main window on a folder, a networked position when its settings
// say so. Each line it reads is a number of Enters to make, as fast as keys go, saying after
// each whether the QSO was logged; for job "rewrite" deleting the last QSO instead, each time
// rewriting the whole log. It ends when its input does, and with the test.
int operate(const char *folder, const QString &job, int argc, char **argv)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit stands in for a full disk where tmpfs cannot be mounted
    QApplication app(argc, argv);
    ContestState st;
    LogTable table;
    SystemClock clock;
    Contest contest(st, table, clock, folder);
    MainWindow w(contest);
    BoxAnswerer cancel(QMessageBox::Cancel);  // error boxes are closed at once, as a hurried operator does
    NetSettings net;  // a position of a networked station when its settings say so
    LoadNetSettings(net, folder);
    NetStation station(table, net, st.MyCall, folder);
    if (std::string why; net.Enabled && !station.start(why))
        return std::printf("%s\n", why.c_str()), 1;
    w.show();
    std::printf("READY\n");
    std::fflush(stdout);
    char request[32];
    for (int n = 0; nextRequest(request);) {
        for (int enters = std::atoi(request); enters > 0; --enters, ++n) {
            const int before = st.QsoCount;
            const QString call = QStringLiteral("%1N%2").arg(job).arg(n);
            if (job == QStringLiteral("rewrite"))
                w.DeleteLastQSO->trigger();
            else {
                QTest::keyClicks(w.ECall, call + QStringLiteral(" 59"));
                QTest::keyClick(w.ECall, Qt::Key_Return);
                w.ECall->clear();
            }
            std::printf("%s %s\n", st.QsoCount != before ? "LOGGED" : "FAILED", qPrintable(call));
            std::fflush(stdout);
        }
    }
    return 0;
}

// One run of the child on a folder, and what it said.
struct Program {
    QProcess p;
    QStringList logged, failed;
    QString trouble;  // what the last wait ran out on

    Program(const std::string &folder, const QString &job)
    {
        p.start(QCoreApplication::applicationFilePath(), {"--operate", QString::fromStdString(folder), job});
        if (line() != QStringLiteral("READY") && trouble.isEmpty())
            trouble = QStringLiteral("the child did not say READY");
    }
    ~Program() { kill(); }
    // Sent at once: the test runs no event loop that would send it later.
    void ask(int enters)
    {
        p.write(QByteArray::number(enters) + '\n');
        p.waitForBytesWritten(kLineWait);
    }
    // The next line, or none when the child said nothing for kLineWait ms.
    QString line()
    {
        while (!p.canReadLine())
            if (!p.waitForReadyRead(kLineWait)) {
                trouble = QStringLiteral("waited %1 s for a line after %2 logged and %3 failed: %4")
                              .arg(kLineWait / 1000).arg(logged.size()).arg(failed.size()).arg(p.errorString());
                return QString();
            }
        return take(p.readLine());
    }
    // Reads the answers to that many Enters; false, with `trouble` saying why, when one is missing.
    bool answers(int count)
    {
        for (int i = 0; i < count; ++i)
            if (line().isEmpty())
                return false;
        return true;
    }
    QString take(const QByteArray &bytes)
    {
        const QString text = QString::fromLatin1(bytes.trimmed());
        if (text.size() > 7)
            (text.startsWith(QStringLiteral("LOGGED ")) ? logged : failed) << text.mid(7);
        return text;
    }
    void kill()
    {
        p.kill();
        p.waitForFinished(kLineWait);
        for (const QByteArray &rest : p.readAllStandardOutput().split('\n'))
            take(rest);  // a line the kill cut short names a QSO the operator was never told about
    }
    // A torn line, a QSO reported logged but missing, or one reported not logged but present.
    QString logProblem(const std::string &folder) const
    {
        const std::string text = readFileBytes(folder + "S5ABC.log");
        if (!text.empty() && !text.ends_with("\r\n"))
            return QStringLiteral("the log ends inside a line");
        std::set<QString> calls;
        for (size_t at = 0, end; at < text.size(); at = end + 2) {
            end = text.find("\r\n", at);
            const auto row = ParseQsoLine(std::string_view(text).substr(at, end - at));
            if (!row)
                return QStringLiteral("torn line: ") + QString::fromStdString(text.substr(at, end - at));
            calls.insert(QString::fromStdString(row->Call));
        }
        for (const QString &call : logged)
            if (!calls.count(call))
                return call + QStringLiteral(" was logged but is not in the log");
        for (const QString &call : failed)
            if (calls.count(call))
                return call + QStringLiteral(" failed but is in the log");
        return QString();
    }
};

// A tmpfs mounted for as long as it lives. Mounted only in a mount namespace of the test's
// own, so that a test stopped by any means leaves nothing mounted behind.
struct SmallDisk {
    QByteArray path;
    bool mounted = false;
    SmallDisk(const QString &folder, bool privateMounts) : path(folder.toLocal8Bit())
    {
        QDir().mkpath(folder);
        mounted = privateMounts && ::mount("quilltest", path.constData(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    }
};

bool privateMounts = false;

} // namespace

// The real main window in a child process, stopped by SIGKILL at random moments and starved
// of disk space part way through a line: every QSO whose Enter returned stays in the log.
// QUILL_TEST_SEED reruns the rounds of a seed an earlier run printed.
class DurabilityTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    quint32 seed = qEnvironmentVariableIsSet("QUILL_TEST_SEED") ? qEnvironmentVariableIntValue("QUILL_TEST_SEED")
                                                                 : QRandomGenerator::global()->generate();
    QRandomGenerator random{seed};

    std::string programFolder(const char *name)
    {
        QDir(dir.path()).mkdir(name);
        const std::string folder = (dir.path() + "/" + name + "/").toStdString();
        std::ofstream(folder + "Quillfeatherini.ini") << "[GENERAL]\r\nMyCall=S5ABC\r\nMode=SSB\r\nEBand=80\r\n";
        return folder;
    }

private slots:
    void initTestCase()
    {
        qInfo("random seed %u (QUILL_TEST_SEED=%u reruns it)", seed, seed);
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void killedOrOutOfSpaceLosesNoLoggedQso()
    {
        const SmallDisk small(dir.path() + "/small", privateMounts);
        qInfo(small.mounted ? "on a 256 kB tmpfs" : "tmpfs cannot be mounted: a file size limit stands in");
        const std::string folder = programFolder("small");
        // Each round logs a few dozen QSOs at most, so the log never fills the disk by itself.
        for (int round = 0; round < 36; ++round) {
            const int first = random.bounded(1, 15), after = random.bounded(1, 10);
            qInfo("round %d: %d QSOs before the kill or the full disk, %d after it", round, first, after);
            Program run(folder, QStringLiteral("R%1").arg(round));
            QVERIFY2(run.trouble.isEmpty(), qPrintable(run.trouble));
            run.ask(round % 3 == 2 ? first : first + 20);  // else the kill comes while it still logs
            QVERIFY2(run.answers(first), qPrintable(run.trouble));
            QVERIFY2(run.failed.isEmpty(), qPrintable(run.failed.join(' ') + " failed with room on the disk"));
            if (round % 3 == 2) {  // space runs out, inside a line, and is then freed
                rlimit limit{readFileBytes(folder + "S5ABC.log").size() + random.bounded(1, 40), RLIM_INFINITY};
                if (small.mounted) {
                    std::ofstream filler(folder + "filler");
                    for (const std::string block(4096, 'x'); filler << block << std::flush;) {
                    }
                } else
                    QCOMPARE(::prlimit(run.p.processId(), RLIMIT_FSIZE, &limit, nullptr), 0);
                // The log's last page of the tmpfs may still take a hundred lines.
                for (int enters = 0; run.failed.size() < 3; ++enters) {
                    QVERIFY2(enters < 200, "200 QSOs were logged on a full disk");
                    run.ask(1);
                    QVERIFY2(run.answers(1), qPrintable(run.trouble));
                }
                limit.rlim_cur = RLIM_INFINITY;
                QVERIFY(small.mounted ? ::unlink((folder + "filler").c_str()) == 0
                                      : ::prlimit(run.p.processId(), RLIMIT_FSIZE, &limit, nullptr) == 0);
                const qsizetype failed = run.failed.size();
                run.ask(after + 20);
                QVERIFY2(run.answers(after), qPrintable(run.trouble));
                QVERIFY2(run.failed.size() == failed, "a QSO failed after the space came back");
            }
            if (round % 2)
                QTest::qSleep(random.bounded(150));  // else right after an Enter returned
            run.kill();
            QVERIFY2(run.logProblem(folder).isEmpty(), qPrintable(run.logProblem(folder)));
        }
    }

    void killedDuringARewriteLeavesTheLogWhole()
    {
        const std::string folder = programFolder("rewrite");
        std::string original;
        for (int i = 0; i < 100000; ++i)
            original += "2013-04-14 0712 K" + std::to_string(i) + "ABC 59 80 SSB\r\n";
        const auto temporaries = [&] { return QDir(QString::fromStdString(folder)).entryList({"*.~*"}); };
        int interrupted = 0;
        for (int round = 0; round < 8; ++round) {
            std::ofstream(folder + "S5ABC.log", std::ios::binary) << original;
            Program run(folder, QStringLiteral("rewrite"));
            QVERIFY2(run.trouble.isEmpty(), qPrintable(run.trouble));
            run.ask(100);  // more rewrites than fit before the kill
            if (round % 2)
                QTest::qSleep(random.bounded(400));
            else {  // while the new content is being written
                QElapsedTimer waited;
                for (waited.start(); temporaries().isEmpty() && waited.elapsed() < 5000;) {
                }
                QTest::qSleep(random.bounded(10));
            }
            run.kill();
            // The rewrite that was stopped either replaced the log or left it as it was.
            const std::string log = readFileBytes(folder + "S5ABC.log");
            const auto lines = std::count(log.begin(), log.end(), '\n') + run.logged.size();
            QVERIFY2(original.starts_with(log) && log.ends_with("\r\n") && (lines == 100000 || lines == 99999),
                     qPrintable(QStringLiteral("round %1: %2 lines after %3 deletions").arg(round).arg(lines)
                                    .arg(run.logged.size())));
            interrupted += !temporaries().isEmpty();
            const Program start(folder, QStringLiteral("start"));
            QVERIFY2(start.trouble.isEmpty(), qPrintable(start.trouble));
            QVERIFY(temporaries().isEmpty());
        }
        qInfo("%d of 8 kills stopped a rewrite part way", interrupted);
    }

    // A position killed right after Enter: every QSO in its log reaches another position,
    // told at the latest by its next start.
    void killedRightAfterEnterItsQsosReachTheOthers()
    {
        MosquittoRig broker;
        QVERIFY2(MosquittoRig::installed() && broker.start(), "no mosquitto took connections in 10 s");
        const std::string folder = programFolder("net");
        std::ofstream(folder + "Quillfeatherini.ini", std::ios::app)
            << "[NET]\r\nEnabled=1\r\nStation=RUN1\r\nGroup=S50A\r\nBroker=" << broker.address() << "\r\n";
        TestFolder otherFolder;
        LogTable otherLog;
        NetStation other(otherLog, NetSettings{true, broker.address(), "RUN2", 0, "S50A", {}, {}, false, {}}, "",
                         otherFolder.path());
        std::string why;
        QVERIFY2(other.start(why), why.c_str());
        for (int round = 0, lines = 0, late = 0;; ++round) {
            Program run(folder, QStringLiteral("N%1").arg(round));  // tells what the last one did not
            QVERIFY2(waitUntil([&] { return other.sharedLog().liveCount() == lines; }, kLineWait),
                     qPrintable(QStringLiteral("%1; RUN2 has %2 of RUN1's %3 QSOs").arg(run.trouble)
                                    .arg(other.sharedLog().liveCount()).arg(lines)));
            if (round == 8)
                return qInfo("%d of %d QSOs reached RUN2 only after RUN1's restart", late, lines);
            const int enters = random.bounded(1, 6);
            run.ask(enters + round % 2 * 20);  // odd rounds: killed while it still logs
            QVERIFY2(run.answers(enters), qPrintable(run.trouble));
            run.kill();
            lines = CountLogFile(folder + "S5ABC.log");
            QTest::qWait(300);  // what was on its way has come by then
            late += lines - other.sharedLog().liveCount();
        }
    }
};

int main(int argc, char **argv)
{
    if (argc >= 4 && std::string_view(argv[1]) == "--operate")
        return operate(argv[2], QString::fromLatin1(argv[3]), argc, argv);
    // Mounts made from here on belong to this process and its children alone, and go with them.
    privateMounts = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QCoreApplication app(argc, argv);
    DurabilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DurabilityTest.moc"
