#pragma once

#include <string>

// The padded report placed after a call in Cabrillo lines: the call, blanks, and
// "599" (CW) or "59" (SSB) make 16 characters, then one blank. A call too long for
// that still gets one blank before the report. Empty for a mode other than CW or SSB.
std::string ReportField(const std::string &call, const std::string &mode);
