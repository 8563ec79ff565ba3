// What earlier runs did on the platform, read back from their log files:
// the objects group, the guard group, the guard accounts and each object's
// create, card, guard-link and upload exchanges. A resumed run finishes the
// migration from this state without creating anything twice.
//
// Pure functions over texts and files; any thread. The parser takes any
// bytes: a text that is not a run log gives ERunLogError, never a crash.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

// A log that cannot be read or is not a run log; the message names the file.
class ERunLogError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How the platform met an object's create request.
enum class TCreateAnswer {
  None,      // sent, no answer came (connection broke, read limit, log ends)
  Status,    // an error status came back: nothing usable
  Answered,  // a response body came back (which may still lack a usable id)
};

// One object's exchanges as the logs show them; later exchanges replace
// earlier ones.
struct TLoggedObject {
  std::string CreateDocument;  // as sent, Windows-1251
  TCreateAnswer Answer = TCreateAnswer::None;
  std::string Response;  // the create response when Answered
  bool CardSaved = false;
  bool GuardsLinked = false;
  bool PictureSent = false;  // the upload was tried and its outcome reported
};

struct TMigrationState {
  int32_t GroupId = 0;                       // objects group; 0 when no log shows one created
  int32_t GuardGroupId = 0;                  // 0 when none was created
  std::map<int32_t, int32_t> GuardIds;       // team id ("gbr" + id) -> guard account id
  std::map<int32_t, TLoggedObject> Objects;  // zero-based place in the object list
  // An upload found its file and went to the platform: the requests after
  // it carried the upload's Accept header, and so do a resumed run's.
  bool UploadReachedPlatform = false;
};

// The log text's entries applied to `state`; returns the log it names as
// resumed (empty when none). `name` is used in messages only.
std::string ApplyRunLog(std::string_view text, const std::string& name, TMigrationState& state);

// The state shown by the log `file_name` and, oldest first, the logs it
// names in turn. Raises ERunLogError naming the file that fails.
TMigrationState ReadMigrationLogs(const std::string& file_name);
