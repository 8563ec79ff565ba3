// TDBoptions: the source connection settings and the object filter. The
// window (or the console runner) owns one and fills it before a run starts;
// the run and the reader only read it, through a pointer, for the run's life.
#pragma once

#include <cstdint>
#include <string>

struct TDBoptions {
  std::string DBName;
  std::string User;
  std::string Password;
  std::string Charset;  // always "cp1251"
  std::string Host;
  int32_t Port = 0;
  std::string ObjectList;
};
