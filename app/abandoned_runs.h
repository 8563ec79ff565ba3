// Runs that were still working when their window was destroyed. The window
// hands such a run over together with everything the run still reads (its
// queue, already closed, and its settings record), so nothing is freed under
// the run; they stay for the rest of the process and end with it.
// Main thread only.
#pragma once

#include <memory>

#include "export/ethread.h"
#include "platform/worker_thread.h"
#include "source/db_options.h"

struct TAbandonedRun {
  std::unique_ptr<platform::TSyncQueue> Queue;
  std::unique_ptr<TDBoptions> Options;
  std::unique_ptr<TExportThread> Run;  // last, so that it would go first
};

// Keeps the run until the process ends; it is never destroyed (destroying it
// would wait for a thread that may be stuck in a slow request).
void KeepAbandonedRun(TAbandonedRun run);

// True while a kept run's thread has not ended. The program then ends its
// process at once instead of returning from main (see app/main.cpp).
bool AbandonedRunsWorking();
