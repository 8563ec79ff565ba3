// RunLogFolder and the log file's name: build tree or the user's state folder.
#include "log/log_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/date_time.h"
#include "platform/files.h"

namespace runlog {

namespace {

constexpr char kStateFolderName[] = "halvex-export/";

bool RunsFromBuildTree(const std::string& exe_dir) {
  return platform::FileExists(exe_dir + kBuildTreeMarker) &&
         ::access(exe_dir.c_str(), W_OK | X_OK) == 0;
}

// The home folder: $HOME, else the user database's entry; empty when neither.
std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  std::vector<char> buf(16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "";
}

// Creates `folder` and its missing parents, each with mode 0700; errors are
// left for the log writer to meet.
void CreateFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  ::mkdir(folder.c_str(), 0700);
}

// "halvex-export/" below the user's state home, ending in "/".
std::string StateLogFolder() {
  std::string state_home;
  // Relative values are invalid for the XDG variables and are ignored.
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
    state_home = xdg;
  } else {
    const std::string home = HomeFolder();
    state_home = home.empty() ? std::string(".local/state") : home + "/.local/state";
  }
  if (state_home.back() != '/') state_home += '/';
  return state_home + kStateFolderName;
}

// The folder for this program's run logs, ending in "/"; a missing state
// folder is created.
std::string RunLogFolder() {
  const std::string exe_dir = platform::ExeDirectory();
  if (RunsFromBuildTree(exe_dir)) return exe_dir;
  const std::string folder = StateLogFolder();
  CreateFolders(folder);
  return folder;
}

}  // namespace

std::string RunLogFileName(std::string folder) {
  if (folder.empty()) folder = RunLogFolder();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + kRunLogPrefix +
         platform::FormatDateTime("dd_mm_yyy_hh-nn-ss", platform::NowParts()) + kRunLogExtension;
}

std::string LogIncompleteNotice(const std::string& log_file, const std::string& reason) {
  return "The log file " + log_file + " cannot be written (" + reason +
         "): the record of this run is incomplete.";
}

}  // namespace runlog
