// TObjectSenders: up to N objects on their way to the platform at once. Each
// of N slots has a thread and a client of its own (a twin of the run's,
// sharing its cookie store); the object at position p runs on slot p % N, so
// one object's requests keep their order on one session. Each object's job
// reports into its own line list, and the lists are handed back in position
// order (ordered_handover.h): the run writes them as a run that sends one
// object after another would. Started and not yet taken are at most N
// objects, so what waits is bounded by N objects.
//
// The owner (the run's thread) makes it, starts jobs and takes what they
// left; the jobs run on the slot threads and touch only their object, their
// client and what the owner handed them. The destructor waits for the jobs
// in progress; started jobs never taken are dropped.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "export/api_client.h"
#include "export/ordered_handover.h"

class TObjectSenders {
 public:
  using TMakeClient = std::function<std::unique_ptr<TApiClient>(TApiClient::TReport)>;
  using TJob = std::function<void(TApiClient& api)>;

  // What one object's job left: its report lines in the order reported and
  // the error that escaped it, if one did (the lines before it are kept).
  struct TFinished {
    std::vector<std::string> Lines;
    std::exception_ptr Error;
  };

  // `make_client` is called `slots` times, here, with the report operation
  // of each slot; the clients it returns are used on the slot threads only.
  TObjectSenders(size_t slots, const TMakeClient& make_client);
  ~TObjectSenders();
  TObjectSenders(const TObjectSenders&) = delete;
  TObjectSenders& operator=(const TObjectSenders&) = delete;

  // Fewer than `slots` objects started and not yet taken.
  bool HasRoom() const { return FStarted - FTaken < FSlots.size(); }
  // Every started object taken.
  bool Idle() const { return FStarted == FTaken; }

  // Starts `job` for the next position (the Start calls count positions
  // from 0). Raises std::logic_error when there is no room.
  void Start(TJob job);

  // Waits for the oldest object not yet taken and returns what it left.
  // Raises std::logic_error when nothing was started.
  TFinished TakeNext();

 private:
  struct TSlot {
    std::unique_ptr<TApiClient> Api;
    std::vector<std::string> Lines;  // of the job in progress
    std::optional<TJob> Job;         // handed over, not yet begun
    size_t Position = 0;
    std::condition_variable JobCame;
    std::thread Thread;
  };
  void Serve(TSlot& slot);

  std::vector<std::unique_ptr<TSlot>> FSlots;
  TOrderedHandOver<TFinished> FDone;
  std::mutex FMutex;  // the slots' Job, Position and FStop
  bool FStop = false;
  size_t FStarted = 0;  // owner thread only
  size_t FTaken = 0;    // owner thread only
};
