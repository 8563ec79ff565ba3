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
#include <string>

#include "platform/worker_thread.h"
#include "source/db_options.h"

class TExportThread : public platform::TWorkerThread {
 public:
  TExportThread(platform::TSyncQueue& queue, std::function<void()> show_last_line);
  ~TExportThread() override;

  void SetDbOptions(const TDBoptions* options);
  void SetTarget(const std::string& base_url, const std::string& user,
                 const std::string& password, int32_t obj_prefix, const std::string& scode);
  void SetLogFileName(const std::string& file_name);

  int32_t GetProgress() const { return FProgress.load(); }
  bool IsRunning() const { return FRunning.load(); }
  // Safe on the main thread while the worker waits in ReportLine, and after the run.
  std::string GetLastLine() const;

 protected:
  void Execute() override;

 private:
  // Implementation members are added by the export subsystem.
  std::atomic<int32_t> FProgress{0};
  std::atomic<bool> FRunning{false};
  std::function<void()> FShowLastLine;
};
