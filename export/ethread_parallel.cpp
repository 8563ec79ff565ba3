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

TRunEnd TExportThread::ExportObjectsSideBySide(TObjectList& objects, int32_t group_id,
                                               TRunTally& tally) {
  // How each object went, written by its slot before its lines are handed
  // back and read here after.
  struct TSent {
    bool Exported = false;
    bool Lost = false;  // the connection failed during the object
  };
  const size_t total = objects.size();
  std::vector<TSent> sent(total);
  std::atomic<bool> lost{false};  // no object starts after a lost connection
  const TObjectTarget target{group_id, FObjPrefix, FScode};
  // The Accept value the run's one session would carry at each object: the
  // upload's from the first object whose map goes out on.
  std::string accept = FApi->Http().Request.Accept;

  TObjectSenders senders(static_cast<size_t>(FParallel),
                         [this](TApiClient::TReport report) { return FApi->Twin(report); });
  TRunEnd end = TRunEnd::Completed;
  size_t next = 0;
  for (size_t position = 0;; ++position) {
    while (next < total && senders.HasRoom() && end == TRunEnd::Completed && !lost) {
      if (Terminated()) {
        end = TRunEnd::Stopped;
        break;
      }
      TObjectData& object = objects[next];
      CheckObject(object, tally);
      const std::span<const TObjectData> rest(objects.begin() + next + 1, objects.end());
      auto records =
          std::make_shared<TObjectReads>(ObjectReads(object, TakeReadAhead(object), rest));
      senders.Start(
          [&object, &target, &sent, &lost, records, accept, index = next](TApiClient& api) {
            api.Http().Request.Accept = accept;
            TSent& outcome = sent[index];
            const auto report = [&api](const std::string& line) { api.Report(line); };
            if (!::TalkToTarget(report, [&] {
                  outcome.Exported =
                      SendObject(api, object, target, [&] { return std::move(*records); });
                })) {
              outcome.Lost = true;
              lost = true;
            }
          });
      if (UploadWillPost(object.MapFile)) accept = kPictureUploadAccept;
      ++next;
    }
    if (senders.Idle()) break;
    TObjectSenders::TFinished finished = senders.TakeNext();
    for (const std::string& line : finished.Lines) ReportLine(line);
    if (finished.Error) std::rethrow_exception(finished.Error);
    const TObjectData& object = objects[position];
    if (sent[position].Lost) end = TRunEnd::ConnectionLost;
    if (!sent[position].Exported) {
      tally.Failed += ObjectTag(object) + ", ";
      continue;
    }
    FProgress = static_cast<int32_t>(static_cast<int64_t>(position) * 100 / tally.Total);
    ++tally.Exported;
  }
  return end;
}
