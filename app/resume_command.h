// The console runner's side of taking up a broken migration: reading the
// logs named by --resume into the state the run starts from, the log file
// name a resumed run writes, and the command line that resumes a run.
// Pure or file-reading functions; main thread.
#pragma once

#include <string>
#include <vector>

#include "export/run_log_reader.h"

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
