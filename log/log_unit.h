// TLogger: the log file of one export run. Every AddLine opens the file
// exclusively, appends one stamped entry and closes it again, so an entry is
// on disk once the call returns. The first call that creates the file writes
// the header line. AddLine never raises: an entry that cannot be written is
// dropped whole (no piece of it stays in the file), and the logger keeps the
// reason of the first such loss for its owner to tell the operator. One
// logger belongs to one run and is used by one thread.
#pragma once

#include <string>

class TLogger {
 public:
  explicit TLogger(std::string file_name) : FFileName(std::move(file_name)) {}

  // Appends MakeStamp() + line + CR LF; errors are swallowed and noted.
  void AddLine(const std::string& line) noexcept;

  // "dd.mm.yyy" + two blanks + "hh:nn:ss:zzz " from the local clock.
  static std::string MakeStamp();

  const std::string& FileName() const { return FFileName; }

  // True once an entry has been lost; stays true (the file lacks that entry
  // even when later ones are written). FirstFailure() says why the first was.
  bool EntryLost() const { return FEntryLost; }
  const std::string& FirstFailure() const { return FFirstFailure; }

 private:
  void NoteFailure(const char* reason) noexcept;

  std::string FFileName;
  bool FEntryLost = false;
  std::string FFirstFailure;
};
