#include "ui/Launch.h"

#include "logging/Version.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

bool OpenWithDefaultHandler(const QString &addressOrPath)
{
    const QUrl asUrl(addressOrPath, QUrl::StrictMode);
    // A one-letter scheme is a Windows drive ("C:"), so that is a path too.
    const bool isAddress = asUrl.isValid() && asUrl.scheme().size() > 1;
    return QDesktopServices::openUrl(isAddress ? asUrl : QUrl::fromLocalFile(addressOrPath));
}

bool OpenContestRules()
{
    return OpenWithDefaultHandler(QString::fromLatin1(ContestRulesAddress));
}

bool OpenLogReception()
{
    return OpenWithDefaultHandler(QString::fromLatin1(LogReceptionAddress));
}

bool StartTidewatch()
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(TidewatchProgram));
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, QStringList());
}

QString AboutCaption()
{
    return QStringLiteral("Quillfeather");
}

QString AboutText()
{
    return QStringLiteral("Programiral:\r\n"
                          "Quillfeather developers\r\n"
                          "SSB - Januarj 2019\r\n"
                          "CW  - Avgust 2019.\r\n"
                          "\r\n"
                          "Program Ver.:  ")
           + QLatin1String(QuillfeatherVersion)
           + QStringLiteral("\r\n"
                            "Zadnje spremembe 16.08.2019 \r\n"
                            "\r\n"
                            "\r\n"
                            "Informacije, predlogi, pomoč preko emaila:");
}
