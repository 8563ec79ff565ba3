// The MySQL client reading a large result: 1,000,000 rows of the 26 columns
// the reader takes from `obj`, from a private MariaDB on this machine.
//
//   bench_mysql_read [--rows=N] [--keep-server] [benchmark options]
//
// Starts its own MariaDB (scripts/mariadb) in build/bench-mysql and fills
// the table (half a minute); --keep-server leaves the server running, and a
// later run reuses it and its rows (scripts/mariadb stop --dir build/bench-mysql)
// and prints for each case rows/s and MB/s of field values; the cursor cases
// also print the row cache's bytes per row, its size relative to the bytes
// of the field values, and the process's peak memory growth per row.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "mysql/mysql_api.h"
#include "platform/text_codec.h"
#include "tests/support/private_mariadb.h"

namespace {

int64_t gRows = 1000000;
bool gKeepServer = false;

const char* kSelect =
    "SELECT id, obj, inetpassword, imei, id_obs, s1, s2, s3, s4, s5, s6, s8, s9, s13, s14, s15,"
    " s16, s17, s18, s19, s20, s21, s22, s35, d1, d3 FROM obj";

// Started in main; a buffer pool that holds the whole table, so the server
// scans memory.
std::unique_ptr<testsupport::TPrivateMariaDb> gServer;

void Configure(TMyConnection& connection, const std::string& database) {
  connection.SetServer("127.0.0.1");
  connection.SetPort(gServer->Port());
  connection.SetUsername("root");
  connection.SetPassword("quietlamp");
  connection.SetDatabase(database);
  connection.Options().SetCharset("cp1251");
}

void Run(TMyConnection& connection, const std::string& sql) {
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText(sql);
  query.Execute();
}

// The `obj` table of the sample's shape, `rows` rows of typical lengths.
void Fill(int64_t rows) {
  TMyConnection connection;
  Configure(connection, "");
  Run(connection, "CREATE DATABASE IF NOT EXISTS bench CHARACTER SET cp1251");
  connection.SetDatabase("bench");
  TMyQuery count;
  count.SetConnection(&connection);
  count.SQL.SetText(
      "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'bench'"
      " AND table_name = 'obj'");
  count.Execute();
  if (count.Fields[0].AsInteger() == 1) {
    count.SQL.SetText("SELECT COUNT(*) FROM obj");
    count.Execute();
    if (count.Fields[0].AsInteger() == rows) return;
  }
  Run(connection, "DROP TABLE IF EXISTS obj");
  Run(connection,
      "CREATE TABLE obj (id INT NOT NULL PRIMARY KEY, obj VARCHAR(128), inetpassword VARCHAR(32),"
      " imei VARCHAR(20), id_obs TINYINT NOT NULL DEFAULT 0, s1 VARCHAR(32), s2 VARCHAR(64),"
      " s3 VARCHAR(128), s4 VARCHAR(16), s5 VARCHAR(16), s6 VARCHAR(16), s8 TEXT,"
      " s9 VARCHAR(16), s13 CHAR(8), s14 VARCHAR(128), s15 VARCHAR(64), s16 VARCHAR(20),"
      " s17 VARCHAR(20), s18 VARCHAR(32), s19 VARCHAR(32), s20 VARCHAR(32), s21 VARCHAR(32),"
      " s22 VARCHAR(16), s35 VARCHAR(255), d1 DATETIME, d3 DATE) CHARACTER SET cp1251");
  Run(connection,
      platform::Utf8ToCp1251(
          "INSERT INTO obj SELECT seq, CONCAT('Объект №', seq), LEFT(MD5(seq), 8),"
          " LPAD(seq, 15, '35'), seq % 3, CONCAT('+7 9', LPAD(seq, 9, '0')), 'ул. Ленина',"
          " CONCAT('д. ', seq % 200), CONCAT('кв. ', seq % 90), NULL, '1', 'Примечание', '2',"
          " 'A1B2', 'Иванов Иван Иванович', CONCAT('+7 495 ', LPAD(seq % 10000000, 7, '0')),"
          " 'охрана', '', 'ГБР-1', 'пульт', 'ночь', 'сейф', 'да',"
          " CONCAT('C:\\\\maps\\\\', seq, '.png'), '2015-03-01 10:20:30' + INTERVAL seq MINUTE,"
          " '2016-01-01' + INTERVAL seq % 1000 DAY FROM seq_1_to_" +
          std::to_string(rows)));
  // Let the server finish its own work on the new rows (the purge of the
  // insert's undo records) before anything is timed.
  TMyQuery status;
  status.SetConnection(&connection);
  status.SQL.SetText("SHOW ENGINE INNODB STATUS");
  for (int i = 0; i < 600; ++i) {
    status.Execute();
    std::string text = status.Fields[2].AsString();
    size_t at = text.find("History list length ");
    if (at == std::string::npos || std::atol(text.c_str() + at + 20) < 100) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

long ProcStatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  }
  return 0;
}

// Bytes of the field values of the current row, as the reader sees them.
int64_t WalkRow(TMyQuery& query, int64_t& sink) {
  int64_t bytes = 0;
  for (int i = 0; i < query.Fields.Count(); ++i) {
    TField& field = query.Fields[i];
    if (i == 0 || i == 4) {
      sink += field.AsInteger();
      bytes += 4;
    } else if (i >= 24) {
      sink += static_cast<int64_t>(field.AsDateTime());
      bytes += field.IsNull() ? 0 : 8;
    } else {
      std::string text = field.AsString();
      sink += static_cast<int64_t>(text.size());
      bytes += static_cast<int64_t>(text.size());
    }
  }
  return bytes;
}

void Report(benchmark::State& state, int64_t rows, int64_t value_bytes) {
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.counters["MB/s"] =
      benchmark::Counter(static_cast<double>(value_bytes) / 1e6, benchmark::Counter::kIsRate);
}

// Execute alone: the whole result into the cursor's cache; one walk of
// every field, outside the timing, counts the value bytes.
void BM_CursorExecute(benchmark::State& state) {
  TMyConnection connection;
  Configure(connection, "bench");
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText(kSelect);
  long rss_before = ProcStatusKb("VmRSS:");
  int64_t rows = 0, value_bytes = 0, sink = 0, cache = 0, rows_one = 0, bytes_one = 0;
  for (auto _ : state) {
    query.Execute();
    state.PauseTiming();
    cache = static_cast<int64_t>(query.CacheBytes());
    rows_one = query.RecordCount();
    if (bytes_one == 0) {  // the same rows every time: counted once
      for (; !query.AtEnd(); query.NextRow()) bytes_one += WalkRow(query, sink);
    }
    rows += rows_one;
    value_bytes += bytes_one;
    state.ResumeTiming();
  }
  long peak = ProcStatusKb("VmHWM:");
  benchmark::DoNotOptimize(sink);
  Report(state, rows, value_bytes);
  state.counters["cache B/row"] = static_cast<double>(cache) / rows_one;
  state.counters["value B/row"] = static_cast<double>(bytes_one) / rows_one;
  state.counters["cache/values"] = static_cast<double>(cache) / bytes_one;
  state.counters["peak B/row"] = (peak - rss_before) * 1024.0 / rows_one;
}

// A walk of every field of every cached row with the reader's accessors;
// with `time_execute` the Execute before each walk is timed with it.
void CursorWalk(benchmark::State& state, bool time_execute) {
  TMyConnection connection;
  Configure(connection, "bench");
  TMyQuery query;
  query.SetConnection(&connection);
  query.SQL.SetText(kSelect);
  int64_t rows = 0, value_bytes = 0, sink = 0;
  for (auto _ : state) {
    if (!time_execute) state.PauseTiming();
    query.Execute();
    if (!time_execute) state.ResumeTiming();
    rows += query.RecordCount();
    for (; !query.AtEnd(); query.NextRow()) value_bytes += WalkRow(query, sink);
  }
  benchmark::DoNotOptimize(sink);
  Report(state, rows, value_bytes);
}

void BM_CursorExecuteAndWalk(benchmark::State& state) { CursorWalk(state, true); }
void BM_CursorWalk(benchmark::State& state) { CursorWalk(state, false); }

// What the server can give: the engine streams the rows and keeps none.
void BM_EngineStreamOnly(benchmark::State& state) {
  TMySQLAPIDirect& api = TMySQLAPIDirect::Engine();
  std::unique_ptr<TMySqlSession> session = api.mysql_init();
  if (!api.mysql_real_connect(*session, "127.0.0.1", "root", "quietlamp", "bench", gServer->Port(),
                              "", CLIENT_FOUND_ROWS | CLIENT_MULTI_STATEMENTS)) {
    state.SkipWithError(api.mysql_error(*session).c_str());
    return;
  }
  std::string names = "SET NAMES cp1251";
  api.mysql_real_query(*session, names.data(), names.size());
  int64_t rows = 0, wire_bytes = 0;
  for (auto _ : state) {
    std::string select = kSelect;
    api.mysql_real_query(*session, select.data(), select.size());
    std::unique_ptr<TMySqlResultSet> result = api.mysql_use_result(*session);
    while (const TMySqlBinds* row = api.mysql_fetch_row(*result)) {
      for (const auto& e : row->Entries) wire_bytes += e.Length;
      ++rows;
    }
    api.mysql_free_result(std::move(result));
  }
  api.mysql_close(std::move(session));
  Report(state, rows, wire_bytes);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--rows=", 0) == 0) gRows = std::atoll(arg.c_str() + 7);
    if (arg == "--keep-server") gKeepServer = true;
  }
  benchmark::Initialize(&argc, argv);
  try {
    gServer = std::make_unique<testsupport::TPrivateMariaDb>(
        HALVEX_BENCH_DIR, std::vector<std::string>{"--buffer-pool", "1G"});
    if (gKeepServer) gServer->KeepRunning();
    Fill(gRows);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_mysql_read: %s\n", e.what());
    return 1;
  }
  benchmark::RegisterBenchmark("CursorExecute", BM_CursorExecute)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("CursorExecuteAndWalk", BM_CursorExecuteAndWalk)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("CursorWalk", BM_CursorWalk)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("EngineStreamOnly", BM_EngineStreamOnly)
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gServer.reset();
  return 0;
}
