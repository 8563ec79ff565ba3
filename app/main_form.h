// TMainForm: the operator window. It holds the source and target settings
// fields, starts and stops one export run at a time, polls it once a second
// and shows every report line of the run in its log view.
//
// Main thread only. The window owns its run, the queue through which the run
// asks for ShowLastLine, and the TDBoptions record the run reads. Handlers
// never raise: an unexpected error is shown in an error box and the window
// carries on.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/labelled_edit.h"
#include "app/sync_queue_pump.h"
#include "export/ethread.h"
#include "platform/worker_thread.h"
#include "source/db_options.h"

// The caption of the program's message boxes.
inline constexpr char kApplicationTitle[] = "Halvex-export";

class TMainForm : public QWidget {
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  // Closing with a run: see the comment of the destructor in main_form.cpp.
  ~TMainForm() override;

  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // The window operations; each is also reached through its control.
  void StartButtonClick();
  void BreakButtonClick();
  void TimerTimer();
  // Appends the run's last report line to LogMemo (at the run's request);
  // the first time in a run that the log file lacks a line, a notice of
  // the window's own follows it.
  void ShowLastLine();

  // The current run, or null (Idle and Refused).
  const TExportThread* ExportThread() const { return FExportThread.get(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateControls();
  void SetTabOrder();
  void MoveToDesktopCentre();
  void ShowMessage(const QString& text);
  void AppendToLogMemo(const QString& line);
  // Runs a handler; an error that leaves it is shown, not passed on to Qt.
  template <class THandler>
  void RunHandler(THandler handler);

  QGroupBox* GroupBoxMS = nullptr;
  TLabeledEdit* lemshost = nullptr;
  TLabeledEdit* lemsport = nullptr;
  TLabeledEdit* lemsbase = nullptr;
  TLabeledEdit* lemsuser = nullptr;
  TLabeledEdit* lemspass = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  TLabeledEdit* legrurl = nullptr;
  TLabeledEdit* legruser = nullptr;
  TLabeledEdit* legrpass = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  TLabeledEdit* legrobjprefix = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* cbScode = nullptr;
  TLabeledEdit* leobjlist = nullptr;
  QPushButton* StartButton = nullptr;
  QPushButton* BreakButton = nullptr;
  QPlainTextEdit* LogMemo = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QTimer* Timer = nullptr;

  // Heap-held, in this order, so that a run still working when the window
  // goes can keep its queue and its settings record (app/abandoned_runs.h).
  std::unique_ptr<platform::TSyncQueue> FQueue;
  std::unique_ptr<TDBoptions> FDBoptions;
  std::unique_ptr<TSyncQueuePump> FPump;
  std::unique_ptr<TExportThread> FExportThread;
  // Lines appended so far; the first one goes into the empty view without
  // a line break before it.
  long long FLogLineCount = 0;
  // The log file of the latest run, and whether LogMemo has told that it
  // lacks lines.
  std::string FLogFileName;
  bool FLogFailureShown = false;
};
