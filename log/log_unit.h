// TLogger: the log file of one export run. Every AddLine opens the file
// exclusively, appends one stamped entry and closes it again, so an entry is
// on disk once the call returns. The first call that creates the file writes
// the header line. AddLine never raises: an entry that cannot be written is
// dropped. One logger belongs to one run and is used by one thread.
#pragma once

#include <string>

class TLogger {
 public:
  explicit TLogger(std::string file_name) : FFileName(std::move(file_name)) {}

  // Appends MakeStamp() + line + CR LF; errors are swallowed.
  void AddLine(const std::string& line) noexcept;

  // "dd.mm.yyy" + two blanks + "hh:nn:ss:zzz " from the local clock.
  static std::string MakeStamp();

  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
};
