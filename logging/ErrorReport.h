#pragma once

#include <functional>
#include <string>

// The application's error report: where a failure that no handler caught ends up.
// The program installs a handler that shows a message box; the default writes to stderr.
void reportApplicationError(const std::string &message);
void setApplicationErrorHandler(std::function<void(const std::string &)> handler);
