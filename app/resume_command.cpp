// The console runner's run modes: setting them up, the resumed run's log
// name, the resume command and the exit status.
#include "app/resume_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "export/ethread.h"
#include "export/run_log_reader.h"
#include "log/log_location.h"
#include "platform/files.h"

namespace {

// Quoted for a POSIX shell unless it holds only characters no shell treats specially.
std::string ShellWord(const std::string& word) {
  bool plain = !word.empty();
  for (const char c : word) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.' || c == '/' || c == ':' || c == '=' ||
                      c == ',' || c == '+' || c == '@';
    if (!safe) plain = false;
  }
  if (plain) return word;
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The state shown by `log_file` and the logs it names; raises ERunLogError
// (naming the file) when a log cannot be read, is not a run log, or shows
// no objects group made on the platform.
TMigrationState ReadResumeState(const std::string& log_file) {
  TMigrationState state = ReadMigrationLogs(log_file);
  if (state.GroupId == 0) {
    throw ERunLogError(log_file +
                       ": the log shows no objects group made on the platform; nothing to resume");
  }
  return state;
}

// `file_name` as an absolute name, so that a later resume finds it from
// any folder.
std::string AbsoluteName(const std::string& file_name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(file_name, error);
  return error ? file_name : absolute.lexically_normal().string();
}

// `preferred` when no file has that name, else the same name with "_2",
// "_3", ... before ".log": a resume started in the same second as the run
// it resumes must not write into that run's log.
std::string FreeLogFileName(const std::string& preferred) {
  if (!platform::FileExists(preferred)) return preferred;
  const size_t extension = std::size(runlog::kRunLogExtension) - 1;
  const std::string stem = preferred.substr(0, preferred.size() - extension);
  for (int n = 2;; ++n) {
    const std::string name = stem + "_" + std::to_string(n) + runlog::kRunLogExtension;
    if (!platform::FileExists(name)) return name;
  }
}

// Empty when `file_name` can be written (an existing file is left as it
// is); otherwise why not, for standard error.
std::string UnwritableReason(const std::string& file_name) {
  const bool existed = platform::FileExists(file_name);
  std::FILE* file = std::fopen(file_name.c_str(), "a");
  if (!file) return std::strerror(errno);
  std::fclose(file);
  if (!existed) std::remove(file_name.c_str());
  return {};
}

// The shell command that resumes a run: `program`, the arguments as given
// without any --resume, then "--resume" and `log_file`, each quoted for a
// POSIX shell where it needs it.
std::string ResumeCommand(const std::string& program, const std::vector<std::string>& args,
                          const std::string& log_file) {
  std::string command = ShellWord(program);
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--resume") {
      ++i;  // and its value
      continue;
    }
    if (args[i].rfind("--resume=", 0) == 0) continue;
    command += " " + ShellWord(args[i]);
  }
  return command + " --resume " + ShellWord(log_file);
}

}  // namespace

int SetUpRunModes(TExportThread& run, const TCliOptions& options, std::string& log_file) {
  if (!options.ResumeLog.empty()) {
    try {
      run.SetResume(ReadResumeState(options.ResumeLog), AbsoluteName(options.ResumeLog),
                    options.ResendUncertain);
    } catch (const ERunLogError& error) {
      std::fprintf(stderr, "halvex-export-cli: cannot resume: %s\n", error.what());
      return 2;
    }
    log_file = FreeLogFileName(log_file);
  }
  if (options.CheckOnly) run.SetCheckOnly();
  if (!options.MappingFile.empty()) {
    if (const std::string reason = UnwritableReason(options.MappingFile); !reason.empty()) {
      std::fprintf(stderr, "halvex-export-cli: --mapping %s cannot be written (%s)\n",
                   options.MappingFile.c_str(), reason.c_str());
      return 2;
    }
    run.SetMappingFile(options.MappingFile);
  }
  return 0;
}

int EndOfRunStatus(const TExportThread& run, const TCliOptions& options,
                   const std::string& log_file) {
  const TRunEnd end = run.RunEnd();
  if (options.CheckOnly) return end == TRunEnd::Completed ? 0 : 1;
  const bool resumed = !options.ResumeLog.empty();
  const bool broken = end != TRunEnd::Completed || (resumed && !run.AllExported());
  if (broken && run.GroupKnown()) {
    std::fprintf(stderr, "halvex-export-cli: to finish this migration, run:\n%s\n",
                 ResumeCommand(platform::ExeDirectory() + "halvex-export-cli", options.Args,
                               AbsoluteName(log_file))
                     .c_str());
  }
  if (resumed) return run.AllExported() ? 0 : 1;
  return end == TRunEnd::Completed ? 0 : 1;
}
