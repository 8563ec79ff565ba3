// The console runner's command line: the same settings as the window's
// fields, with the window's defaults and field checks (both from
// export/operator_settings.h), plus the folder of the log file, an HTTP
// read limit, a CA bundle for https, the two passwords from files or
// variables instead of options, and how many objects go to the platform at
// once. Reads only the password files and the process environment; any
// thread.
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
  std::string LogDir;  // as given (a file-system name); empty: log/log_location.h decides
  std::optional<int32_t> ReadTimeout;
  std::string CaFile;    // as given (a file-system name); empty: the system's store only
  int32_t Parallel = 1;  // objects on their way to the platform at once, 1 to kMaxParallel
  bool Help = false;
  bool Version = false;
  bool CheckOnly = false;         // --check: nothing is sent
  std::string ResumeLog;          // --resume LOG (a file-system name), empty: a first run
  bool ResendUncertain = false;   // --resend-uncertain
  std::string MappingFile;        // --mapping FILE (a file-system name)
  std::vector<std::string> Args;  // the command line as given, for the resume command
};

// `args` without the program name, as UTF-8 texts. Each password comes from
// its option, else the first line of its file option (--password-file,
// --db-password-file), else its variable (MARIVON_PASSWORD,
// HALVEX_DB_PASSWORD), else the default. Raises ECliOptionError for an
// unknown option, a missing value, a text that is not UTF-8, a password
// file that cannot be read (naming it), with the window's messages for a
// port or prefix that is not an integer or an object list without a valid
// item, and for options that do not go together.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);

// The --help text (UTF-8).
std::string CliUsage();
// The --version line: "halvex-export-cli " and the version.
std::string CliVersion();
