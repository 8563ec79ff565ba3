// End-to-end export benchmark: a generated Halvex database (objects with
// persons, partitions, zones, installers and teams) exported through
// halvex-export-cli to a fast local responder. Prints objects/s, requests/s
// and how the time per object divides between SQL, HTTP, the log file and
// the rest, the three measured on their own in this process with the same
// statements, posts and entries. The run reads the records of the coming
// objects on two more connections while it sends the current one, so sql%
// overlaps the others rather than adding to them; rest% is the time per
// object outside HTTP and the log: our own code and any wait for records.
//
//   bench_export [--benchmark_filter=CliExport/10000/]
//
// Starts its own private MariaDB (scripts/mariadb) in a scratch folder.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "bench/export_responder.h"
#include "http/session.h"
#include "log/log_unit.h"
#include "platform/text_codec.h"
#include "source/dbreader.h"
#include "tests/support/private_mariadb.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The generated rows for `n` objects: every second object with an IMEI and
// a route map, two persons, two partitions of three zones, one or two
// installers and one team each.
std::string GenerationSql(int n) {
  std::string sample = ReadFile(fs::path(HALVEX_SOURCE_DIR) / "tests/fixtures/halvex_sample.sql");
  std::string sql = sample.substr(0, sample.find("INSERT INTO"));
  const std::string seq = " FROM seq_1_to_" + std::to_string(n) + " o";
  sql += R"(
INSERT INTO `obj` (`id`, `obj`, `inetpassword`, `imei`, `id_obs`, `s1`, `s2`, `s3`, `s4`, `s13`,
                   `s14`, `s15`, `s16`, `s17`, `s18`, `s8`, `s35`, `d1`, `d3`)
  SELECT seq, CONCAT('Объект "', seq, '"'), CONCAT('pw', seq),
         IF(seq % 2 = 0, CONCAT('35693803', LPAD(seq, 7, '0')), NULL), seq % 3,
         CONCAT('Д-', seq), 'Москва', 'ул. Тверская', seq % 100, IF(seq % 5 = 0, 'А', NULL),
         'ОВД "Тверской"', 'Московская обл.', CONCAT('8916', LPAD(seq, 7, '0')),
         CONCAT('8926', LPAD(seq, 7, '0')), '+7 495 111-22-33', 'Со двора,\r\nворота у арки',
         IF(seq % 2 = 0, 'maps\\bench.png', NULL), '2015-03-01 10:30:00', '2014-12-25')" +
         seq + R"(;
INSERT INTO `mgr` (`id`, `mgr`, `s1`) SELECT seq, CONCAT('Монтажник ', seq), 'ООО "Защита"' FROM seq_1_to_50;
INSERT INTO `mgr_on_obj` (`id_obj`, `id_mgr`) SELECT seq, seq % 50 + 1)" +
         seq + R"(;
INSERT INTO `mgr_on_obj` (`id_obj`, `id_mgr`) SELECT seq, seq % 7 + 1)" +
         seq + R"( WHERE seq % 3 = 0;
INSERT INTO `ppl` (`id_obj`, `id_key`, `ppl`, `s1`, `s2`, `s3`, `s7`, `s8`, `s9`, `deleted`)
  SELECT o.seq, k.seq, CONCAT('Иванов ', k.seq), 'Директор', 'Москва', 'ул. Тверская',
         '+7 916 100-00-01', '+7 916 100-00-02', '+7 916 100-00-03', 0)" +
         seq + R"( JOIN seq_1_to_2 k;
INSERT INTO `razdel` (`id_obj`, `n`, `razdel`) SELECT o.seq, k.seq, CONCAT('Раздел ', k.seq))" +
         seq + R"( JOIN seq_1_to_2 k;
INSERT INTO `zon` (`id_obj`, `n_razdel`, `id_key`, `zon`, `s1`)
  SELECT o.seq, r.seq, z.seq, CONCAT('Зона ', z.seq), 'Геркон')" +
         seq + R"( JOIN seq_1_to_2 r JOIN seq_1_to_3 z;
INSERT INTO `pgr` (`id`, `pgr`, `s1`, `s2`, `s3`) SELECT seq, CONCAT('ГБР-', seq), '+7 495 123-45-67', 'Петров', 'Сидоров' FROM seq_1_to_20;
INSERT INTO `pgr_on_obj` (`id_obj`, `id_pgr`) SELECT seq, seq % 20 + 1)" +
         seq + ";\n";
  return sql;
}

// The private MariaDB, the scratch folder (the runs' working folder with
// maps/bench.png) and the databases generated so far.
class TBenchEnv {
 public:
  static TBenchEnv& Get() {
    static TBenchEnv env;
    return env;
  }
  ~TBenchEnv() {
    FServer.reset();
    std::error_code ignored;
    fs::remove_all(FDir, ignored);
  }
  int DbPort() const { return FServer->Port(); }
  const fs::path& Dir() const { return FDir; }
  std::string Database(int n) {
    const std::string name = "bench_" + std::to_string(n);
    if (FLoaded.count(n)) return name;
    const fs::path file = FDir / (name + ".sql");
    std::ofstream(file, std::ios::binary) << GenerationSql(n);
    FServer->Load(file.string(), name);
    FLoaded[n] = true;
    return name;
  }

 private:
  TBenchEnv() {
    std::string pattern = (fs::temp_directory_path() / "halvex_bench_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FDir = pattern;
    fs::create_directories(FDir / "maps");
    fs::copy_file(fs::path(HALVEX_SOURCE_DIR) / "tests/fixtures/maps/obj1.png",
                  FDir / "maps/bench.png");
    FServer = std::make_unique<testsupport::TPrivateMariaDb>((FDir / "mariadb").string());
  }

  fs::path FDir;
  std::unique_ptr<testsupport::TPrivateMariaDb> FServer;
  std::map<int, bool> FLoaded;
};

// One whole run of the console runner.
struct TCliRun {
  double Seconds = 0;
  double PeakMiB = 0;  // the child's largest resident set
};

TCliRun RunCli(const std::vector<std::string>& args, const fs::path& cwd) {
  std::vector<char*> argv;
  std::string cli = HALVEX_CLI;
  argv.push_back(cli.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout)) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("the run failed");
  return TCliRun{std::chrono::duration<double>(Clock::now() - start).count(),
                 static_cast<double>(usage.ru_maxrss) / 1024};
}

// The options of a run of database `db` against `responder`, logging into `logs`.
std::vector<std::string> RunArgs(const std::string& db, const TExportResponder& responder,
                                 const fs::path& logs) {
  return {"--db-port", std::to_string(TBenchEnv::Get().DbPort()),
          "--db-name", db,
          "--url",     "http://127.0.0.1:" + std::to_string(responder.Port()),
          "--log-dir", logs.string()};
}

// An emptied folder for one run's log file.
fs::path FreshLogDir(const std::string& name) {
  const fs::path logs = TBenchEnv::Get().Dir() / name;
  fs::remove_all(logs);
  fs::create_directories(logs);
  return logs;
}

// Seconds per object for the six statements the card and guard steps run.
double SqlPerObject(const std::string& db, int objects) {
  TDbReader reader;
  TDBoptions options{db, "root", "quietlamp", "cp1251", "127.0.0.1", TBenchEnv::Get().DbPort(), ""};
  reader.SetOptions(options);
  reader.Connect();
  reader.GetTeams();
  const auto start = Clock::now();
  for (int id = 1; id <= objects; ++id) {
    std::string installer, extra;
    reader.GetInstallers(id, installer, extra);
    TPplList persons;
    reader.ReadPersons(persons, id);
    TAreaList areas;
    reader.ReadAreas(areas, id);
    for (const TAreaData& area : areas) {
      TZoneList zones;
      reader.ReadZones(zones, id, area.Number);
    }
    benchmark::DoNotOptimize(reader.GetObjectGuards(id));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  reader.Disconnect();
  return seconds / objects;
}

// Seconds per JSON post of a card-sized document to the responder.
double HttpPerPost(int port, int posts) {
  TIdHTTP http;
  http.HTTPOptions.Exclude(hoForceEncodeParams);
  http.Request.ContentType = "application/json";
  http.Request.BasicAuthentication = true;
  http.Request.Username = "root";
  http.Request.Password = "larkspur";
  const TIdStrings lines{std::string(900, 'x')};
  const std::string url =
      "http://127.0.0.1:" + std::to_string(port) + "/restapi/objects/obj-card-save/";
  const auto start = Clock::now();
  for (int i = 0; i < posts; ++i) benchmark::DoNotOptimize(http.HttpPost(url, lines));
  return std::chrono::duration<double>(Clock::now() - start).count() / posts;
}

// Seconds per log entry of a typical report line.
double LogPerEntry(const fs::path& dir, int entries) {
  TLogger logger((dir / "bench_entries.log").string());
  const std::string line =
      platform::Utf8ToCp1251("URI: restapi/objects/obj-card-save/       PARAMS: ") +
      std::string(150, 'x');
  const auto start = Clock::now();
  for (int i = 0; i < entries; ++i) logger.AddLine(line);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  fs::remove(dir / "bench_entries.log");
  return seconds / entries;
}

size_t CountLogEntries(const fs::path& dir) {
  size_t entries = 0;
  for (const auto& file : fs::directory_iterator(dir)) {
    const std::string text = ReadFile(file.path());
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
      ++entries;
    }
    --entries;  // the header line
  }
  return entries;
}

// Runs a benchmark's body; a run that fails marks its row instead of ending the program.
void Guarded(benchmark::State& state, void (*body)(benchmark::State&)) {
  try {
    body(state);
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

void CliExport(benchmark::State& state);
void CliExportDistant(benchmark::State& state);

void BM_CliExport(benchmark::State& state) { Guarded(state, CliExport); }
void BM_CliExportDistant(benchmark::State& state) { Guarded(state, CliExportDistant); }

void CliExport(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TBenchEnv& env = TBenchEnv::Get();
  const std::string db = env.Database(n);
  double seconds = 0;
  int64_t requests = 0;
  size_t entries = 0;
  for (auto _ : state) {
    TExportResponder responder;
    const fs::path logs = FreshLogDir("logs_" + std::to_string(n));
    const double run = RunCli(RunArgs(db, responder, logs), env.Dir()).Seconds;
    state.SetIterationTime(run);
    seconds += run;
    requests += responder.Requests();
    entries += CountLogEntries(logs);
  }
  const double runs = static_cast<double>(state.iterations());
  const double per_object = seconds / runs / n;
  state.counters["objects/s"] = n / (seconds / runs);
  state.counters["requests/s"] = requests / seconds;
  state.counters["us/object"] = per_object * 1e6;

  // The shares, from the three parts measured alone.
  TExportResponder responder;
  const double sql = SqlPerObject(db, std::min(n, 2000));
  const double posts_per_object = requests / runs / n;
  const double http = HttpPerPost(responder.Port(), 3000) * posts_per_object;
  const double entries_per_object = entries / runs / n;
  const double log = LogPerEntry(env.Dir(), 5000) * entries_per_object;
  state.counters["sql%"] = 100 * sql / per_object;
  state.counters["http%"] = 100 * http / per_object;
  state.counters["log%"] = 100 * log / per_object;
  state.counters["rest%"] = 100 * (per_object - http - log) / per_object;
  state.counters["posts/object"] = posts_per_object;
  state.counters["entries/object"] = entries_per_object;
}

void CliExportDistant(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int delay_ms = static_cast<int>(state.range(1));
  const int parallel = static_cast<int>(state.range(2));
  TBenchEnv& env = TBenchEnv::Get();
  const std::string db = env.Database(n);
  double seconds = 0, peak = 0;
  int64_t requests = 0;
  for (auto _ : state) {
    TExportResponder responder(delay_ms);
    std::vector<std::string> args = RunArgs(db, responder, FreshLogDir("logs_distant"));
    // Without the option the run is the one-at-a-time run of old.
    if (parallel > 1) args.insert(args.end(), {"--parallel", std::to_string(parallel)});
    const TCliRun run = RunCli(args, env.Dir());
    state.SetIterationTime(run.Seconds);
    seconds += run.Seconds;
    peak = std::max(peak, run.PeakMiB);
    requests += responder.Requests();
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["objects/s"] = n / (seconds / runs);
  state.counters["requests/s"] = requests / seconds;
  state.counters["posts/object"] = requests / runs / n;
  state.counters["peak_MiB"] = peak;
}

}  // namespace

BENCHMARK(BM_CliExportDistant)
    ->ArgNames({"objects", "delay_ms", "parallel"})
    ->ArgsProduct({{2000}, {0, 5, 20}, {1, 4, 16}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

BENCHMARK(BM_CliExport)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
