// RunCliExport: the run on its worker thread, served from a console loop.
#include "app/cli_runner.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/resume_command.h"
#include "export/ethread.h"
#include "log/log_location.h"
#include "platform/text_codec.h"
#include "platform/tls_trust.h"
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

// The log writer drops what it cannot write; the operator hears of it on
// standard error, once (`told`), as soon as the first line is missing from
// `log_file`.
void TellLogFailureOnce(const TExportThread& run, const std::string& log_file, bool& told) {
  if (told) return;
  const std::string failure = run.LogFailure();
  if (failure.empty()) return;
  told = true;
  std::fprintf(stderr, "halvex-export-cli: %s\n",
               runlog::LogIncompleteNotice(log_file, failure).c_str());
}

}  // namespace

int RunCliExport(const TCliOptions& options) {
  // A CA file is read before anything starts, so that a wrong one is an
  // invalid option rather than a failure at the first request.
  auto trust = std::make_shared<platform::TTlsTrust>(options.CaFile);
  if (!options.CaFile.empty()) {
    try {
      trust->Load();
    } catch (const platform::ETlsTrustError& error) {
      std::fprintf(stderr, "--ca-file %s\n", error.what());
      return 2;
    }
  }
  platform::TSyncQueue queue;
  // The console has no window to protect: the worker prints each line itself,
  // in order and before it goes on, without a thread switch per line.
  queue.SetCallerRuns(true);
  // Both set before the run starts and its first line is printed.
  std::string log_file = runlog::RunLogFileName(options.LogDir);
  bool log_failure_told = false;
  TExportThread* run_ptr = nullptr;
  auto run = std::make_unique<TExportThread>(queue, [&run_ptr, &log_file, &log_failure_told] {
    PrintLine(run_ptr->GetLastLine());
    TellLogFailureOnce(*run_ptr, log_file, log_failure_told);
  });
  run_ptr = run.get();
  run->SetDbOptions(&options.Db);
  run->SetTarget(options.Url, options.User, options.Password, options.ObjPrefix, options.Scode);
  if (const int refused = SetUpRunModes(*run, options, log_file)) return refused;
  std::fprintf(stderr, "halvex-export-cli: log file %s\n", log_file.c_str());
  run->SetLogFileName(log_file);
  if (options.ReadTimeout) run->SetReadTimeout(*options.ReadTimeout);
  run->SetTrust(trust);
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
  // A run whose log lacks lines has no complete record: not a success.
  TellLogFailureOnce(*run, log_file, log_failure_told);
  const int status = EndOfRunStatus(*run, options, log_file);
  return status == 0 && !run->LogFailure().empty() ? 1 : status;
}
