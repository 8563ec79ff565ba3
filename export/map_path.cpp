// Route-map path rules: the file-system path and the uploaded file name.
#include "export/map_path.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string MapFileSystemPath(const std::string& map_file) {
  std::string path;
  path.reserve(map_file.size());
  size_t i = 0;
  if (map_file.size() >= 2 && IsAsciiLetter(map_file[0]) && map_file[1] == ':') {
    path += map_file[0];
    path += '/';
    i = 2;
  }
  for (; i < map_file.size(); ++i) {
    char c = map_file[i];
    if (IsSeparator(c)) {
      if (path.empty() || path.back() != '/') path += '/';
    } else {
      path += c;
    }
  }
  return path;
}

std::string MapFileName(const std::string& map_file) {
  size_t at = map_file.find_last_of("\\:");
  return at == std::string::npos ? map_file : map_file.substr(at + 1);
}
