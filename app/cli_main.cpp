// halvex-export-cli: the export run from the command line.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "app/cli_runner.h"

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  // A reader of standard output that goes away must not end the run: the
  // lines still reach the log file and the summary is still written.
  std::signal(SIGPIPE, SIG_IGN);
  TCliOptions options;
  try {
    options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const ECliOptionError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
  if (options.Help) {
    std::fputs(CliUsage().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::puts(CliVersion().c_str());
    return 0;
  }
  return RunCliExport(options);
}
