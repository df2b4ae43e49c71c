#include "support/WindowRig.h"
#include "ui/Launch.h"

#include <QDesktopServices>

// Catches what would go to the desktop's browser or viewer.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class LaunchTest : public QObject {
    Q_OBJECT

private slots:
    void addressesAndDocumentsGoToTheDefaultHandler()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QVERIFY(OpenContestRules());
        QVERIFY(OpenLogReception());
        QVERIFY(OpenWithDefaultHandler(QStringLiteral("/opt/quillfeather/rules file.pdf")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(QString::fromLatin1(ContestRulesAddress)),
                                              QUrl(QString::fromLatin1(LogReceptionAddress)),
                                              QUrl::fromLocalFile(QStringLiteral("/opt/quillfeather/rules file.pdf"))}));
    }

    void tidewatchStartsFromThePathOrNotAtAll()
    {
        const QByteArray savedPath = qgetenv("PATH");
        QTemporaryDir empty, withClock;
        qputenv("PATH", empty.path().toLocal8Bit());
        QVERIFY(!StartTidewatch());

        const QString marker = withClock.filePath(QStringLiteral("started"));
        const QString script = withClock.filePath(QStringLiteral("Tidewatch"));
        QVERIFY(writeBytes(script, "#!/bin/sh\necho \"$#\" > '" + marker.toLocal8Bit() + "'\n"));
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", (empty.path() + QLatin1Char(':') + withClock.path()).toLocal8Bit());
        const bool started = StartTidewatch();
        qputenv("PATH", savedPath);
        QVERIFY(started);
        QTRY_COMPARE(fileBytes(marker), QByteArray("0\n"));  // nothing is passed to it
    }

    void aboutBoxNamesTheProgramAndNoPerson()
    {
        QCOMPARE(AboutCaption(), QStringLiteral("Quillfeather"));
        // The line that named the author names the project; the lines after the version stay as
        // they were, only a person's address and phone are left out.
        const QStringList lines = AboutText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(0, 2),
                 QStringList({QStringLiteral("Programiral:"), QStringLiteral("Quillfeather developers")}));
        QCOMPARE(lines.mid(5), QStringList({QStringLiteral("Program Ver.:  1.01"),
                                            QStringLiteral("Zadnje spremembe 16.08.2019 "), QString(), QString(),
                                            QStringLiteral("Informacije, predlogi, pomoč preko emaila:")}));
        QVERIFY(!AboutText().contains(QLatin1Char('@')) && !AboutText().contains(QStringLiteral("mob.")));
    }
};

QTEST_MAIN(LaunchTest)
#include "LaunchTest.moc"
