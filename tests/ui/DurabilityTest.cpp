#include "logging/Clock.h"
#include "logging/Contest.h"
#include "logging/LogFile.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The child: the program's main window on a folder, logging QSOs as fast as keys go and
// saying after each Enter whether the QSO was logged; or, for job "rewrite", deleting the
// last QSO over and over, each time rewriting the whole log; or, for "start", only starting.
int operate(const char *folder, const QString &job, int argc, char **argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit stands in for a full disk where tmpfs cannot be mounted
    QApplication app(argc, argv);
    ContestState st;
    LogTable table;
    SystemClock clock;
    Contest contest(st, table, clock, folder);
    MainWindow w(contest);
    QTimer answer;  // error boxes are closed at once, as a hurried operator does
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    answer.start(1);
    w.show();
    std::printf("READY\n");
    std::fflush(stdout);
    for (int n = 0; job != QStringLiteral("start"); ++n) {
        const int before = st.QsoCount;
        const QString call = QStringLiteral("%1N%2").arg(job).arg(n);
        if (job == QStringLiteral("rewrite")) {
            w.DeleteLastQSO->trigger();
        } else {
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
        if (text.startsWith(QStringLiteral("LOGGED ")))
            logged << text.mid(7);
        if (text.startsWith(QStringLiteral("FAILED ")))
            failed << text.mid(7);
        return text;
    }
    void kill()
    {
        p.kill();
        p.waitForFinished();
        for (const QByteArray &rest : p.readAllStandardOutput().split('\n'))
            take(rest);  // a line cut short by the kill names a call that was never told the operator
    }
};

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A torn line, a QSO reported logged but missing, or one reported not logged but present.
QString logProblem(const std::string &folder, const Program &run)
{
    const std::string text = readAll(folder + "S5ABC.log");
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
    for (const QString &call : run.logged)
        if (!calls.count(call))
            return call + QStringLiteral(" was logged but is not in the log");
    for (const QString &call : run.failed)
        if (calls.count(call))
            return call + QStringLiteral(" failed but is in the log");
    return QString();
}

} // namespace

// The real main window in a child process, stopped by SIGKILL at random moments and starved
// of disk space part way through a line: every QSO whose Enter returned stays in the log.
class DurabilityTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random{seed};

    std::string programFolder(const QString &name)
    {
        QDir(dir.path()).mkdir(name);
        return (dir.path() + "/" + name + "/").toStdString();
    }
    static void settle(const std::string &folder)
    {
        std::ofstream(folder + "Quillfeatherini.ini") << "[GENERAL]\r\nMyCall=S5ABC\r\nMode=SSB\r\nEBand=80\r\n";
    }

private slots:
    void initTestCase()
    {
        qInfo("random seed %u", seed);
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void killedAtAnyMomentLosesNoLoggedQso()
    {
        const std::string folder = programFolder(QStringLiteral("kill"));
        settle(folder);
        for (int round = 0; round < 30; ++round) {
            Program run(folder, QStringLiteral("R%1").arg(round));
            if (round % 2)
                QTest::qSleep(random.bounded(150));
            else  // right after an Enter returned
                for (int k = random.bounded(1, 15); k > 0; --k)
                    QVERIFY(!run.line().isEmpty());
            run.kill();
            QVERIFY2(logProblem(folder, run).isEmpty(), qPrintable(logProblem(folder, run)));
        }
    }

    void fullDiskCutsNoLineAndLosesNoLoggedQso()
    {
        const std::string folder = programFolder(QStringLiteral("full"));
        const bool tmpfs = ::mount("quilltest", folder.c_str(), "tmpfs", 0, "size=256k") == 0;
        qInfo(tmpfs ? "on a 256 kB tmpfs" : "tmpfs cannot be mounted: a file size limit stands in");
        settle(folder);
        for (int round = 0; round < 8; ++round) {
            Program run(folder, QStringLiteral("D%1").arg(round));
            for (int k = random.bounded(1, 10); k > 0; --k)
                QVERIFY(!run.line().isEmpty());
            rlimit limit{RLIM_INFINITY, RLIM_INFINITY};
            const std::string filler = folder + "filler";
            if (tmpfs) {
                const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
                const std::string block(4096, 'x');
                while (::write(fd, block.data(), block.size()) > 0) {
                }
                ::close(fd);
            } else {
                limit.rlim_cur = readAll(folder + "S5ABC.log").size() + random.bounded(1, 40);
                QCOMPARE(::prlimit(run.p.processId(), RLIMIT_FSIZE, &limit, nullptr), 0);
                limit.rlim_cur = RLIM_INFINITY;
            }
            while (run.failed.size() < 3)
                QVERIFY(!run.line().isEmpty());
            if (tmpfs)
                ::unlink(filler.c_str());
            else
                QCOMPARE(::prlimit(run.p.processId(), RLIMIT_FSIZE, &limit, nullptr), 0);
            for (const qsizetype target = run.logged.size() + random.bounded(1, 10); run.logged.size() < target;)
                QVERIFY(!run.line().isEmpty());
            run.kill();
            QVERIFY2(logProblem(folder, run).isEmpty(), qPrintable(logProblem(folder, run)));
        }
        if (tmpfs)
            ::umount2(folder.c_str(), MNT_DETACH);
    }

    void killedDuringARewriteLeavesTheLogOrItsBackupWhole()
    {
        const std::string folder = programFolder(QStringLiteral("rewrite"));
        settle(folder);
        std::string original;
        for (int i = 0; i < 100000; ++i)
            original += QStringLiteral("2013-04-14 %1 K%2ABC 59 80 SSB\r\n")
                            .arg(i % 1440 / 60 * 100 + i % 60, 4, 10, QLatin1Char('0')).arg(i).toStdString();
        const auto whole = [&](const std::string &text, int lines) {
            return text.size() <= original.size() && original.compare(0, text.size(), text) == 0
                && std::count(text.begin(), text.end(), '\n') == lines;
        };
        const auto temporaries = [&] { return QDir(QString::fromStdString(folder)).entryList({"*.~*"}); };
        int interrupted = 0;
        for (int round = 0; round < 8; ++round) {
            std::ofstream(folder + "S5ABC.log", std::ios::binary | std::ios::trunc) << original;
            Program run(folder, QStringLiteral("rewrite"));
            if (round % 2)
                QTest::qSleep(random.bounded(400));
            else {  // while the new content is being written
                QElapsedTimer waited;
                waited.start();
                while (temporaries().isEmpty() && waited.elapsed() < 5000) {
                }
                QTest::qSleep(random.bounded(10));
            }
            run.kill();
            const int left = 100000 - static_cast<int>(run.logged.size());
            QVERIFY(whole(readAll(folder + "S5ABC.log"), left) || whole(readAll(folder + "S5ABC.log"), left - 1)
                    || whole(readAll(folder + "S5ABC.log.bak"), left));
            interrupted += !temporaries().isEmpty();
            Program{folder, QStringLiteral("start")};
            QVERIFY(temporaries().isEmpty());
        }
        qInfo("%d of 8 kills left a rewrite part way", interrupted);
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
