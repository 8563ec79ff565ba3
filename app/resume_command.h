// The console runner's side of --check, --resume and --mapping: reading the
// logs named by --resume into the state the run starts from, the log file
// name a resumed run writes, the command line that resumes a run, and the
// exit status. Main thread.
#pragma once

#include <string>

#include "app/cli_options.h"

class TExportThread;

// Hands --check, --resume and --mapping to the run before it starts; a
// resumed run's `log_file` may change so as not to write into the log it
// resumes. 0, or the exit status of a command line that cannot be run
// (reported on standard error).
int SetUpRunModes(TExportThread& run, const TCliOptions& options, std::string& log_file);

// After the run's end: the exit status, and the command that resumes a run
// that broke or was stopped as the last line on standard error.
int EndOfRunStatus(const TExportThread& run, const TCliOptions& options,
                   const std::string& log_file);
