// ApplyRunLog and ReadMigrationLogs: a run log's entries back into the state
// of the migration.
#include "export/run_log_reader.h"

#include <optional>
#include <set>
#include <vector>

#include "export/extract_number.h"
#include "export/report_labels.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace {

constexpr std::string_view kHeaderHead = "Carvelmontrade ";
constexpr std::string_view kUri = "URI: ";
constexpr std::string_view kParams = "       PARAMS: ";
constexpr std::string_view kStatus = "RESPONSE TEXT: ";
constexpr size_t kStampSize = 25;  // "dd.mm.yyyy  hh:nn:ss:zzz "
// A chain longer than this is taken for a loop.
constexpr size_t kLongestChain = 10000;

bool StartsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "dd.mm.yyyy  hh:nn:ss:zzz ": digits where the pattern has them; the time
// separator is whatever the regional settings gave, one character.
bool HasStamp(std::string_view line) {
  if (line.size() < kStampSize) return false;
  static constexpr std::string_view kShape = "99.99.9999  99?99?99?999 ";
  for (size_t i = 0; i < kStampSize; ++i) {
    const char want = kShape[i];
    if (want == '9' && !IsDigit(line[i])) return false;
    if (want == '?' && IsDigit(line[i])) return false;
    if (want != '9' && want != '?' && line[i] != want) return false;
  }
  return true;
}

// The report lines of a log, stamps taken off. A line break inside a report
// line (a response body may hold one) continues the entry before it.
std::vector<std::string> Entries(std::string_view text, const std::string& name) {
  const size_t header_end = text.find("\r\n");
  if (header_end == std::string_view::npos || !StartsWith(text, kHeaderHead)) {
    throw ERunLogError(name + ": not a run log of this program (no header line)");
  }
  std::vector<std::string> entries;
  size_t start = header_end + 2;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (HasStamp(line)) {
      entries.emplace_back(line.substr(kStampSize));
    } else if (!entries.empty()) {
      entries.back() += "\r\n";
      entries.back() += line;
    } else {
      throw ERunLogError(name + ": not a run log of this program (an entry without its stamp)");
    }
    start = end + 2;
  }
  return entries;
}

int32_t NumberAfter(std::string_view text, std::string_view key) {
  const size_t at = text.find(key);
  if (at == std::string_view::npos) return 0;
  size_t end = at + key.size();
  while (end < text.size() && IsDigit(text[end])) ++end;
  int32_t value = 0;
  return platform::TryTextToInt(text.substr(at + key.size(), end - at - key.size()), value) ? value
                                                                                            : 0;
}

// Walks the entries in order, one exchange at a time.
class TLogWalk {
 public:
  explicit TLogWalk(TMigrationState& state) : FState(state) {}

  void Take(const std::string& line) {
    if (FUploadOf) {  // the line that tells the upload's outcome
      if (TLoggedObject* object = Object(*FUploadOf)) object->PictureSent = true;
      if (!StartsWith(line, MissingFileLabel())) FState.UploadReachedPlatform = true;
      FUploadOf.reset();
      return;
    }
    switch (FStage) {
      case TStage::AwaitStatus:
        if (StartsWith(line, kStatus)) {
          FStage = TStage::AwaitBlank;
          return;
        }
        if (StartsWith(line, LostConnectionLabel())) {
          // An error status is an answer; anything else left the request unanswered.
          const bool status = StartsWith(line.substr(LostConnectionLabel().size()), "HTTP/");
          Finish(status ? TCreateAnswer::Status : TCreateAnswer::None, {});
          return;
        }
        Finish(TCreateAnswer::None, {});
        break;
      case TStage::AwaitBlank:
        FStage = TStage::AwaitResponse;
        return;
      case TStage::AwaitResponse:
        Finish(TCreateAnswer::Answered, line);
        return;
      case TStage::Idle:
        break;
    }
    Statement(line);
  }

  // The log ended: a request still waiting had no answer.
  std::string End() {
    if (FStage == TStage::AwaitStatus) Finish(TCreateAnswer::None, {});
    if (FStage != TStage::Idle) Finish(TCreateAnswer::Answered, {});
    return FResumes;
  }

 private:
  enum class TStage { Idle, AwaitStatus, AwaitBlank, AwaitResponse };

  TLoggedObject* Object(int32_t place) {
    auto it = FState.Objects.find(place);
    return it == FState.Objects.end() ? nullptr : &it->second;
  }

  void Statement(const std::string& line) {
    if (StartsWith(line, kUri)) {
      const size_t params = line.find(kParams);
      if (params == std::string::npos) return;
      FPath = line.substr(kUri.size(), params - kUri.size());
      FDocument = line.substr(params + kParams.size());
      FStage = TStage::AwaitStatus;
      if (FPath == "restapi/objects/create-standalone/") {
        // A first run sends every object in list order; a resumed one names each.
        if (!FResumed) FCurrent = FCreates++;
        if (FCurrent) {
          TLoggedObject fresh;
          fresh.CreateDocument = FDocument;
          FState.Objects[*FCurrent] = std::move(fresh);
        }
      }
    } else if (StartsWith(line, SendingFileLabel())) {
      FUploadOf = FCurrent;
    } else if (StartsWith(line, ResumedFromLabel()) && !FResumed) {
      FResumed = true;
      FCurrent.reset();
      FResumes = line.substr(ResumedFromLabel().size());
    } else if (StartsWith(line, ResumedObjectLabel())) {
      const size_t mark = line.rfind("(\xB9 ");  // "(№ "
      const int32_t number =
          mark == std::string::npos ? 0 : NumberAfter(line.substr(mark), "(\xB9 ");
      if (number >= 1) {
        FCurrent = number - 1;
      } else {
        FCurrent.reset();
      }
    }
  }

  void Finish(TCreateAnswer answer, const std::string& response) {
    FStage = TStage::Idle;
    const bool answered = answer == TCreateAnswer::Answered;
    if (FPath == "restapi/objs-groups/create/") {
      if (answered && response.find(ObjectsGroupName()) != std::string::npos) {
        if (const int32_t id = ExtractNumber("id", response, 0)) FState.GroupId = id;
      }
    } else if (FPath == "restapi/guards/create-guard-group/") {
      if (const int32_t id = answered ? ExtractNumber("id", response, 0) : 0) {
        FState.GuardGroupId = id;
      }
    } else if (FPath == "restapi/guards/create-guard/") {
      const int32_t team = NumberAfter(FDocument, "\"login\":\"gbr");
      if (const int32_t id = answered ? ExtractNumber("id", response, 0) : 0) {
        FState.GuardIds[team] = id;
      }
    } else if (TLoggedObject* object = FCurrent ? Object(*FCurrent) : nullptr) {
      if (FPath == "restapi/objects/create-standalone/") {
        object->Answer = answer;
        object->Response = response;
      } else if (FPath == "restapi/objects/obj-card-save/") {
        object->CardSaved = object->CardSaved || answered;
      } else if (FPath == "restapi/objects/obj-add-guards/") {
        object->GuardsLinked = object->GuardsLinked || answered;
      }
    }
  }

  TMigrationState& FState;
  TStage FStage = TStage::Idle;
  std::string FPath;
  std::string FDocument;
  bool FResumed = false;
  int32_t FCreates = 0;
  std::optional<int32_t> FCurrent;
  std::optional<int32_t> FUploadOf;
  std::string FResumes;
};

}  // namespace

std::string ApplyRunLog(std::string_view text, const std::string& name, TMigrationState& state) {
  TLogWalk walk(state);
  for (const std::string& line : Entries(text, name)) walk.Take(line);
  return walk.End();
}

TMigrationState ReadMigrationLogs(const std::string& file_name) {
  // Newest first as they are named, applied oldest first.
  std::vector<std::pair<std::string, std::string>> logs;
  std::set<std::string> seen;
  for (std::string name = file_name; !name.empty();) {
    if (!seen.insert(name).second || logs.size() >= kLongestChain) {
      throw ERunLogError(name + ": the logs name each other in a loop");
    }
    std::string text;
    try {
      text = platform::ReadWholeFile(name);
    } catch (const std::exception& error) {
      throw ERunLogError(name + ": cannot be read (" + error.what() + ")");
    }
    TMigrationState probe;
    const std::string resumed = ApplyRunLog(text, name, probe);
    logs.emplace_back(name, std::move(text));
    name = platform::Cp1251ToUtf8(resumed);
  }
  TMigrationState state;
  for (auto it = logs.rbegin(); it != logs.rend(); ++it) ApplyRunLog(it->second, it->first, state);
  return state;
}
