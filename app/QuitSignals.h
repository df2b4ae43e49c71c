#pragma once

#include <functional>

// Runs onQuit on the GUI thread when the program is asked to stop by SIGTERM or
// SIGINT, so it ends as "Close" ends it instead of losing its settings.
void watchQuitSignals(std::function<void()> onQuit);
