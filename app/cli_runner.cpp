// RunCliExport: the run on its worker thread, served from a console loop.
#include "app/cli_runner.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "app/resume_command.h"
#include "export/ethread.h"
#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/text_codec.h"
#include "platform/worker_thread.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// The first Ctrl-C or SIGTERM asks the run to stop; a second one ends the process.
void CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// Starts the run with SIGINT and SIGTERM blocked, so that the worker and
// every thread it makes inherit the block: the signals reach the main thread
// only and never interrupt a socket call of the run.
void StartWithoutInterrupts(TExportThread& run) {
  sigset_t interrupt, previous;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigaddset(&interrupt, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
  run.Start();
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void PrintLine(const std::string& cp1251) {
  const std::string utf8 = platform::Cp1251ToUtf8(cp1251);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

// The log writer drops what it cannot write, silently; the operator of a
// console run hears of it once, before the run starts.
void WarnWhenUnwritable(const std::string& log_file) {
  const std::string folder = log_file.substr(0, log_file.rfind('/') + 1);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    std::fprintf(stderr,
                 "halvex-export-cli: the log file %s cannot be written (%s); "
                 "the report goes to standard output only\n",
                 platform::Cp1251ToUtf8(log_file).c_str(), std::strerror(errno));
  }
}

}  // namespace

std::string CliLogFileName(const std::string& dir) {
  std::string folder = dir.empty() ? platform::ExeDirectory() : dir;
  if (folder.back() != '/') folder += '/';
  return folder + "Log_" + platform::FormatDateTime("dd_mm_yyy_hh-nn-ss", platform::NowParts()) +
         ".log";
}

int RunCliExport(const TCliOptions& options) {
  platform::TSyncQueue queue;
  // The console has no window to protect: the worker prints each line itself,
  // in order and before it goes on, without a thread switch per line.
  queue.SetCallerRuns(true);
  TExportThread* run_ptr = nullptr;
  auto run =
      std::make_unique<TExportThread>(queue, [&run_ptr] { PrintLine(run_ptr->GetLastLine()); });
  run_ptr = run.get();
  run->SetDbOptions(&options.Db);
  run->SetTarget(options.Url, options.User, options.Password, options.ObjPrefix, options.Scode);
  std::string log_file = CliLogFileName(options.LogDir);
  if (const int refused = SetUpRunModes(*run, options, log_file)) return refused;
  run->SetLogFileName(log_file);
  WarnWhenUnwritable(log_file);
  if (options.ReadTimeout) run->SetReadTimeout(*options.ReadTimeout);
  run->SetParallel(options.Parallel);

  CatchInterrupt();
  StartWithoutInterrupts(*run);
  bool stop_requested = false;
  while (!run->Finished()) {
    if (g_interrupted && !stop_requested) {
      run->Terminate();
      stop_requested = true;
    }
    if (queue.WaitForRequest(50)) queue.ServePending();
  }
  run->WaitFor();
  queue.ServePending();

  if (std::exception_ptr error = run->FatalError()) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "halvex-export-cli: the run ended by an error: %s\n",
                   platform::Cp1251ToUtf8(e.what()).c_str());
    } catch (...) {
      std::fprintf(stderr, "halvex-export-cli: the run ended by an error\n");
    }
  }
  return EndOfRunStatus(*run, options, log_file);
}
