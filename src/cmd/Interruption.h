#pragma once

class CCompare;

// SIGINT and SIGTERM cancel a comparison the way ESC does in the window; the command then ends with exit
// status 2 and "Comparison cancelled" on standard error. A signal while the results are being written,
// or a second signal, ends the process at once the same way: a write to a pipe that nobody reads never
// returns to look at a flag, and a user who presses Ctrl+C twice wants out.
namespace Interruption {

// Catches the two signals from now on; their first one also sets compare's cancel flag.
void Install(CCompare& compare);
// Hands the signals back to their default action (and forgets compare) once the run has nothing left to stop.
void Uninstall();

// Whether a signal came since Install.
bool Happened();
// The results are being written from now on.
void EnterOutput();
// Writes "Comparison cancelled" on standard error, once however many paths come here.
void Report();

} // namespace Interruption
