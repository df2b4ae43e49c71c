#pragma once

#include <QString>

// The contest organisers' addresses behind "www" and "Send CBR". Placeholders:
// set them to the contest's own rules document and log reception page.
inline constexpr const char *ContestRulesAddress = "https://example.org/contest/rules.pdf";
inline constexpr const char *LogReceptionAddress = "https://example.org/contest/logs";

// The clock program "Tidewatch" starts, looked up on the PATH.
inline constexpr const char *TidewatchProgram = "Tidewatch";

// Opens a web address or a document (a path) with the desktop's default handler.
// False when nothing could take it; the menu commands ignore that, as an operator
// without a browser or viewer needs no message for it.
bool OpenWithDefaultHandler(const QString &addressOrPath);
bool OpenContestRules();
bool OpenLogReception();

// Starts the clock program found on the PATH with no arguments and does not wait for
// it. False, and nothing visible, when there is no such program or it does not start.
bool StartTidewatch();

// The About box: caption and text (lines joined by carriage return and line feed). The
// author's e-mail address and telephone number that closed it are left out.
QString AboutCaption();
QString AboutText();
