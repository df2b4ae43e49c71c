#pragma once

// How far an Enter-sends-message exchange has come. The numbers are what the
// diagnostic labels of the main window show.
enum class EsmStep {
    Idle = 0,              // no exchange under way
    AwaitingExchange = 1,  // Run: call and exchange sent, the received exchange is due
    RunLogging = 2,        // Run: the QSO is being logged; the commit thanks the station
    Logged = 4,            // logged by ESM; the Enter that did it ends the exchange
    SpLogging = 5,         // S/P: the QSO is being logged
};

// How far an S/P exchange has come since Esc.
enum class SpStage {
    Start = 0,        // the own call is still to be sent
    Going = 1,        // the own call or the exchange is out
    AskedRepeat = 3,  // a request for a repeat is out
};

constexpr int DiagnosticCode(EsmStep step) { return static_cast<int>(step); }
constexpr int DiagnosticCode(SpStage stage) { return static_cast<int>(stage); }
