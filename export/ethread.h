// TExportThread: one export run from the Halvex database to the Marivon
// platform, on a worker thread of its own.
//
// The owner (window or console runner) creates it suspended, calls the three
// setters, starts it, polls GetProgress/IsRunning, and destroys it; the
// destructor sets the terminate request and waits for the run's end while
// the owner's queue keeps being served. Every report line is handed to the
// owner's `show_last_line` operation on the main thread (through the queue),
// which reads it back with GetLastLine.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "export/reader_documents.h"
#include "export/sim_set.h"
#include "platform/worker_thread.h"
#include "source/db_options.h"
#include "source/object_data.h"

class TApiClient;
class TDbReader;
class TReadAhead;
class TLogger;

// How a run ended, for owners that need more than IsRunning.
enum class TRunEnd {
  NotEnded,        // still working, never started, or left by an unexpected error
  Completed,       // every object examined, summary written
  Stopped,         // the terminate request cut the object loop, summary written
  ConnectionLost,  // the target failed during an object, summary written
  NoObjects,       // the objects could not be read, summary written (total 0)
  EndedEarly,      // stopped at the objects group or guard step, no summary
};

class TExportThread : public platform::TWorkerThread {
 public:
  TExportThread(platform::TSyncQueue& queue, std::function<void()> show_last_line);
  ~TExportThread() override;

  void SetDbOptions(const TDBoptions* options);
  void SetTarget(const std::string& base_url, const std::string& user, const std::string& password,
                 int32_t obj_prefix, const std::string& scode);
  void SetLogFileName(const std::string& file_name);
  // HTTP read limit in milliseconds, 0 waiting without limit; without a call
  // the session's own bounded default applies. Called before the run is started.
  void SetReadTimeout(int32_t read_timeout_ms) { FReadTimeout = read_timeout_ms; }
  // Objects on their way to the platform at once, 1 to 32 (object_senders.h);
  // 1, the default, sends one object after another. Called before the run
  // is started.
  void SetParallel(int32_t objects) { FParallel = objects < 1 ? 1 : objects; }

  int32_t GetProgress() const { return FProgress.load(); }
  bool IsRunning() const { return FRunning.load(); }
  // Safe on the main thread while the worker waits in ReportLine, and after the run.
  std::string GetLastLine() const;
  // Final once Finished() is true.
  TRunEnd RunEnd() const { return FRunEnd.load(); }

 protected:
  void Execute() override;

 private:
  void RunExport();
  void ReportLine(const std::string& line);
  // Runs one step that talks to the target; an error of the HTTP session is
  // reported as a lost connection and gives false.
  bool TalkToTarget(const std::function<void()>& step);
  // What the object phase counted and collected, for the summary.
  struct TRunTally {
    int32_t Total = 0;  // objects read (0 when reading failed)
    int32_t Exported = 0;
    std::string Failed;  // "Id/ExtId, " per object not exported
    std::vector<std::string> Warnings;
  };
  // Reads the objects and takes each through the checks and its requests.
  TRunEnd ExportObjects(int32_t group_id, TRunTally& tally);
  // The pre-export checks of one object, in object order; its warnings go
  // to the tally.
  void CheckObject(TObjectData& object, TRunTally& tally);
  // The object loop with FParallel objects on their way at once: the run's
  // thread reads, checks and starts the objects in order and writes what
  // each one reported in object order.
  TRunEnd ExportObjectsSideBySide(TObjectList& objects, int32_t group_id, TRunTally& tally);
  // One object's requests; false when the target did not accept it.
  // `rest`: the objects after this one, in the order they come.
  bool ExportObject(TObjectData& object, int32_t group_id, std::span<const TObjectData> rest);
  // The object's records when they were read ahead; none once reading
  // ahead gave up or never began.
  std::optional<TObjectReads> TakeReadAhead(const TObjectData& object);
  // The records of `object`: read ahead when they were, else read now.
  TObjectReads ObjectReads(const TObjectData& object, std::optional<TObjectReads> ahead,
                           std::span<const TObjectData> rest);
  void EndEarly();
  void Summary(const TRunTally& tally);
  void ReleaseRun();

  std::atomic<int32_t> FProgress{0};
  std::atomic<bool> FRunning{false};
  std::unique_ptr<TDbReader> FReader;
  std::unique_ptr<TReadAhead> FReadAhead;  // from the second object read on
  bool FReadAheadTried = false;
  const TDBoptions* FOptions = nullptr;
  mutable std::mutex FLastLineMutex;
  std::string FLastLine;
  std::unique_ptr<TApiClient> FApi;  // holds the run's HTTP session
  std::string FBaseUrl;
  std::string FUser;
  std::string FPassword;
  int32_t FObjPrefix = 0;
  std::string FScode;
  std::unique_ptr<TLogger> FLogger;
  std::string FLogFileName;
  TSimSet FSimList;
  std::optional<int32_t> FReadTimeout;
  int32_t FParallel = 1;
  std::atomic<TRunEnd> FRunEnd{TRunEnd::NotEnded};
  std::function<void()> FShowLastLine;
};
