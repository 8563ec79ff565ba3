// ParseCliOptions and the --help text of halvex-export-cli.
#include "app/cli_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string_view>
#include <utility>

#include "export/operator_settings.h"
#include "log/log_location.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "source/object_filter.h"

namespace {

// Every option: one with a value is given as "--name VALUE" or
// "--name=VALUE", a flag alone.
struct TOptionName {
  const char* Name;
  bool TakesValue;
};
const TOptionName kOptionNames[] = {
    {"--db-host", true},       {"--db-port", true},     {"--db-name", true},
    {"--db-user", true},       {"--db-password", true}, {"--db-password-file", true},
    {"--url", true},           {"--user", true},        {"--password", true},
    {"--password-file", true}, {"--prefix", true},      {"--geocoder", true},
    {"--objects", true},       {"--log-dir", true},     {"--read-timeout", true},
    {"--ca-file", true},       {"--parallel", true},    {"--resume", true},
    {"--mapping", true},       {"--check", false},      {"--resend-uncertain", false}};

// The option called `name`, or null.
const TOptionName* FindOption(const std::string& name) {
  for (const TOptionName& known : kOptionNames) {
    if (name == known.Name) return &known;
  }
  return nullptr;
}

// `utf8`, the value of `name`, as Windows-1251; malformed UTF-8 is refused
// rather than lost.
std::string Cp1251Value(const std::string& name, const std::string& utf8) {
  std::string text = platform::Utf8ToCp1251(utf8);
  if (text.empty() && !utf8.empty()) throw ECliOptionError(name + ": the value is not UTF-8 text");
  return text;
}

std::string Text(const std::map<std::string, std::string>& given, const std::string& name,
                 const std::string& fallback) {
  auto it = given.find(name);
  return it == given.end() ? fallback : Cp1251Value(name, it->second);
}

// The first line of a file, its line end dropped.
std::string FirstLine(const std::string& option, const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!file || (!std::getline(file, line) && !file.eof()) || file.bad()) {
    const int err = errno;
    throw ECliOptionError(option + " " + path + ": cannot be read (" + std::strerror(err) + ")");
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// A password from its option, its file option, its variable or the default,
// in that order, as Windows-1251.
std::string Secret(const std::map<std::string, std::string>& given, const std::string& name,
                   const char* variable, const std::string& fallback) {
  if (given.count(name)) return Text(given, name, fallback);
  if (auto it = given.find(name + "-file"); it != given.end()) {
    return Cp1251Value(name + "-file", FirstLine(name + "-file", it->second));
  }
  if (const char* value = std::getenv(variable)) return Cp1251Value(variable, value);
  return fallback;
}

}  // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
  TCliOptions options;
  options.Args = args;
  std::map<std::string, std::string> given;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.Help = true;
      return options;
    }
    if (arg == "--version") {
      options.Version = true;
      return options;
    }
    if (const TOptionName* flag = FindOption(arg); flag && !flag->TakesValue) {
      given[arg];
      continue;
    }
    std::string name = arg, value;
    const size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    } else if (FindOption(arg)) {
      if (i + 1 >= args.size()) throw ECliOptionError(arg + ": a value is missing");
      value = args[++i];
    }
    const TOptionName* option = FindOption(name);
    if (!option || !option->TakesValue) {
      throw ECliOptionError("unknown option " + arg + " (see --help)");
    }
    given[name] = value;
  }
  options.CheckOnly = given.count("--check") > 0;
  options.ResendUncertain = given.count("--resend-uncertain") > 0;

  options.Db.Host = Text(given, "--db-host", kDefaultDbHost);
  options.Db.DBName = Text(given, "--db-name", kDefaultDbName);
  options.Db.User = Text(given, "--db-user", kDefaultDbUser);
  options.Db.Password = Secret(given, "--db-password", "HALVEX_DB_PASSWORD", kDefaultDbPassword);
  options.Db.ObjectList = Text(given, "--objects", "");
  if (!platform::TryTextToInt(Text(given, "--db-port", kDefaultDbPort), options.Db.Port)) {
    throw ECliOptionError(kBadPortMessage);
  }
  options.Db.Charset = kDbCharset;
  if (!platform::TryTextToInt(Text(given, "--prefix", kDefaultObjPrefix), options.ObjPrefix)) {
    throw ECliOptionError(kBadPrefixMessage);
  }
  if (ObjectListRefused(options.Db.ObjectList)) throw ECliOptionError(kBadObjectListMessage);
  const std::string geocoder = Text(given, "--geocoder", kDefaultGeocoder);
  if (geocoder != kGeocoderNames[0] && geocoder != kGeocoderNames[1]) {
    throw ECliOptionError(std::string("--geocoder: ") + kGeocoderNames[0] + " or " +
                          kGeocoderNames[1]);
  }
  options.Scode = GeocoderCode(geocoder);
  options.Url = Text(given, "--url", kDefaultUrl);
  if (options.Url.empty()) throw ECliOptionError("--url: the URL is empty");
  if (options.Url.back() != '/') options.Url += '/';
  options.User = Text(given, "--user", kDefaultUser);
  options.Password = Secret(given, "--password", "MARIVON_PASSWORD", kDefaultPassword);
  if (auto it = given.find("--log-dir"); it != given.end()) options.LogDir = it->second;
  if (auto it = given.find("--ca-file"); it != given.end()) {
    if (it->second.empty()) throw ECliOptionError("--ca-file: the file name is empty");
    options.CaFile = it->second;
  }
  if (given.count("--read-timeout")) {
    int32_t ms = 0;
    if (!platform::TryTextToInt(Text(given, "--read-timeout", ""), ms) || ms < 0) {
      throw ECliOptionError("--read-timeout: a number of milliseconds, 0 for no limit");
    }
    options.ReadTimeout = ms;
  }
  if (given.count("--parallel")) {
    if (!platform::TryTextToInt(Text(given, "--parallel", ""), options.Parallel) ||
        options.Parallel < 1 || options.Parallel > kMaxParallel) {
      throw ECliOptionError("--parallel: a number of objects from 1 to " +
                            platform::IntToStr(kMaxParallel));
    }
  }
  if (auto it = given.find("--resume"); it != given.end()) options.ResumeLog = it->second;
  if (auto it = given.find("--mapping"); it != given.end()) options.MappingFile = it->second;
  if (options.CheckOnly && (!options.ResumeLog.empty() || !options.MappingFile.empty())) {
    throw ECliOptionError("--check sends nothing: it takes neither --resume nor --mapping");
  }
  if (options.ResendUncertain && options.ResumeLog.empty()) {
    throw ECliOptionError("--resend-uncertain: only with --resume");
  }
  return options;
}

std::string CliUsage() {
  std::string text =
      "Usage: halvex-export-cli [options]\n"
      "Exports the guarded objects of a Halvex database to the Marivon platform,\n"
      "as the window's Start does, printing every report line.\n"
      "\n"
      "  --db-host HOST        Halvex MySQL server ({db-host})\n"
      "  --db-port N           its port ({db-port})\n"
      "  --db-name NAME        database ({db-name})\n"
      "  --db-user USER        account ({db-user})\n"
      "  --db-password TEXT    password ({db-password}); visible to every user in ps,\n"
      "                        prefer --db-password-file or HALVEX_DB_PASSWORD\n"
      "  --db-password-file FILE  the password is the file's first line\n"
      "  --url URL             Marivon base URL, \"/\" is appended when missing\n"
      "                        ({url})\n"
      "  --user USER           Marivon account ({user})\n"
      "  --password TEXT       its password ({password}); visible to every user in ps,\n"
      "                        prefer --password-file or MARIVON_PASSWORD\n"
      "  --password-file FILE  the password is the file's first line\n"
      "  --ca-file FILE        PEM certificates trusted for an https URL besides\n"
      "                        the system's store (SSL_CERT_FILE, SSL_CERT_DIR)\n"
      "  --prefix N            prefix for objects without IMEI ({prefix})\n"
      "  --geocoder NAME       {geocoders} ({geocoder})\n"
      "  --objects LIST        object numbers and ranges, e.g. 5,10-20 (all)\n"
      "  --log-dir DIR         folder of the {log-file} file (next to\n"
      "                        the program in its build tree, else\n"
      "                        $XDG_STATE_HOME/halvex-export, by default\n"
      "                        ~/.local/state/halvex-export)\n"
      "  --read-timeout MS     longest wait for the platform's answer, 0 for no limit\n"
      "                        ({read-timeout})\n"
      "  --parallel N          objects on their way to the platform at once, 1 to\n"
      "                        {max-parallel} (1); the report reads as with 1\n"
      "  --check               read and check every object and build its documents,\n"
      "                        contacting no platform; the summary is the one a run\n"
      "                        would write\n"
      "  --resume LOG          finish the migration that the run which wrote LOG began\n"
      "  --resend-uncertain    with --resume: send again the objects whose create\n"
      "                        got no answer (they may then exist twice)\n"
      "  --mapping FILE        write id,ext_id,marivon_id,status per object (CSV)\n"
      "  --help                this text\n"
      "  --version             the program's version\n"
      "\n"
      "A password option wins over its file, a file over its variable\n"
      "(MARIVON_PASSWORD, HALVEX_DB_PASSWORD), a variable over the default.\n"
      "An https URL is checked against the trusted certificates; there is no\n"
      "way to skip the check. The log file is readable by its owner only.\n"
      "\n"
      "Route-map files are looked up from the current folder: a stored\n"
      "D:\\maps\\a.png is read as ./D/maps/a.png, maps\\a.png as ./maps/a.png.\n"
      "Ctrl-C or SIGTERM stops the run before its next object (objects on their way\n"
      "finish); the summary is still written. A run that breaks or is stopped ends\n"
      "with the command that resumes it.\n"
      "Standard error names the log file at the start, and says so when the\n"
      "log file could not take every line.\n"
      "Exit status: 0 the run went through every object and wrote its summary (with\n"
      "--resume: every object is exported; with --check: the objects could be read);\n"
      "1 it stopped early (objects group or guard step, Ctrl-C, lost connection,\n"
      "objects not readable, a resume refused), ended by an error, or its log file\n"
      "misses lines; 2 invalid options, a password or CA file that cannot be read,\n"
      "a log that cannot be resumed or a mapping file that cannot be written.\n";
  // The defaults and names shown are the ones the options use.
  const std::pair<const char*, std::string> values[] = {
      {"{db-host}", kDefaultDbHost},
      {"{db-port}", kDefaultDbPort},
      {"{db-name}", kDefaultDbName},
      {"{db-user}", kDefaultDbUser},
      {"{db-password}", kDefaultDbPassword},
      {"{url}", kDefaultUrl},
      {"{user}", kDefaultUser},
      {"{password}", kDefaultPassword},
      {"{prefix}", kDefaultObjPrefix},
      {"{geocoders}", std::string(kGeocoderNames[0]) + " or " + kGeocoderNames[1]},
      {"{geocoder}", kDefaultGeocoder},
      {"{log-file}",
       std::string(runlog::kRunLogPrefix) + "<start time>" + runlog::kRunLogExtension},
      {"{read-timeout}", platform::IntToStr(kDefaultReadTimeoutMs)},
      {"{max-parallel}", platform::IntToStr(kMaxParallel)},
  };
  for (const auto& [name, value] : values) {
    const std::string_view placeholder = name;
    text.replace(text.find(placeholder), placeholder.size(), value);
  }
  return text;
}

std::string CliVersion() { return std::string("halvex-export-cli ") + HALVEX_VERSION; }
