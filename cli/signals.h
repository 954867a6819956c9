#pragma once

namespace velqo::cli {

// Ctrl-C (and SIGTERM, SIGHUP) as the Cancel button: the first only counts,
// and the event pump turns the count into a cancel request, so the file in
// progress is finished; a second one removes the temporary file of the copy
// in progress and ends the process at once with status 3. SIGPIPE is
// ignored, so a closed output pipe cannot kill a copy half-way.
void InstallInterruptHandlers();

// How many interrupts have arrived (0 or 1: the second never returns).
int InterruptCount();

}  // namespace velqo::cli
