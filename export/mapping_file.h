// The mapping of source objects to platform ids as a CSV file (UTF-8,
// comma-separated, header "id,ext_id,marivon_id,status"), one row per
// object in object order. Each row is flushed as it is added, so a run that
// dies keeps the rows written so far. Used on the run's thread only.
#pragma once

#include <cstdio>
#include <string>

#include "export/object_outcome.h"

class TMappingFile {
 public:
  // Creates (or empties) the file and writes the header; raises
  // std::runtime_error naming the file when it cannot be created.
  explicit TMappingFile(const std::string& file_name);
  ~TMappingFile();
  TMappingFile(const TMappingFile&) = delete;
  TMappingFile& operator=(const TMappingFile&) = delete;

  // One row; a write error is dropped like a log entry's.
  void AddRow(const TObjectOutcome& outcome);

 private:
  std::FILE* FFile = nullptr;
};
