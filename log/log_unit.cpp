// The run log writer.
#include "log/log_unit.h"

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
    platform::TExclusiveFile file = platform::FileExists(FFileName)
                                        ? platform::TExclusiveFile::OpenExisting(FFileName)
                                        : [this] {
                                            auto created =
                                                platform::TExclusiveFile::Create(FFileName);
                                            created.SeekToEnd();
                                            created.Write(kHeader);
                                            return created;
                                          }();
    file.SeekToEnd();
    file.Write(MakeStamp() + line + "\r\n");
    file.Close();
  } catch (...) {
    // A lost entry is not reported anywhere; the next call tries again.
  }
}
