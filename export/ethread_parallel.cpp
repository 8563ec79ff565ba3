// TExportThread's object loop with several objects on their way to the
// platform at once.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "export/api_client.h"
#include "export/ethread.h"
#include "export/object_send.h"
#include "export/object_senders.h"
#include "export/picture_upload.h"
#include "http/session.h"

TRunEnd TExportThread::ExportObjectsSideBySide(int32_t group_id, TObjectPlan& plan) {
  const int32_t total = FTally.Total();
  // Whether the connection held during each object: written by its slot
  // before its lines are handed back, read here after.
  std::vector<char> connected(static_cast<size_t>(total), 1);
  std::atomic<bool> lost{false};  // no object starts after a lost connection
  const TObjectTarget target{group_id, FObjPrefix, FScode, FResume.has_value()};
  // The Accept value the run's one session would carry at each object: the
  // upload's from the first object whose route map goes out on.
  std::string accept = FApi->Http().Request.Accept;

  TObjectSenders senders(static_cast<size_t>(FParallel),
                         [this](TApiClient::TReport report) { return FApi->Twin(report); });
  TRunEnd end = TRunEnd::Completed;
  int32_t next = 0;   // the next object to start
  int32_t place = 0;  // the next object to take
  for (;; ++place) {
    while (next < total && senders.HasRoom() && end == TRunEnd::Completed && !lost) {
      if (Terminated()) {
        end = TRunEnd::Stopped;
        break;
      }
      const TObjectData& object = FObjects[next];
      TObjectOutcome& outcome = plan.Outcomes[next];
      CheckObject(FObjects[next], outcome);
      const TPlannedStep step = plan.Steps[next];
      const bool nothing_left = NothingLeft(object, step, outcome);
      const bool sends = step != TPlannedStep::Hold && !nothing_left;
      const bool uploads = sends && !outcome.PictureSent && UploadWillPost(object.MapFile);
      // The records are read here, on the run's thread, before the object
      // goes: the slots touch no database.
      auto records = std::make_shared<TObjectReads>();
      if (sends) {
        const std::span<const int32_t> read_ids = plan.ReadIdsFrom(next);
        *records = RecordsFor(object, outcome, TakeReadAhead(object, read_ids), read_ids);
      }
      senders.Start([&object, &outcome, &target, &connected, &lost, step, nothing_left, records,
                     accept, index = next](TApiClient& api) {
        api.Http().Request.Accept = accept;
        if (!SendObject(
                api, object, step, nothing_left, target, [&] { return std::move(*records); },
                outcome)) {
          connected[static_cast<size_t>(index)] = 0;
          lost = true;
        }
      });
      if (uploads) accept = kUploadAcceptValue;
      ++next;
    }
    if (senders.Idle()) break;
    TObjectSenders::TFinished finished = senders.TakeNext();
    for (const std::string& line : finished.Lines) ReportLine(line);
    if (finished.Error) std::rethrow_exception(finished.Error);
    TakeOutcome(std::move(plan.Outcomes[place]), true);
    if (!connected[static_cast<size_t>(place)]) end = TRunEnd::ConnectionLost;
  }
  TakeUnreached(place, plan);
  return end;
}
