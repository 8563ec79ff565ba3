// Where the log file of a run goes, and how its loss is told.
//
// A program run from its build tree (the build leaves a marker file,
// kBuildTreeMarker, beside the programs it makes) writes its logs next to
// itself, as it always has, as long as it may write there. Any other
// program, an installed one above all, writes them to the user's state
// folder: $XDG_STATE_HOME/halvex-export/ when that variable holds an absolute
// path, else ~/.local/state/halvex-export/. So an installed program never
// writes into /usr, not even when run by root.
//
// Plain functions of the process's environment and file system; any thread.
// Names are file-system bytes as the system gives them. Nothing is raised.
#pragma once

#include <string>

namespace runlog {

// The marker file's name; its presence beside the executable marks a build tree.
inline constexpr char kBuildTreeMarker[] = "halvex-export.build-tree";

// A run log's file name is kRunLogPrefix, the start time as
// "dd_mm_yyyy_hh-nn-ss", and kRunLogExtension.
inline constexpr char kRunLogPrefix[] = "Log_";
inline constexpr char kRunLogExtension[] = ".log";

// `folder` (a "/" is put between when missing) + "Log_dd_mm_yyyy_hh-nn-ss.log"
// for the present local time. An empty `folder` stands for the folder this
// program's run logs go to (above). A state folder that is missing is then
// created (mode 0700, its missing parents too); when that fails the name is
// still returned, and the log writer finds the fault at its first entry.
// Without XDG_STATE_HOME, HOME or a home in the user database, the state
// folder is below the current folder.
std::string RunLogFileName(std::string folder = {});

// The operator's one message when the log file lacks entries: a sentence
// naming the file and why the first entry was lost; no line end.
std::string LogIncompleteNotice(const std::string& log_file, const std::string& reason);

}  // namespace runlog
