// Full runs from the window: the private MariaDB loaded with the sample
// Halvex database and the stand-in platform. Every report line reaches the
// view in order and equals its log entry; the poll brings the window back;
// Stop during the guard step waits for the run's summary.
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/main_form.h"
#include "tests/app/window_test_support.h"
#include "tests/support/mariadb_env.h"

using namespace windowtest;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

const char kSummaryTitle[] = "ЭКСПОРТ ОБЪЕКТОВ ЗАВЕРШЕН";

QStringList NewLogFiles(const QStringList& before) {
  QStringList created = LogFiles();
  for (const QString& old : before) created.removeAll(old);
  return created;
}

// The lines of the view from `first` on.
QStringList MemoLinesFrom(const TMainForm& form, qsizetype first) {
  return MemoLines(form).mid(first);
}

bool HasLine(const QStringList& lines, const QString& start, const QString& part) {
  for (const QString& line : lines) {
    if (line.startsWith(start) && line.contains(part)) return true;
  }
  return false;
}

}  // namespace

class TMainFormRunTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    const testsupport::TMariaDbEnv env = testsupport::MariaDbEnv();
    FDbPort = env.Port;  // `velmora` holds the sample database
  }
  void init() { FLogsBefore = LogFiles(); }
  void cleanup() { RemoveNewLogFiles(FLogsBefore); }

  // Two runs one after the other in one window, the platform emptied between
  // them: the view keeps both runs' lines, each run has its own log file
  // with exactly its lines, the prefix and geocoder reach the documents.
  void twoFullRuns() {
    TStandin standin;
    QVERIFY(standin.IsServing());
    TMainForm form;
    // A blank in front of the port is accepted.
    QVERIFY(ShowAimedAt(form, " " + QString::number(FDbPort), standin.Url()));
    TypeInto(Control<QLineEdit>(form, "legrobjprefix"), "-5");
    Control<QComboBox>(form, "cbScode")->setCurrentIndex(1);

    const QStringList first_lines = RunToEnd(form);
    QVERIFY(!first_lines.isEmpty());
    QCOMPARE(MemoLines(form), first_lines);
    QVERIFY(first_lines.contains(U(kSummaryTitle)));
    QVERIFY(HasLine(first_lines, "URI: restapi/objects/create-standalone/", "\"objPrefix\": -5,"));
    QVERIFY(HasLine(first_lines, "URI: restapi/objects/obj-card-save/", "\"scode\":\"GGL\""));
    QVERIFY(HasLine(first_lines, U("Количество экспортированных объектов: "), ""));

    standin.Reset();
    Control<QComboBox>(form, "cbScode")->setCurrentIndex(0);
    // Log file names carry the start time to the second.
    const qint64 first_second = QDateTime::currentSecsSinceEpoch();
    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentSecsSinceEpoch() != first_second, 2000);
    const QStringList second_lines = RunToEnd(form);
    QCOMPARE(MemoLines(form), first_lines + second_lines);
    QVERIFY(HasLine(second_lines, "URI: restapi/objects/obj-card-save/", "\"scode\":\"YDX\""));
    QCOMPARE(NewLogFiles(FLogsBefore).size(), 2);
  }

  // Stop while the guard group request is slow: the click returns only after
  // the run has ended; the run's lines kept arriving meanwhile, the summary
  // among them, and no object was sent.
  void stopDuringGuardStep() {
    TStandin standin({"--delay-ms", "2000", "--path", "restapi/guards/create-guard-group/"});
    QVERIFY(standin.IsServing());
    TMainForm form;
    QVERIFY(ShowAimedAt(form, QString::number(FDbPort), standin.Url()));
    QTest::mouseClick(Control<QPushButton>(form, "StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(
        !MemoLines(form).isEmpty() &&
            MemoLines(form).last().startsWith("URI: restapi/guards/create-guard-group/"),
        10000);
    const qsizetype before_stop = MemoLines(form).size();

    QTest::mouseClick(Control<QPushButton>(form, "BreakButton"), Qt::LeftButton);
    QVERIFY(IsIdle(form));
    QCOMPARE(Control<QProgressBar>(form, "ProgressBar")->value(), 0);
    const QStringList during_stop = MemoLinesFrom(form, before_stop);
    QVERIFY(during_stop.contains(U(kSummaryTitle)));
    QVERIFY(during_stop.contains(U("Количество экспортированных объектов: 0")));
    QVERIFY(!HasLine(MemoLines(form), "URI: restapi/objects/", ""));

    const QStringList created = NewLogFiles(FLogsBefore);
    QCOMPARE(created.size(), 1);
    bool well_formed = false;
    QCOMPARE(LogLines(created.first(), &well_formed), MemoLines(form));
    QVERIFY(well_formed);
  }

 private:
  // Starts a run and waits for the poll to end it; returns the lines the run
  // added to the view, after checking them against the run's new log file.
  QStringList RunToEnd(TMainForm& form) {
    const QStringList logs_before = LogFiles();
    const qsizetype shown_before = MemoLines(form).size();
    QTest::mouseClick(Control<QPushButton>(form, "StartButton"), Qt::LeftButton);
    if (form.ExportThread() == nullptr) {
      qWarning("no run was started");
      return {};
    }
    if (!QTest::qWaitFor(
            [&] { return form.ExportThread() == nullptr || form.ExportThread()->Finished(); },
            60000)) {
      qWarning("the run did not end");
      return {};
    }
    // The poll performs the stop at most one interval after the run's end.
    if (!QTest::qWaitFor([&] { return IsIdle(form); }, 2500)) {
      qWarning("the window did not return to Idle");
      return {};
    }
    if (Control<QProgressBar>(form, "ProgressBar")->value() != 0) return {};
    const QStringList created = NewLogFiles(logs_before);
    if (created.size() != 1) return {};
    bool well_formed = false;
    const QStringList entries = LogLines(created.first(), &well_formed);
    const QStringList added = MemoLinesFrom(form, shown_before);
    if (!well_formed || entries != added) {
      qWarning("the view and the log file differ");
      return {};
    }
    return added;
  }

  int FDbPort = 0;
  QStringList FLogsBefore;
};

QTEST_MAIN(TMainFormRunTest)
#include "main_form_run_test.moc"
