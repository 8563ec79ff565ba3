// TMappingFile: the CSV rows of the mapping file.
#include "export/mapping_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/numbers.h"

TMappingFile::TMappingFile(const std::string& file_name)
    : FFile(std::fopen(file_name.c_str(), "w")) {
  if (!FFile) {
    throw std::runtime_error(file_name + ": cannot be written (" + std::strerror(errno) + ")");
  }
  std::fputs("id,ext_id,marivon_id,status\n", FFile);
  std::fflush(FFile);
}

TMappingFile::~TMappingFile() { std::fclose(FFile); }

void TMappingFile::AddRow(const TObjectOutcome& outcome) {
  const std::string row = platform::IntToStr(outcome.Id) + "," + platform::IntToStr(outcome.ExtId) +
                          "," + (outcome.NewId != 0 ? platform::IntToStr(outcome.NewId) : "") +
                          "," + StatusName(outcome.Status) + "\n";
  std::fputs(row.c_str(), FFile);
  std::fflush(FFile);
}
