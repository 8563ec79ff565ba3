// The console runner: one export run without the window. The calling
// (main) thread serves the run's report-line requests in a plain loop and
// prints each line as UTF-8 on standard output; Ctrl-C (or SIGTERM) is the
// Stop button.
// Call from the main thread, once per process.
#pragma once

#include "app/cli_options.h"

// Runs the export and returns the exit status: 0 when the run went through
// its objects and wrote its summary, 1 when it ended early, was stopped, lost
// the target or could not read the objects, or ended by an error (with
// --resume and --check: resume_command.h).
int RunCliExport(const TCliOptions& options);

// "Log_dd_mm_yyyy_hh-nn-ss.log" for the present moment, in `dir`
// (the executable's folder when empty).
std::string CliLogFileName(const std::string& dir);
