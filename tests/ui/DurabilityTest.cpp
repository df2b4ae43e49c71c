#include "logging/Clock.h"
#include "logging/LogFile.h"
#include "support/TestSupport.h"
#include "support/WindowRig.h"

#include <csignal>
#include <fstream>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {

// The child: the program's main window on a folder, logging QSOs as fast as keys go and
// saying after each Enter whether the QSO was logged; for job "rewrite" deleting the last
// QSO over and over, each time rewriting the whole log; for "start" only starting.
int operate(const char *folder, const QString &job, int argc, char **argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit stands in for a full disk where tmpfs cannot be mounted
    QApplication app(argc, argv);
    ContestState st;
    LogTable table;
    SystemClock clock;
    Contest contest(st, table, clock, folder);
    MainWindow w(contest);
    BoxAnswerer cancel(QMessageBox::Cancel);  // error boxes are closed at once, as a hurried operator does
    w.show();
    std::printf("READY\n");
    std::fflush(stdout);
    for (int n = 0; job != QStringLiteral("start"); ++n) {
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
    return 0;
}

// One run of the child on a folder, and what it said.
struct Program {
    QProcess p;
    QStringList logged, failed;

    Program(const std::string &folder, const QString &job)
    {
        p.start(QCoreApplication::applicationFilePath(), {"--operate", QString::fromStdString(folder), job});
        QVERIFY(line() == QStringLiteral("READY"));
    }
    ~Program() { kill(); }
    QString line()
    {
        while (!p.canReadLine())
            if (!p.waitForReadyRead(30000))
                return QString();
        return take(p.readLine());
    }
    QString take(const QByteArray &bytes)
    {
        const QString text = QString::fromLatin1(bytes.trimmed());
        if (text.size() > 7)
            (text.startsWith(QStringLiteral("LOGGED ")) ? logged : failed) << text.mid(7);
        return text;
    }
    void readUntil(const QStringList &list, qsizetype count)
    {
        while (list.size() < count && !line().isEmpty()) {
        }
    }
    void kill()
    {
        p.kill();
        p.waitForFinished();
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

} // namespace

// The real main window in a child process, stopped by SIGKILL at random moments and starved
// of disk space part way through a line: every QSO whose Enter returned stays in the log.
class DurabilityTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    quint32 seed = QRandomGenerator::global()->generate();
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
        qInfo("random seed %u", seed);
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void killedOrOutOfSpaceLosesNoLoggedQso()
    {
        QDir(dir.path()).mkdir("small");
        const QByteArray small = (dir.path() + "/small").toLocal8Bit();
        const bool tmpfs = ::mount("quilltest", small.constData(), "tmpfs", 0, "size=256k") == 0;
        qInfo(tmpfs ? "on a 256 kB tmpfs" : "tmpfs cannot be mounted: a file size limit stands in");
        const std::string folder = programFolder("small");
        for (int round = 0; round < 36; ++round) {
            Program run(folder, QStringLiteral("R%1").arg(round));
            run.readUntil(run.logged, random.bounded(1, 15));
            if (round % 3 == 2) {  // space runs out, inside a line, and is then freed
                rlimit limit{readFileBytes(folder + "S5ABC.log").size() + random.bounded(1, 40), RLIM_INFINITY};
                if (tmpfs) {
                    std::ofstream filler(folder + "filler");
                    for (const std::string block(4096, 'x'); filler << block << std::flush;) {
                    }
                } else
                    QCOMPARE(::prlimit(run.p.processId(), RLIMIT_FSIZE, &limit, nullptr), 0);
                run.readUntil(run.failed, 3);
                limit.rlim_cur = RLIM_INFINITY;
                QVERIFY(tmpfs ? ::unlink((folder + "filler").c_str()) == 0
                              : ::prlimit(run.p.processId(), RLIMIT_FSIZE, &limit, nullptr) == 0);
                run.readUntil(run.logged, run.logged.size() + random.bounded(1, 10));
            }
            if (round % 2)
                QTest::qSleep(random.bounded(150));  // else right after an Enter returned
            run.kill();
            QVERIFY(round % 3 != 2 || run.failed.size() >= 3);
            QVERIFY2(run.logProblem(folder).isEmpty(), qPrintable(run.logProblem(folder)));
        }
        if (tmpfs)
            ::umount2(small.constData(), MNT_DETACH);
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
            QVERIFY(original.starts_with(log) && log.ends_with("\r\n") && (lines == 100000 || lines == 99999));
            interrupted += !temporaries().isEmpty();
            Program{folder, QStringLiteral("start")};
            QVERIFY(temporaries().isEmpty());
        }
        qInfo("%d of 8 kills stopped a rewrite part way", interrupted);
    }
};

int main(int argc, char **argv)
{
    if (argc >= 4 && std::string_view(argv[1]) == "--operate")
        return operate(argv[2], QString::fromLatin1(argv[3]), argc, argv);
    QCoreApplication app(argc, argv);
    DurabilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DurabilityTest.moc"
