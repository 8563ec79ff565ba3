// ParseCliOptions and the --help text of halvex-export-cli.
#include "app/cli_options.h"

#include <map>

#include "http/session.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "source/object_filter.h"

namespace {

// Each option takes one value, given as "--name VALUE" or "--name=VALUE".
const char* const kOptionNames[] = {"--db-host",      "--db-port",  "--db-name", "--db-user",
                                    "--db-password",  "--url",      "--user",    "--password",
                                    "--prefix",       "--geocoder", "--objects", "--log-dir",
                                    "--read-timeout", "--parallel"};
// Options of a run that breaks and is taken up again.
const char* const kResumeOptionNames[] = {"--resume", "--mapping"};
// Options without a value.
const char* const kFlagNames[] = {"--check", "--resend-uncertain"};

bool IsFlag(const std::string& name) {
  for (const char* known : kFlagNames) {
    if (name == known) return true;
  }
  return false;
}

bool IsOption(const std::string& name) {
  for (const char* known : kOptionNames) {
    if (name == known) return true;
  }
  for (const char* known : kResumeOptionNames) {
    if (name == known) return true;
  }
  return false;
}

// The value as Windows-1251; malformed UTF-8 is refused rather than lost.
std::string Text(const std::map<std::string, std::string>& given, const std::string& name,
                 const std::string& fallback) {
  auto it = given.find(name);
  if (it == given.end()) return fallback;
  std::string text = platform::Utf8ToCp1251(it->second);
  if (text.empty() && !it->second.empty()) {
    throw ECliOptionError(name + ": the value is not UTF-8 text");
  }
  return text;
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
    if (IsFlag(arg)) {
      (arg == "--check" ? options.CheckOnly : options.ResendUncertain) = true;
      continue;
    }
    std::string name = arg, value;
    const size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    } else if (IsOption(arg)) {
      if (i + 1 >= args.size()) throw ECliOptionError(arg + ": a value is missing");
      value = args[++i];
    }
    if (!IsOption(name)) throw ECliOptionError("unknown option " + arg + " (see --help)");
    given[name] = value;
  }

  options.Db.Host = Text(given, "--db-host", "127.0.0.1");
  options.Db.DBName = Text(given, "--db-name", "velmora");
  options.Db.User = Text(given, "--db-user", "root");
  options.Db.Password = Text(given, "--db-password", "quietlamp");
  options.Db.ObjectList = Text(given, "--objects", "");
  if (!platform::TryTextToInt(Text(given, "--db-port", "3306"), options.Db.Port)) {
    throw ECliOptionError("Imput correct MySQL port");
  }
  options.Db.Charset = "cp1251";
  if (!platform::TryTextToInt(Text(given, "--prefix", "0"), options.ObjPrefix)) {
    throw ECliOptionError("Imput correct object prefix");
  }
  if (ObjectListRefused(options.Db.ObjectList)) throw ECliOptionError("Input correct object list");
  const std::string geocoder = Text(given, "--geocoder", "Yandex");
  if (geocoder != "Yandex" && geocoder != "Google") {
    throw ECliOptionError("--geocoder: Yandex or Google");
  }
  options.Scode = geocoder == "Google" ? "GGL" : "YDX";
  options.Url = Text(given, "--url", "http://127.0.0.1:8080/");
  if (options.Url.empty()) throw ECliOptionError("--url: the URL is empty");
  if (options.Url.back() != '/') options.Url += '/';
  options.User = Text(given, "--user", "root");
  options.Password = Text(given, "--password", "larkspur");
  if (auto it = given.find("--log-dir"); it != given.end()) options.LogDir = it->second;
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
  return std::string(
             "Usage: halvex-export-cli [options]\n"
             "Exports the guarded objects of a Halvex database to the Marivon platform,\n"
             "as the window's Start does, printing every report line.\n"
             "\n"
             "  --db-host HOST        Halvex MySQL server (127.0.0.1)\n"
             "  --db-port N           its port (3306)\n"
             "  --db-name NAME        database (velmora)\n"
             "  --db-user USER        account (root)\n"
             "  --db-password TEXT    password (quietlamp)\n"
             "  --url URL             Marivon base URL, \"/\" is appended when missing\n"
             "                        (http://127.0.0.1:8080/)\n"
             "  --user USER           Marivon account (root)\n"
             "  --password TEXT       its password (larkspur)\n"
             "  --prefix N            prefix for objects without IMEI (0)\n"
             "  --geocoder NAME       Yandex or Google (Yandex)\n"
             "  --objects LIST        object numbers and ranges, e.g. 5,10-20 (all)\n"
             "  --log-dir DIR         folder of the Log_<start time>.log file\n"
             "                        (the executable's folder)\n") +
         "  --read-timeout MS     longest wait for the platform's answer, 0 for no limit\n"
         "                        (" +
         platform::IntToStr(TIdHTTP::kDefaultReadTimeout) +
         ")\n"
         "  --parallel N          objects on their way to the platform at once, 1 to " +
         platform::IntToStr(kMaxParallel) +
         " (1);\n"
         "                        the report reads as with 1\n"
         "  --check               read and check every object and build its documents,\n"
         "                        contacting no platform; the summary is the one a run\n"
         "                        would write\n"
         "  --resume LOG          finish the migration that the run which wrote LOG began\n"
         "  --resend-uncertain    with --resume: send again the objects whose create\n"
         "                        got no answer (they may then exist twice)\n"
         "  --mapping FILE        write id,ext_id,marivon_id,status per object (CSV)\n"
         "  --help                this text\n"
         "\n"
         "Route-map files are looked up from the current folder: a stored\n"
         "D:\\maps\\a.png is read as ./D/maps/a.png, maps\\a.png as ./maps/a.png.\n"
         "Ctrl-C or SIGTERM stops the run before its next object (objects on their way\n"
         "finish); the summary is still written. A run that breaks or is stopped ends\n"
         "with the command that resumes it.\n"
         "Exit status: 0 the run went through every object and wrote its summary (with\n"
         "--resume: every object is exported; with --check: the objects could be read);\n"
         "1 it stopped early (objects group or guard step, Ctrl-C, lost connection,\n"
         "objects not readable, a resume refused) or ended by an error; 2 invalid\n"
         "options or a log that cannot be resumed.\n";
}
