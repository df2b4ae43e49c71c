#pragma once

#include <string>

// The padded report placed after a call in Cabrillo lines: the call, blanks, and
// "599" (CW) or "59" (SSB) make 16 characters, then one blank. Calls too long for
// that still get one blank before the report. Empty for an empty call or another mode.
std::string ReportField(const std::string &call, const std::string &mode);
