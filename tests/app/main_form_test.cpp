// The operator window on its own: controls and defaults, the field checks
// and the Refused state, and runs against the stand-in platform without a
// source database (Start, the poll's own stop, closing during a request).
#include "app/main_form.h"

#include <sys/resource.h>

#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <thread>

#include "app/abandoned_runs.h"
#include "app/sync_queue_pump.h"
#include "tests/app/window_test_support.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/mariadb_env.h"

using namespace windowtest;

namespace {

// The port of the private MariaDB that the test run started.
int SourcePort() { return testsupport::MariaDbEnv().Port; }

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

struct TFieldCase {
  const char* Name;
  const char* Parent;
  QRect Bounds;
  const char* Label;
  const char* Text;
  bool Masked;
};

const TFieldCase kFields[] = {
    {"lemshost", "GroupBoxMS", {16, 32, 273, 21}, "Адрес:", "127.0.0.1", false},
    {"lemsport", "GroupBoxMS", {16, 80, 273, 21}, "Порт:", "3306", false},
    {"lemsbase", "GroupBoxMS", {16, 128, 273, 21}, "Имя базы:", "velmora", false},
    {"lemsuser", "GroupBoxMS", {16, 176, 273, 21}, "Пользователь:", "root", false},
    {"lemspass", "GroupBoxMS", {16, 224, 273, 21}, "Пароль:", "quietlamp", true},
    {"legrurl", "GroupBox1", {16, 32, 273, 21}, "URL", "http://127.0.0.1:8080/", false},
    {"legruser", "GroupBox1", {16, 80, 273, 21}, "Пользователь:", "root", false},
    {"legrpass", "GroupBox1", {16, 128, 273, 21}, "Пароль:", "larkspur", true},
    {"legrobjprefix", "GroupBox2", {16, 32, 273, 21}, "Префикс для объектов без IMEI:", "0", false},
    {"leobjlist",
     "GroupBox2",
     {16, 128, 273, 21},
     "Список объектов (все, если пустое поле):",
     "",
     false},
};

}  // namespace

class TMainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { FLogsBefore = LogFiles(); }
  void cleanup() { RemoveNewLogFiles(FLogsBefore); }

  void windowAndControls() {
    TMainForm form;
    QCOMPARE(form.windowTitle(), U("Halvex to Marivon objects export"));
    QCOMPARE(form.size(), QSize(1156, 685));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.font().pointSize(), 8);

    const struct {
      const char* Name;
      QRect Bounds;
      const char* Title;
    } boxes[] = {{"GroupBoxMS", {8, 8, 305, 265}, "Halvex"},
                 {"GroupBox1", {8, 280, 305, 169}, "Marivon"},
                 {"GroupBox2", {8, 456, 305, 169}, "Параметры переноса"}};
    for (const auto& box : boxes) {
      auto* group = Control<QGroupBox>(form, box.Name);
      QVERIFY2(group != nullptr, box.Name);
      QCOMPARE(group->parentWidget(), &form);
      QCOMPARE(group->geometry(), box.Bounds);
      QCOMPARE(group->title(), U(box.Title));
    }

    for (const TFieldCase& field : kFields) {
      auto* edit = Control<TLabeledEdit>(form, field.Name);
      QVERIFY2(edit != nullptr, field.Name);
      QCOMPARE(edit->parentWidget()->objectName(), QString(field.Parent));
      QCOMPARE(edit->geometry(), field.Bounds);
      QCOMPARE(edit->text(), U(field.Text));
      QCOMPARE(edit->EditLabel()->text(), U(field.Label));
      // The label just above the edit, left edges aligned.
      const QRect label = edit->EditLabel()->geometry();
      QCOMPARE(label.left(), field.Bounds.left());
      QVERIFY(label.bottom() < field.Bounds.top() && label.bottom() >= field.Bounds.top() - 6);
      QCOMPARE(edit->echoMode() == QLineEdit::Password, field.Masked);
      if (field.Masked) {
        QCOMPARE(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit),
                 int('*'));
      }
    }

    auto* label1 = Control<QLabel>(form, "Label1");
    QCOMPARE(label1->text(), U("Поиск координат:"));
    QCOMPARE(label1->pos(), QPoint(16, 64));
    auto* geocoder = Control<QComboBox>(form, "cbScode");
    QCOMPARE(geocoder->geometry(), QRect(16, 80, 273, 21));
    QVERIFY(!geocoder->isEditable());
    QCOMPARE(geocoder->count(), 2);
    QCOMPARE(geocoder->itemText(0), U("Yandex"));
    QCOMPARE(geocoder->itemText(1), U("Google"));
    QCOMPARE(geocoder->currentIndex(), 0);

    auto* start = Control<QPushButton>(form, "StartButton");
    QCOMPARE(start->geometry(), QRect(8, 633, 145, 25));
    QCOMPARE(start->text(), U("Старт"));
    auto* stop = Control<QPushButton>(form, "BreakButton");
    QCOMPARE(stop->geometry(), QRect(168, 633, 145, 25));
    QCOMPARE(stop->text(), U("Стоп"));
    QVERIFY(IsIdle(form));

    auto* memo = Control<QPlainTextEdit>(form, "LogMemo");
    QCOMPARE(memo->geometry(), QRect(320, 8, 825, 649));
    QVERIFY(!memo->isReadOnly());
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(memo->toPlainText().isEmpty());

    // Docked to the bottom over the full width, also after a resize.
    auto* bar = Control<QProgressBar>(form, "ProgressBar");
    QCOMPARE(bar->geometry(), QRect(0, 685 - 17, 1156, 17));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(1300, 800);
    QTRY_COMPARE(bar->geometry(), QRect(0, 800 - 17, 1300, 17));
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);

    auto* timer = Control<QTimer>(form, "Timer");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
  }

  void tabOrder() {
    TMainForm form;
    const QStringList expected{
        "StartButton", "LogMemo", "lemsbase", "lemsuser", "lemspass",      "lemshost", "lemsport",
        "BreakButton", "legrurl", "legrpass", "legruser", "legrobjprefix", "cbScode",  "leobjlist"};
    QStringList seen;
    QWidget* widget = Control<QWidget>(form, "StartButton");
    do {
      if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty()) {
        seen << widget->objectName();
      }
      widget = widget->nextInFocusChain();
    } while (widget != Control<QWidget>(form, "StartButton") && seen.size() < 40);
    QCOMPARE(seen, expected);
  }

  // Without a run ShowLastLine appends an empty line; an empty first line
  // still counts as a line of the view.
  void showLastLineWithoutRun() {
    TMainForm form;
    form.ShowLastLine();
    form.ShowLastLine();
    QCOMPARE(MemoLines(form), QStringList({"", ""}));
  }

  // Invalid fields: the message box, the Refused state (Running look, no
  // run, a poll does nothing), Stop back to Idle.
  void refusedFields_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("message");
    const QString url = "http://127.0.0.1:8080/";
    QTest::newRow("letter in port") << "33o6"
                                    << "0" << url << "Imput correct MySQL port";
    QTest::newRow("blank behind port") << "3306 "
                                       << "0" << url << "Imput correct MySQL port";
    QTest::newRow("empty port") << ""
                                << "0" << url << "Imput correct MySQL port";
    // The port with a blank in front passes; the prefix check comes next.
    QTest::newRow("blank before port") << " 3306"
                                       << "5-" << url << "Imput correct object prefix";
    QTest::newRow("prefix word") << "3306"
                                 << "abc" << url << "Imput correct object prefix";
    QTest::newRow("empty url") << "3306"
                               << "-5"
                               << ""
                               << "Input the Marivon URL";
  }
  void refusedFields() {
    QFETCH(QString, port);
    QFETCH(QString, prefix);
    QFETCH(QString, url);
    QFETCH(QString, message);
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TypeInto(Control<QLineEdit>(form, "lemsport"), port);
    TypeInto(Control<QLineEdit>(form, "legrobjprefix"), prefix);
    TypeInto(Control<QLineEdit>(form, "legrurl"), url);

    const TMessageSeen seen = ClickAnsweringMessage(Control<QPushButton>(form, "StartButton"));
    QCOMPARE(seen.Text, message);
    QCOMPARE(seen.Caption, QString("Halvex-export"));
    QVERIFY(LooksRunning(form));
    QVERIFY(form.ExportThread() == nullptr);
    form.TimerTimer();
    QVERIFY(LooksRunning(form));
    QCOMPARE(Control<QLineEdit>(form, "legrurl")->text(), url);

    QTest::mouseClick(Control<QPushButton>(form, "BreakButton"), Qt::LeftButton);
    QVERIFY(IsIdle(form));
    QVERIFY(LogFiles() == FLogsBefore);
  }

  // A run from the window's fields against the private MariaDB: the
  // stand-in answers the first request late, so the run is surely not
  // finished at the first poll. The run's lines reach the view through the
  // event loop; the run ends by itself and the next poll brings the window
  // back to Idle.
  void runFromTheFields_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("url without slash") << "";
    QTest::newRow("url with slash") << "/";
  }
  void runFromTheFields() {
    QFETCH(QString, path);
    TStandin standin({"--delay-ms", "1500", "--delay-at", "1"});
    QVERIFY(standin.IsServing());
    TMainForm form;
    QVERIFY(ShowAimedAt(form, QString::number(SourcePort()), standin.Url() + path));

    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    QTest::mouseClick(Control<QPushButton>(form, "StartButton"), Qt::LeftButton);
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(Control<QLineEdit>(form, "legrurl")->text(), standin.Url() + "/");
    QVERIFY(form.ExportThread() != nullptr);
    form.TimerTimer();  // the run has not got its first answer: not finished
    QVERIFY(form.ExportThread() != nullptr);
    QVERIFY(LooksRunning(form));

    QTRY_VERIFY_WITH_TIMEOUT(!MemoLines(form).isEmpty(), 5000);
    const QString first = MemoLines(form).first();
    QVERIFY2(first.startsWith("URI: restapi/objs-groups/search/       PARAMS: "),
             qPrintable(first));
    QVERIFY2(first.contains(U("Стационарные объекты")), qPrintable(first));

    QTRY_VERIFY_WITH_TIMEOUT(IsIdle(form), 20000);
    QCOMPARE(Control<QProgressBar>(form, "ProgressBar")->value(), 0);

    // One log file next to the program, named after the start time, holding
    // exactly the lines of the view.
    QStringList created = LogFiles();
    for (const QString& old : FLogsBefore) created.removeAll(old);
    QCOMPARE(created.size(), 1);
    const QString name = QFileInfo(created.first()).fileName();
    QVERIFY2(
        QRegularExpression(R"(^Log_\d\d_\d\d_\d{4}_\d\d-\d\d-\d\d\.log$)").match(name).hasMatch(),
        qPrintable(name));
    const QDateTime stamp = QDateTime::fromString(name.mid(4, 19), "dd_MM_yyyy_HH-mm-ss");
    QVERIFY(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after);
    QCOMPARE(QFileInfo(created.first()).absolutePath(), QCoreApplication::applicationDirPath());
    bool well_formed = false;
    const QStringList entries = LogLines(created.first(), &well_formed);
    QVERIFY(well_formed);
    QCOMPARE(MemoLines(form), entries);
  }

  // A log file that cannot take a single entry (a file-size limit of 0
  // stands in for a full disk): the caption names the file, the run goes on,
  // and the view tells once, right after the first line, that the record
  // of the run is incomplete.
  void logThatCannotBeWritten() {
    TStandin standin;
    QVERIFY(standin.IsServing());
    TMainForm form;
    QVERIFY(ShowAimedAt(form, QString::number(SourcePort()), standin.Url()));
    {
      const testsupport::TFileSizeLimit full_disk(0);
      QTest::mouseClick(Control<QPushButton>(form, "StartButton"), Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(IsIdle(form), 20000);
    }
    const QString caption = U("Halvex to Marivon objects export - ");
    QVERIFY2(
        form.windowTitle().startsWith(caption + QCoreApplication::applicationDirPath() + "/Log_"),
        qPrintable(form.windowTitle()));
    const QString log_file = form.windowTitle().mid(caption.size());
    QVERIFY(!QFileInfo::exists(log_file));

    const QStringList lines = MemoLines(form);
    QVERIFY(lines.size() > 2);
    QVERIFY(lines[0].startsWith("URI: restapi/objs-groups/search/"));
    QVERIFY2(lines[1].startsWith("The log file " + log_file + " cannot be written (write: "),
             qPrintable(lines[1]));
    QCOMPARE(lines.filter("The log file").size(), 1);
  }

  // A source that cannot be reached is found before anything is made on
  // the platform: one line, no request, and the window is Idle again.
  void runWithUnreachableSource() {
    TStandin standin({"--delay-ms", "1500", "--delay-at", "1"});
    QVERIFY(standin.IsServing());
    TMainForm form;
    QVERIFY(ShowAimedAt(form, QString::number(ClosedPort()), standin.Url()));
    QTest::mouseClick(Control<QPushButton>(form, "StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(IsIdle(form), 20000);
    const QStringList lines = MemoLines(form);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(U("НЕТ СОЕДИНЕНИЯ С БАЗОЙ ДАННЫХ: ")),
             qPrintable(lines.first()));
    QCOMPARE(standin.Requests(), 0);
  }

  // An object list without one valid item is refused like a bad port: it
  // would otherwise mean every object.
  void refusedObjectList_data() {
    QTest::addColumn<QString>("list");
    QTest::newRow("open range") << "1-";
    QTest::newRow("word") << "abc";
    QTest::newRow("separators") << " , ";
  }
  void refusedObjectList() {
    QFETCH(QString, list);
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TypeInto(Control<QLineEdit>(form, "leobjlist"), list);
    const TMessageSeen seen = ClickAnsweringMessage(Control<QPushButton>(form, "StartButton"));
    QCOMPARE(seen.Text, QString("Input correct object list"));
    QVERIFY(LooksRunning(form));
    QVERIFY(form.ExportThread() == nullptr);
    QTest::mouseClick(Control<QPushButton>(form, "BreakButton"), Qt::LeftButton);
    QVERIFY(IsIdle(form));
    QVERIFY(LogFiles() == FLogsBefore);
  }

  // Closing the window while the run waits for a slow answer: the window
  // goes at once, the run is left to end by itself, and none of its later
  // lines reaches the destroyed window (they go to its log file only).
  void closeDuringSlowRequest() {
    TStandin standin({"--delay-ms", "4000", "--delay-at", "1"});
    QVERIFY(standin.IsServing());
    auto form = std::make_unique<TMainForm>();
    QVERIFY(ShowAimedAt(*form, QString::number(SourcePort()), standin.Url()));
    QTest::mouseClick(Control<QPushButton>(*form, "StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!MemoLines(*form).isEmpty(), 5000);
    const qsizetype shown = MemoLines(*form).size();

    QElapsedTimer closing;
    closing.start();
    form.reset();
    QVERIFY2(closing.elapsed() < 3500, "the window waited for the slow request");
    QVERIFY(AbandonedRunsWorking());
    QTRY_VERIFY_WITH_TIMEOUT(!AbandonedRunsWorking(), 30000);

    QStringList created = LogFiles();
    for (const QString& old : FLogsBefore) created.removeAll(old);
    QCOMPARE(created.size(), 1);
    bool well_formed = false;
    QVERIFY(LogLines(created.first(), &well_formed).size() > shown);
    QVERIFY(well_formed);
  }

  // The Qt side of the queue: a worker's request runs on the main thread from
  // the event loop; once the pump and the queue are closed, a request is
  // refused unrun.
  void pumpServesRequestsFromEventLoop() {
    platform::TSyncQueue queue;
    auto pump = std::make_unique<TSyncQueuePump>(queue);
    std::atomic<int> ran_on_main{0};
    std::atomic<int> answered{0};
    const auto main_thread = std::this_thread::get_id();
    std::thread worker([&] {
      for (int i = 0; i < 3; ++i) {
        if (queue.Call([&] { ran_on_main += std::this_thread::get_id() == main_thread; })) {
          ++answered;
        }
      }
    });
    QTRY_COMPARE_WITH_TIMEOUT(answered.load(), 3, 5000);
    worker.join();
    QCOMPARE(ran_on_main.load(), 3);

    pump.reset();
    queue.Close();
    bool refused = false;
    std::thread late([&] { refused = !queue.Call([&] { ++ran_on_main; }); });
    late.join();
    QVERIFY(refused);
    QCOMPARE(ran_on_main.load(), 3);
  }

 private:
  QStringList FLogsBefore;
};

QTEST_MAIN(TMainFormTest)
#include "main_form_test.moc"
