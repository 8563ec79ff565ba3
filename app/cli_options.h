// The console runner's command line: the same settings as the window's
// fields, with the window's defaults and its two field checks, plus the
// folder of the log file, an HTTP read limit and how many objects go to the
// platform at once. Pure; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "source/db_options.h"

// A command line that cannot be run; the message is for standard error.
class ECliOptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr int32_t kMaxParallel = 32;

struct TCliOptions {
  TDBoptions Db;    // texts in Windows-1251, Charset "cp1251"
  std::string Url;  // ends in "/"
  std::string User;
  std::string Password;
  int32_t ObjPrefix = 0;
  std::string Scode;   // "YDX" or "GGL"
  std::string LogDir;  // as given (a file-system name); empty: the executable's folder
  std::optional<int32_t> ReadTimeout;
  int32_t Parallel = 1;  // objects on their way to the platform at once, 1 to kMaxParallel
  bool Help = false;
  bool CheckOnly = false;         // --check: nothing is sent
  std::string ResumeLog;          // --resume LOG (a file-system name), empty: a first run
  bool ResendUncertain = false;   // --resend-uncertain
  std::string MappingFile;        // --mapping FILE (a file-system name)
  std::vector<std::string> Args;  // the command line as given, for the resume command
};

// `args` without the program name, as UTF-8 texts. Raises ECliOptionError
// for an unknown option, a missing value, a text that is not UTF-8, with
// the window's messages for a port or prefix that is not an integer or an
// object list without a valid item, and for options that do not go together.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);

// The --help text (UTF-8).
std::string CliUsage();
