#pragma once

#include "logging/ContestState.h"

#include <string>

// Cut numbers over text, in the order 0->T, 0->O, 9->N: with both 0-flags on, zeros
// become T. Runs before the macros, so digits a macro inserts (a call, the licence
// year) are never cut.
std::string ApplyShortChars(std::string text, const ContestState &state);
// The same in place on state.MessageText.
void ApplyShortChars(ContestState &state);

// The longest message composed: twice the longest stored memory, so every message
// with ordinary calls and exchanges goes whole while a crafted one stays bounded.
inline constexpr size_t MessageLimit = 4096;

// Macro replacement in one pass: "*" MyCall, "!" QsoCall, "#" MyYearLic, "$"
// LastCall, "~" the next QSO's serial number (three digits at least, cut numbers
// applied), each put in as text; "<" and ">" become a buffered speed change to Speed
// plus or minus SpeedUp and "%" cancels it; with SpeedMode 0 the text gets a Set WPM
// Speed prefix so messages go at the program's speed while the pot serves the paddle.
// The result ends at MessageLimit bytes, never inside a speed frame.
std::string ExpandMacros(std::string text, const ContestState &state);
// The same in place on state.MessageText.
void ExpandMacros(ContestState &state);

// The exact bytes a message key writes to the keyer for a stored text: an empty
// text becomes "?", one blank is appended, then cut numbers and macros.
std::string ComposeCwMessage(const std::string &text, const ContestState &state);

// SendCwMessage's preparation: state.MessageText becomes ComposeCwMessage(text).
// The sender writes MessageText when the port is open and empties it afterwards,
// so a failed write leaves it filled until the next send.
void PrepareCwMessage(ContestState &state, const std::string &text);
