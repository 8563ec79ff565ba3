// TExportThread: one export run from the Halvex database to the Marivon
// platform, on a worker thread of its own.
//
// The owner (window or console runner) creates it suspended, calls the three
// setters, starts it, polls GetProgress/IsRunning, and destroys it; the
// destructor sets the terminate request and waits for the run's end while
// the owner's queue keeps being served. Every report line is handed to the
// owner's `show_last_line` operation on the main thread (through the queue),
// which reads it back with GetLastLine.
//
// With SetParallel above 1 the object loop keeps that many objects on their
// way to the platform (object_senders.h): their requests run on slot threads
// that own a session each and touch nothing else; the reader, the log, the
// report lines, the tally and the mapping file stay on the run's thread.
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

#include "export/object_outcome.h"
#include "export/reader_documents.h"
#include "export/resume_plan.h"
#include "export/run_log_reader.h"
#include "export/run_tally.h"
#include "export/sim_set.h"
#include "platform/worker_thread.h"
#include "source/db_options.h"
#include "source/object_data.h"

class TApiClient;
class TDbReader;
class TReadAhead;
class TLogger;
namespace platform {
class TTlsTrust;
}
class TMappingFile;

// How a run ended, for owners that need more than IsRunning.
enum class TRunEnd {
  NotEnded,        // still working, never started, or left by an unexpected error
  Completed,       // every object examined, summary written
  Stopped,         // the terminate request cut the object loop, summary written
  ConnectionLost,  // the target failed during an object, summary written
  NoObjects,       // the objects could not be read, summary written (total 0)
  EndedEarly,      // stopped at the objects group or guard step, no summary
  Refused,         // a resume that does not fit the source or the platform, nothing sent
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
  // The certificates an "https" target is checked against; without a call
  // the run uses the system's store, loaded at its first https request.
  // Called before the run is started.
  void SetTrust(std::shared_ptr<platform::TTlsTrust> trust) { FTrust = std::move(trust); }
  // A check run: reads, checks and builds every document, parses each as
  // JSON, and contacts no platform. Called before the run is started.
  void SetCheckOnly() { FCheckOnly = true; }
  // Finishes the migration that `state` shows, read from `log_name` (named
  // in the run's log); objects sent earlier without an answer are sent
  // again only with `resend_uncertain`. Called before the run is started.
  void SetResume(TMigrationState state, const std::string& log_name, bool resend_uncertain);
  // One CSV row per selected object in object order (mapping_file.h),
  // written as the run goes; the file is made when the objects have been
  // read, so a run that ends before keeps an earlier file. Called before the
  // run is started.
  void SetMappingFile(const std::string& file_name) { FMappingFileName = file_name; }
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
  // Empty while every report line has reached the log file; else why the
  // first one did not (the file lacks it). Safe where GetLastLine is.
  std::string LogFailure() const;
  // Final once Finished() is true: every selected object is exported, by
  // this run or by those it resumes.
  bool AllExported() const { return FAllExported.load(); }
  // Final once Finished() is true: the run got the objects group's id (made
  // it, or found the one it resumes), so a later run can resume it.
  bool GroupKnown() const { return FGroupKnown.load(); }

 protected:
  void Execute() override;

 private:
  void RunExport();
  void ReportLine(const std::string& line);
  // Runs one step that talks to the target; an error of the HTTP session is
  // reported as a lost connection and gives false.
  bool TalkToTarget(const std::function<void()>& step);
  // The run's first steps on the platform: the objects group and the
  // guards, made afresh or, on a resume, found in the logs. 0 when the run
  // must end early (reported).
  int32_t PrepareTarget();
  // Reads the objects and takes each through the checks and its requests.
  TRunEnd ExportObjects(int32_t group_id);
  // The objects' records and documents, parsed as JSON, nothing sent.
  TRunEnd CheckObjects();
  // Reads the selected objects into FObjects; reports when it cannot.
  bool ReadObjects();
  // The object's pre-export checks, its warnings into `outcome`.
  void CheckObject(TObjectData& object, TObjectOutcome& outcome);
  // What is left of each object and whose records will be read, in object order.
  struct TObjectPlan {
    std::vector<TPlannedStep> Steps;
    std::vector<TObjectOutcome> Outcomes;
    std::vector<int32_t> ReadIds;   // the objects whose records will be read, in order
    std::vector<size_t> ReadsFrom;  // per object: where its own and later ones begin
    std::span<const int32_t> ReadIdsFrom(int32_t place) const {
      return std::span<const int32_t>(ReadIds).subspan(ReadsFrom[static_cast<size_t>(place)]);
    }
  };
  TObjectPlan PlanObjects();
  // The object loop with FParallel objects on their way at once: the run's
  // thread reads, checks and starts the objects in order and takes what each
  // one reported and how it went in object order.
  TRunEnd ExportObjectsSideBySide(int32_t group_id, TObjectPlan& plan);
  // Takes the objects from `place` on, which this run did not reach: what
  // earlier runs finished for them still counts.
  void TakeUnreached(int32_t place, TObjectPlan& plan);
  // The object's records when they were read ahead; none once reading ahead
  // gave up, never began, or the object's records are not to be read.
  std::optional<TObjectReads> TakeReadAhead(const TObjectData& object,
                                            std::span<const int32_t> read_ids);
  // What the card and guard links of `object` are made from: its records
  // (read ahead when they were, else read now), or only its guard ids once
  // its card is saved.
  TObjectReads RecordsFor(const TObjectData& object, const TObjectOutcome& outcome,
                          std::optional<TObjectReads> ahead, std::span<const int32_t> read_ids);
  // An object created earlier (`step` Finish) whose steps are all done
  // needs no request.
  bool NothingLeft(const TObjectData& object, TPlannedStep step, const TObjectOutcome& outcome);
  // Creates the mapping file when one is asked for; reports when it cannot.
  void OpenMapping();
  // Takes the next object's outcome in object order: tally, mapping row, progress.
  // `reached`: the object came up in this run's loop (not left by a stop or a break).
  void TakeOutcome(TObjectOutcome outcome, bool reached);
  void EndEarly(TRunEnd end = TRunEnd::EndedEarly);
  void Summary();
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
  std::string FLogFailure;  // under FLastLineMutex
  TSimSet FSimList;
  std::optional<int32_t> FReadTimeout;
  std::shared_ptr<platform::TTlsTrust> FTrust;
  int32_t FParallel = 1;
  std::atomic<TRunEnd> FRunEnd{TRunEnd::NotEnded};
  std::atomic<bool> FAllExported{false};
  std::atomic<bool> FGroupKnown{false};
  bool FCheckOnly = false;
  std::optional<TMigrationState> FResume;
  std::string FResumedLog;
  bool FResendUncertain = false;
  std::string FMappingFileName;
  std::unique_ptr<TMappingFile> FMapping;
  TObjectList FObjects;  // a resume reads them before anything is sent
  TRunTally FTally;
  std::function<void()> FShowLastLine;
};
