// Helpers of the window tests: finding the form's controls, answering its
// modal message boxes, a stand-in platform process, and the run log files
// that runs leave next to the test program. Main thread only.
#pragma once

#include <QDateTime>
#include <QLineEdit>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "app/main_form.h"

namespace windowtest {

template <class TControl>
TControl* Control(const TMainForm& form, const char* name) {
  return form.findChild<TControl*>(QString::fromLatin1(name));
}

// Replaces a field's text by typing (ASCII only).
void TypeInto(QLineEdit* edit, const QString& ascii);

// Clicks `button`; a message box that the click opens is read and closed
// with OK. Returns the box's caption and text ("" when none was shown).
struct TMessageSeen {
  QString Caption;
  QString Text;
};
TMessageSeen ClickAnsweringMessage(QWidget* button);

// Shows `form`, waits until it is on screen and types `port` into the
// MySQL port field and `url` into the URL field. False when the window was
// never shown (the fields are then left as they were).
bool ShowAimedAt(TMainForm& form, const QString& port, const QString& url);

// True when the form is Idle: Start enabled, Stop hidden, no run.
bool IsIdle(const TMainForm& form);
// Running or Refused look: Start disabled, Stop shown.
bool LooksRunning(const TMainForm& form);

// The lines of LogMemo.
QStringList MemoLines(const TMainForm& form);

// The stand-in platform (tools/marivon_standin.py) on a free loopback port,
// with its state in a temporary folder. Stopped by the destructor.
class TStandin {
 public:
  explicit TStandin(const QStringList& fault_options = {});
  ~TStandin();
  TStandin(const TStandin&) = delete;
  TStandin& operator=(const TStandin&) = delete;

  bool IsServing() const { return FPort > 0; }
  // "http://127.0.0.1:PORT" (no trailing slash).
  QString Url() const;
  // Forgets everything the platform was sent.
  void Reset();
  // How many platform requests it has received.
  int Requests() const;

 private:
  QTemporaryDir FDir;
  QProcess FProcess;
  int FPort = 0;
};

// A loopback port on which nothing listens (bound, then released).
int ClosedPort();

// Run log files next to the test program (where the window puts them).
QStringList LogFiles();
// The text of a run log file as the log view shows it: the header and the
// stamps removed, one element per line. `well_formed` is false when the
// file has no header or does not begin with a stamped entry.
QStringList LogLines(const QString& path, bool* well_formed);
// Removes the log files not in `before`.
void RemoveNewLogFiles(const QStringList& before);

}  // namespace windowtest
