// The console runner: one export run without the window. The calling
// (main) thread serves the run's report-line requests in a plain loop and
// prints each line as UTF-8 on standard output; Ctrl-C (or SIGTERM) is the
// Stop button.
// Call from the main thread, once per process.
#pragma once

#include "app/cli_options.h"

// Runs the export and returns the exit status: 0 when the run went through
// its objects, wrote its summary and every line reached the log file; 1
// when it ended early, was stopped, lost the target or could not read the
// objects, ended by an error, or the log file lacks lines; 2 (with a
// message on standard error) when the CA file cannot be loaded (with
// --resume and --check: resume_command.h). Standard error names the log
// file at the start and tells once when it lacks lines.
int RunCliExport(const TCliOptions& options);
