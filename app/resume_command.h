// The console runner's side of --check, --resume and --mapping: reading the
// logs named by --resume into the state the run starts from, the log file
// name a resumed run writes, the command line that resumes a run, and the
// exit status. Main thread.
#pragma once

#include <string>
#include <vector>

#include "app/cli_options.h"
#include "export/run_log_reader.h"

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

// The state shown by `log_file` and the logs it names; raises ERunLogError
// (naming the file) when a log cannot be read, is not a run log, or shows
// no objects group made on the platform.
TMigrationState ReadResumeState(const std::string& log_file);

// `file_name` as an absolute name, so that a later resume finds it from
// any folder.
std::string AbsoluteName(const std::string& file_name);

// `preferred` when no file has that name, else the same name with "_2",
// "_3", ... before ".log": a resume started in the same second as the run
// it resumes must not write into that run's log.
std::string FreeLogFileName(const std::string& preferred);

// Empty when `file_name` can be written (an existing file is left as it
// is); otherwise why not, for standard error.
std::string UnwritableReason(const std::string& file_name);

// The shell command that resumes a run: `program`, the arguments as given
// without any --resume, then "--resume" and `log_file`, each quoted for a
// POSIX shell where it needs it.
std::string ResumeCommand(const std::string& program, const std::vector<std::string>& args,
                          const std::string& log_file);
