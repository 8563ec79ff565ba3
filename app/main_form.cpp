// The operator window: its controls and defaults, and the Start, Stop and
// Poll handling of one run.
//
// Choices of this window where the run control leaves them open:
// - An empty URL field at Start is refused like an invalid port or prefix:
//   the message box "Input the Marivon URL", then the Refused state (Stop
//   returns to Idle). A run on the bare "/" could only fail at its first
//   request and stay in its running look.
// - A run that has not begun yet also reads IsRunning() false. The poll
//   therefore takes a run for finished only when its flag is clear and its
//   thread has ended (TWorkerThread::Finished). A run whose thread ended by
//   an error with its flag still set stays Running until Stop, as before.
// - Closing the window while a run exists: see ~TMainForm.
// - The client area is the outer size 1172 x 724 less a sizeable frame of
//   8 pixels each side and a 23 pixel caption: 1156 x 685, which is what
//   the control positions were laid out for.
#include "app/main_form.h"

#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScreen>
#include <QTextCursor>
#include <chrono>
#include <exception>
#include <string>
#include <thread>

#include "app/abandoned_runs.h"
#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "source/object_filter.h"

namespace {

constexpr int kOuterWidth = 1172;
constexpr int kOuterHeight = 724;
constexpr int kFrameBorder = 8;
constexpr int kCaptionHeight = 23;
constexpr int kProgressBarHeight = 17;
constexpr int kPollIntervalMs = 1000;
// How long a closing window lets a terminated run finish its current step and
// its summary (with the queue closed it no longer waits for the window).
constexpr int kCloseGraceMs = 2000;

QString Label(const char* utf8) { return QString::fromUtf8(utf8); }

// Field texts inside the system are Windows-1251.
std::string FieldText(const QLineEdit* edit) {
  return platform::Utf16ToCp1251(edit->text().toStdU16String());
}

QString DisplayText(const std::string& cp1251) {
  return QString::fromStdU16String(platform::Cp1251ToUtf16(cp1251));
}

// Next to the executable: Log_dd_mm_yyyy_hh-nn-ss.log of the local time now.
// ExeDirectory() already ends in "/", so no second separator is added.
std::string NewLogFileName() {
  return platform::ExeDirectory() + "Log_" +
         platform::FormatDateTime("dd_mm_yyy_hh-nn-ss", platform::NowParts()) + ".log";
}

}  // namespace

// The icon's resources live in a static library: they are registered by hand.
static void InitResources() { Q_INIT_RESOURCE(resources); }

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent),
      FQueue(std::make_unique<platform::TSyncQueue>()),
      FDBoptions(std::make_unique<TDBoptions>()),
      FPump(std::make_unique<TSyncQueuePump>(*FQueue)) {
  InitResources();
  setObjectName("MainForm");
  setWindowTitle(Label("Halvex to Marivon objects export"));
  setWindowIcon(QIcon(":/app/halvex-export.png"));
  QFont font(Label("MS Sans Serif"));
  font.setPointSize(8);
  font.setStyleHint(QFont::SansSerif);  // the platform's sans font where it is missing
  setFont(font);
  resize(kOuterWidth - 2 * kFrameBorder, kOuterHeight - kCaptionHeight - 2 * kFrameBorder);

  CreateControls();
  SetTabOrder();
  MoveToDesktopCentre();

  // FormCreate: no run yet (FExportThread is null).
  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(kPollIntervalMs);
  connect(Timer, &QTimer::timeout, this, [this] { RunHandler([this] { TimerTimer(); }); });
  Timer->start();
}

namespace {

QGroupBox* NewGroupBox(QWidget* parent, const char* name, const QString& title,
                       const QRect& bounds) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  box->setGeometry(bounds);
  // The caption sits on the frame's top line, as the field positions expect,
  // instead of above a frame that would cross the first label.
  box->setStyleSheet(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 2px; }");
  return box;
}

TLabeledEdit* NewEdit(QWidget* parent, const char* name, const QString& label, const QRect& bounds,
                      const QString& text) {
  auto* edit = new TLabeledEdit(parent, label, bounds);
  edit->setObjectName(name);
  edit->setText(text);
  return edit;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& bounds) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(bounds);
  return button;
}

}  // namespace

void TMainForm::CreateControls() {
  GroupBoxMS = NewGroupBox(this, "GroupBoxMS", Label("Halvex"), {8, 8, 305, 265});
  lemshost =
      NewEdit(GroupBoxMS, "lemshost", Label("Адрес:"), {16, 32, 273, 21}, Label("127.0.0.1"));
  lemsport = NewEdit(GroupBoxMS, "lemsport", Label("Порт:"), {16, 80, 273, 21}, Label("3306"));
  lemsbase =
      NewEdit(GroupBoxMS, "lemsbase", Label("Имя базы:"), {16, 128, 273, 21}, Label("velmora"));
  lemsuser =
      NewEdit(GroupBoxMS, "lemsuser", Label("Пользователь:"), {16, 176, 273, 21}, Label("root"));
  lemspass =
      NewEdit(GroupBoxMS, "lemspass", Label("Пароль:"), {16, 224, 273, 21}, Label("quietlamp"));
  lemspass->MaskInput();

  GroupBox1 = NewGroupBox(this, "GroupBox1", Label("Marivon"), {8, 280, 305, 169});
  legrurl = NewEdit(GroupBox1, "legrurl", Label("URL"), {16, 32, 273, 21},
                    Label("http://127.0.0.1:8080/"));
  legruser =
      NewEdit(GroupBox1, "legruser", Label("Пользователь:"), {16, 80, 273, 21}, Label("root"));
  legrpass =
      NewEdit(GroupBox1, "legrpass", Label("Пароль:"), {16, 128, 273, 21}, Label("larkspur"));
  legrpass->MaskInput();

  GroupBox2 = NewGroupBox(this, "GroupBox2", Label("Параметры переноса"), {8, 456, 305, 169});
  legrobjprefix = NewEdit(GroupBox2, "legrobjprefix", Label("Префикс для объектов без IMEI:"),
                          {16, 32, 273, 21}, Label("0"));
  Label1 = new QLabel(Label("Поиск координат:"), GroupBox2);
  Label1->setObjectName("Label1");
  Label1->adjustSize();
  Label1->move(16, 64);
  cbScode = new QComboBox(GroupBox2);  // not editable: selection only
  cbScode->setObjectName("cbScode");
  cbScode->setGeometry(16, 80, 273, 21);
  cbScode->addItems({Label("Yandex"), Label("Google")});
  cbScode->setCurrentIndex(0);
  Label1->setBuddy(cbScode);
  leobjlist = NewEdit(GroupBox2, "leobjlist", Label("Список объектов (все, если пустое поле):"),
                      {16, 128, 273, 21}, QString());

  StartButton = NewButton(this, "StartButton", Label("Старт"), {8, 633, 145, 25});
  connect(StartButton, &QPushButton::clicked, this,
          [this] { RunHandler([this] { StartButtonClick(); }); });
  BreakButton = NewButton(this, "BreakButton", Label("Стоп"), {168, 633, 145, 25});
  BreakButton->hide();
  connect(BreakButton, &QPushButton::clicked, this,
          [this] { RunHandler([this] { BreakButtonClick(); }); });

  LogMemo = new QPlainTextEdit(this);
  LogMemo->setObjectName("LogMemo");
  LogMemo->setGeometry(320, 8, 825, 649);
  LogMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  LogMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LogMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LogMemo->setTabChangesFocus(true);

  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  ProgressBar->setGeometry(0, height() - kProgressBarHeight, width(), kProgressBarHeight);
}

// Tab order within each parent, chained as the window passes through them:
// window: StartButton, LogMemo, (ProgressBar), GroupBoxMS, BreakButton,
// GroupBox1, GroupBox2; inside GroupBoxMS: name, user, password, address,
// port; inside GroupBox1: URL, password, user; inside GroupBox2: prefix,
// geocoder, object list.
void TMainForm::SetTabOrder() {
  QWidget* const chain[] = {StartButton, LogMemo,       lemsbase,    lemsuser, lemspass,
                            lemshost,    lemsport,      BreakButton, legrurl,  legrpass,
                            legruser,    legrobjprefix, cbScode,     leobjlist};
  for (size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
  StartButton->setFocus();
}

void TMainForm::MoveToDesktopCentre() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect desktop = screen->availableGeometry();
  // Centred by the outer size; never placed with its caption off the desktop.
  const int left = desktop.left() + std::max(0, (desktop.width() - kOuterWidth) / 2);
  const int top = desktop.top() + std::max(0, (desktop.height() - kOuterHeight) / 2);
  move(left, top);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ProgressBar->setGeometry(0, height() - kProgressBarHeight, width(), kProgressBarHeight);
}

void TMainForm::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, Label(kApplicationTitle), text, QMessageBox::Ok, this);
  box.exec();
}

template <class THandler>
void TMainForm::RunHandler(THandler handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    QMessageBox::critical(this, Label(kApplicationTitle), DisplayText(error.what()));
  }
}

void TMainForm::StartButtonClick() {
  BreakButton->show();
  StartButton->setEnabled(false);

  FDBoptions->DBName = FieldText(lemsbase);
  FDBoptions->User = FieldText(lemsuser);
  FDBoptions->Password = FieldText(lemspass);
  FDBoptions->Host = FieldText(lemshost);
  FDBoptions->ObjectList = FieldText(leobjlist);
  int32_t port = 0;
  if (!platform::TryTextToInt(FieldText(lemsport), port)) {
    ShowMessage(Label("Imput correct MySQL port"));
    return;
  }
  FDBoptions->Port = port;
  FDBoptions->Charset = "cp1251";
  int32_t prefix = 0;
  if (!platform::TryTextToInt(FieldText(legrobjprefix), prefix)) {
    ShowMessage(Label("Imput correct object prefix"));
    return;
  }
  // A list with no valid item would otherwise mean every object.
  if (ObjectListRefused(FDBoptions->ObjectList)) {
    ShowMessage(Label("Input correct object list"));
    return;
  }
  const std::string scode = cbScode->currentIndex() == 1 ? "GGL" : "YDX";
  if (legrurl->text().isEmpty()) {
    ShowMessage(Label("Input the Marivon URL"));
    return;
  }
  if (!legrurl->text().endsWith(QLatin1Char('/'))) legrurl->setText(legrurl->text() + '/');

  FExportThread = std::make_unique<TExportThread>(*FQueue, [this] { ShowLastLine(); });
  FExportThread->SetDbOptions(FDBoptions.get());
  FExportThread->SetTarget(FieldText(legrurl), FieldText(legruser), FieldText(legrpass), prefix,
                           scode);
  FExportThread->SetLogFileName(NewLogFileName());
  FExportThread->Start();
}

void TMainForm::BreakButtonClick() {
  BreakButton->hide();
  StartButton->setEnabled(true);
  if (!FExportThread) return;
  FExportThread->Terminate();
  // Waits for the run's end while executing its ShowLastLine requests, which
  // read the run's last line through FExportThread: it stays set until then.
  FExportThread->WaitFor();
  FExportThread.reset();
  ProgressBar->setValue(0);
}

void TMainForm::TimerTimer() {
  if (!FExportThread) return;
  ProgressBar->setValue(FExportThread->GetProgress());
  if (!FExportThread->IsRunning() && FExportThread->Finished()) BreakButtonClick();
}

void TMainForm::ShowLastLine() {
  const QString line = DisplayText(FExportThread ? FExportThread->GetLastLine() : std::string());
  // A new last line, the caret after it and in view.
  QTextCursor cursor = LogMemo->textCursor();
  cursor.movePosition(QTextCursor::End);
  if (FLogLineCount > 0 || !LogMemo->document()->isEmpty()) cursor.insertBlock();
  cursor.insertText(line);
  ++FLogLineCount;
  LogMemo->setTextCursor(cursor);
  LogMemo->ensureCursorVisible();
}

// Closing the window while a run exists ends the program; the run ends with
// the process. First the queue is closed: no ShowLastLine request reaches
// this window any more, and a worker waiting in one is released. The run is
// asked to terminate and given a short grace to finish its current step and
// its summary (it writes them to its log file only). A run still working
// then, e.g. in a slow request to the target, is handed over with its queue
// and settings record to app/abandoned_runs.h instead of being waited for;
// main() then ends the process without waiting.
TMainForm::~TMainForm() {
  Timer->stop();
  FQueue->Close();
  if (!FExportThread) return;
  FExportThread->Terminate();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseGraceMs);
  while (FExportThread->Started() && !FExportThread->Finished() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!FExportThread->Started() || FExportThread->Finished()) {
    FExportThread.reset();
    return;
  }
  KeepAbandonedRun({std::move(FQueue), std::move(FDBoptions), std::move(FExportThread)});
}
