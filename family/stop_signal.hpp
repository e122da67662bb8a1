// Interrupts of a run: SIGINT, SIGTERM and SIGHUP are caught and recorded
// instead of ending the process at once, so that the run can stop its
// converters and remove its stage first. Whoever waits (the job pool, a
// converter's runner) polls the record or the descriptor that wakes it.
#pragma once

namespace glyph::family {

// Catches the three signals for its lifetime and puts back the handlers that
// were there before. One at a time in a process.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};

// The signal that asked the run to stop, or 0 (always 0 while no
// StopSignals is alive, so that a later run in the process starts afresh).
int stop_signal();

// A descriptor that becomes readable (and stays so) once a stop is asked
// for, for poll(2); -1 while no StopSignals is alive.
int stop_descriptor();

// For the process's main, after the run: a run that was stopped by a signal ends by that
// signal, with the default action, so that the shell that started it sees
// it was interrupted (status 128 + the signal's number); otherwise `status`.
int end_as_signalled(int status);

}  // namespace glyph::family
