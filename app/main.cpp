// halvex-export: the operator window. The application is initialised with
// its title, the main window is shown and the message loop runs until the
// window is closed.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/abandoned_runs.h"
#include "app/main_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  int exit_code = 0;
  {
    TMainForm form;
    QApplication::setWindowIcon(form.windowIcon());
    form.show();
    exit_code = QApplication::exec();
  }
  // A run that outlived its window (see ~TMainForm) ends with the process:
  // static destructors are skipped, as they might wait for or free what the
  // run still uses. Its log entries are already on disk (nothing is buffered).
  if (AbandonedRunsWorking()) {
    std::fflush(nullptr);
    std::_Exit(exit_code);
  }
  return exit_code;
}
