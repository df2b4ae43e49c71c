#include "logging/FolderLock.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/wait.h>
#include <unistd.h>

TEST(FolderLock, OneProgramPerFolderForItsWholeLife)
{
    TestFolder dir;
    // Another program, as far as the lock can tell: a process with an opening of its own.
    const auto claimedElsewhere = [&] {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(FolderLock().claim(dir.path()) ? 0 : 1);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    {
        FolderLock first;
        ASSERT_TRUE(first.claim(dir.path()));
        EXPECT_FALSE(claimedElsewhere());
    }
    EXPECT_TRUE(claimedElsewhere());
}

TEST(FolderLock, ASecondProgramSaysSoAndTouchesNoFile)
{
    TestFolder dir;
    const QString program = QString::fromStdString(dir.file("quillfeather"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLFEATHER_PROGRAM), program));
    FolderLock first;
    ASSERT_TRUE(first.claim(dir.path()));
    const QStringList before = QDir(QString::fromStdString(dir.path())).entryList(QDir::Files);

    QProcess second;
    second.setReadChannel(QProcess::StandardError);
    second.start(program, {});
    QByteArray said;  // generous wait: the program only has to start and find the folder taken
    while (!said.contains("already") && second.waitForReadyRead(60000))
        said += second.readAllStandardError();
    EXPECT_TRUE(said.contains("already running")) << said.constData();
    second.kill();
    second.waitForFinished();
    EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files), before);
    EXPECT_EQ(readFileBytes(dir.file(FolderLock::FileName)), "");
}
