// The run log writer.
#include "log/log_unit.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/date_time.h"
#include "platform/files.h"

namespace {

constexpr char kHeader[] = "Carvelmontrade 1.0.16\r\n";

}  // namespace

std::string TLogger::MakeStamp() {
  platform::TDateTimeParts date = platform::NowParts();
  platform::TDateTimeParts time = platform::NowParts();
  return platform::FormatDateTime("dd.mm.yyy", date) + "  " +
         platform::FormatDateTime("hh:nn:ss:zzz ", time);
}

void TLogger::AddLine(const std::string& line) noexcept {
  try {
    const bool create = !platform::FileExists(FFileName);
    platform::TExclusiveFile file = create ? platform::TExclusiveFile::Create(FFileName)
                                           : platform::TExclusiveFile::OpenExisting(FFileName);
    const int64_t entry_start = file.SeekToEnd();
    try {
      if (create) file.Write(kHeader);
      file.SeekToEnd();
      file.Write(MakeStamp() + line + "\r\n");
    } catch (const std::exception&) {
      // A full disk may take part of an entry: take it back, so that the next
      // entry does not run on from a cut line. A file made by this call goes
      // again; the next call creates it anew, with its header.
      std::error_code ignored;
      if (create) {
        std::filesystem::remove(FFileName, ignored);
      } else {
        try {
          file.Truncate(entry_start);
        } catch (const platform::EFileError&) {
        }
      }
      throw;
    }
    file.Close();
  } catch (const std::exception& error) {
    NoteFailure(error.what());
  } catch (...) {
    NoteFailure("unknown error");
  }
}

void TLogger::NoteFailure(const char* reason) noexcept {
  if (FEntryLost) return;
  FEntryLost = true;
  try {
    FFirstFailure = reason;
  } catch (...) {
    // Out of memory: the flag alone tells the loss.
  }
}
