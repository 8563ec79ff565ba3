// Window test helpers: controls, message boxes, the stand-in process, log files.
#include "tests/app/window_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QThread>
#include <QTimer>

#include "platform/text_codec.h"

namespace windowtest {

void TypeInto(QLineEdit* edit, const QString& ascii) {
  edit->clear();
  QTest::keyClicks(edit, ascii);
}

TMessageSeen ClickAnsweringMessage(QWidget* button) {
  TMessageSeen seen;
  QTimer watcher;
  watcher.setInterval(10);
  QObject::connect(&watcher, &QTimer::timeout, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.Caption = box->windowTitle();
    seen.Text = box->text();
    // One text and an "OK" button, nothing else.
    if (box->buttons().size() == 1 && box->button(QMessageBox::Ok) != nullptr) {
      box->button(QMessageBox::Ok)->click();
    } else {
      seen.Text = "unexpected buttons: " + seen.Text;
      box->reject();
    }
  });
  watcher.start();
  QTest::mouseClick(button, Qt::LeftButton);
  watcher.stop();
  return seen;
}

bool IsIdle(const TMainForm& form) {
  return Control<QPushButton>(form, "StartButton")->isEnabled() &&
         Control<QPushButton>(form, "BreakButton")->isHidden() && form.ExportThread() == nullptr;
}

bool LooksRunning(const TMainForm& form) {
  return !Control<QPushButton>(form, "StartButton")->isEnabled() &&
         !Control<QPushButton>(form, "BreakButton")->isHidden();
}

QStringList MemoLines(const TMainForm& form) {
  const QTextDocument* document = Control<QPlainTextEdit>(form, "LogMemo")->document();
  QStringList lines;
  if (document->isEmpty()) return lines;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    lines << block.text();
  }
  return lines;
}

TStandin::TStandin(const QStringList& fault_options) {
  const QString state = FDir.filePath("state.json");
  const QString port_file = FDir.filePath("port");
  QStringList arguments{HALVEX_STANDIN, "serve",   "--state", state, "--port", "0",
                        "--port-file",  port_file, "--reset"};
  arguments << fault_options;
  FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  FProcess.start("python3", arguments);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 15000 && FProcess.state() != QProcess::NotRunning) {
    QFile file(port_file);
    if (file.open(QIODevice::ReadOnly)) {
      const int port = file.readAll().trimmed().toInt();
      if (port > 0) {
        FPort = port;
        return;
      }
    }
    QThread::msleep(20);
  }
}

TStandin::~TStandin() {
  FProcess.terminate();
  if (!FProcess.waitForFinished(5000)) {
    FProcess.kill();
    FProcess.waitForFinished(2000);
  }
}

QString TStandin::Url() const { return QString("http://127.0.0.1:%1").arg(FPort); }

void TStandin::Reset() {
  QProcess::execute("python3", {HALVEX_STANDIN, "reset", "--state", FDir.filePath("state.json")});
}

int TStandin::Requests() const {
  QProcess journal;
  journal.start("python3", {HALVEX_STANDIN, "journal", "--state", FDir.filePath("state.json"),
                            "--format", "lines"});
  journal.waitForFinished(10000);
  return static_cast<int>(journal.readAllStandardOutput().count('\n'));
}

bool ShowAimedAt(TMainForm& form, const QString& port, const QString& url) {
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return false;
  TypeInto(Control<QLineEdit>(form, "lemsport"), port);
  TypeInto(Control<QLineEdit>(form, "legrurl"), url);
  return true;
}

int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

QStringList LogFiles() {
  const QDir folder(QCoreApplication::applicationDirPath());
  QStringList files;
  for (const QString& name : folder.entryList({"Log_*.log"}, QDir::Files, QDir::Name)) {
    files << folder.absoluteFilePath(name);
  }
  return files;
}

QStringList LogLines(const QString& path, bool* well_formed) {
  *well_formed = false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray content = file.readAll();
  const qsizetype header_end = content.indexOf("\r\n");
  if (header_end < 0 || content.size() < header_end + 4 || !content.endsWith("\r\n")) return {};
  const std::string body = content.mid(header_end + 2).chopped(2).toStdString();
  static const QRegularExpression stamp(R"(^\d\d\.\d\d\.\d{4}  \d\d.\d\d.\d\d.\d{3} )");
  static const QRegularExpression line_break("\r\n|\r|\n");
  QStringList lines;
  // An entry ends in CR LF; a report line may hold line breaks of its own,
  // after which the text goes on without a stamp.
  for (const QString& physical :
       QString::fromStdU16String(platform::Cp1251ToUtf16(body)).split("\r\n")) {
    const QRegularExpressionMatch match = stamp.match(physical);
    if (lines.isEmpty() && !match.hasMatch()) return {};
    lines << physical.mid(match.hasMatch() ? match.capturedLength() : 0).split(line_break);
  }
  *well_formed = true;
  return lines;
}

void RemoveNewLogFiles(const QStringList& before) {
  for (const QString& path : LogFiles()) {
    if (!before.contains(path)) QFile::remove(path);
  }
}

}  // namespace windowtest
