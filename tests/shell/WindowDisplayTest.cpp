// What the results page shows while a run goes on (status line, chart, the
// Animate switch), where the new controls sit, and how soon a run stops:
// Terminate, a page change and closing the window during a huge generation.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStyle>
#include <QTabWidget>
#include <QValueAxis>

#include "WindowTestSupport.h"
#include "shell/PictureBox.h"

using namespace windowtest;

namespace {
void SetAnimate(TForm1& window, bool animate) { Find<QCheckBox>(window, "CheckBox_animate")->setChecked(animate); }

QValueAxis* AxisX(TForm1& window) {
  return qobject_cast<QValueAxis*>(Find<QChartView>(window, "Chart1")->chart()->axes(Qt::Horizontal).at(0));
}

int CountPixels(const QImage& image, const QColor& color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == color;
  }
  return count;
}

// Starts a run of population 200 000 with Animate off, and waits until the
// run thread is well into making that first generation.
void StartHugeRun(TForm1& window) {
  SetAnimate(window, false);
  QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
  QTest::qWait(300);
  QCOMPARE(window.GetRunState(), int(TForm1::kRunning));
}

// Milliseconds from now until the run has ended (at most timeout).
qint64 MillisecondsToEnd(TForm1& window, const std::function<void()>& stop, int timeout = 120000) {
  QSignalSpy finished(&window, &TForm1::RunFinished);
  QElapsedTimer clock;
  clock.start();
  stop();
  if (finished.count() == 0 && !finished.wait(timeout)) return -1;
  return clock.elapsed();
}

}  // namespace

class WindowDisplayTest : public QObject {
  Q_OBJECT

 private slots:
  void StartClearsMemoChartAndPictureAtOnce() {
    WorkingFolder work("window-clear");
    CopyBoxMoving(work, {{"max_generation", "1"}});
    TForm1 window;
    SetAnimate(window, false);
    QVERIFY(StartAndWait(window));
    QVERIFY(!window.MemoText().isEmpty());
    QVERIFY(CountPixels(window.Picture()->Image(), Qt::black) > 0);

    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    // Nothing of the new run can be shown before the event loop runs again.
    QVERIFY(window.MemoText().isEmpty());
    QCOMPARE(Find<QPlainTextEdit>(window, "Memo1")->toPlainText(), QString());
    QCOMPARE(Series(window, "Series1")->count(), 0);
    QCOMPARE(Series(window, "Series2")->count(), 0);
    const QImage& image = window.Picture()->Image();
    QCOMPARE(CountPixels(image, Qt::white), image.width() * image.height());
    QVERIFY(finished.wait(60000));
  }

  void StatusLineShowsStateGenerationBestAndTime() {
    WorkingFolder work("window-status");
    CopyBoxMoving(work, {{"max_generation", "3"}});
    TForm1 window;
    QCOMPARE(window.StatusText(), QString("Idle"));
    SetAnimate(window, false);
    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QVERIFY2(window.StatusText().startsWith(QString::fromUtf8("Running  \u00b7  generation 0 of 3  \u00b7  0.")),
             qPrintable(window.StatusText()));
    QVERIFY(finished.wait(60000));
    double best = Series(window, "Series1")->at(0).y();
    for (int i = 1; i < Series(window, "Series1")->count(); ++i) best = std::min(best, Series(window, "Series1")->at(i).y());
    QRegularExpression line(QString::fromUtf8("^Finished  \u00b7  generation 3 of 3  \u00b7  best so far (\\S+)  \u00b7  "
                                              "\\d+\\.\\d s$"));
    QRegularExpressionMatch match = line.match(window.StatusText());
    QVERIFY2(match.hasMatch(), qPrintable(window.StatusText()));
    QCOMPARE(match.captured(1).toDouble(), QString::number(best, 'g', 6).toDouble());

    Edit(window, "Edit_max_generation")->setText("1000");
    QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QTest::qWait(100);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QVERIFY(window.StatusText().startsWith("Suspended"));
    QVERIFY(window.StatusText().contains("of 1000"));
    QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton);
    QVERIFY(window.StatusText().startsWith("Stopping"));
    QVERIFY(finished.wait(60000));
    QVERIFY(window.StatusText().startsWith("Terminated"));
  }

  void LonePointIsVisibleAndTheAxisCountsWholeGenerations() {
    WorkingFolder work("window-chart");
    CopyBoxMoving(work, {{"max_generation", "0"}});
    TForm1 window;
    SetAnimate(window, false);
    QVERIFY(StartAndWait(window));
    QCOMPARE(Series(window, "Series1")->count(), 1);
    QVERIFY(Series(window, "Series1")->pointsVisible());
    QVERIFY(Series(window, "Series2")->pointsVisible());
    QValueAxis* axis = AxisX(window);
    QCOMPARE(axis->tickType(), QValueAxis::TicksDynamic);
    QCOMPARE(axis->min(), 0.0);
    QCOMPARE(axis->max(), 1.0);
    QCOMPARE(axis->tickInterval(), 1.0);

    for (auto [generations, interval] : {std::pair{3, 1.0}, std::pair{7, 2.0}, std::pair{50, 10.0}}) {
      Edit(window, "Edit_max_generation")->setText(QString::number(generations));
      QTest::mouseClick(Button(window, "Button3"), Qt::LeftButton);
      QVERIFY(StartAndWait(window));
      QVERIFY(!Series(window, "Series1")->pointsVisible());
      QCOMPARE(axis->max(), double(generations));
      QCOMPARE(axis->tickInterval(), interval);
    }
  }

  void CheckListItemsAreReadableInFull() {
    WorkingFolder work("window-lists");
    CopyBoxMoving(work);
    TForm1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const char* name : {"CheckListBox1", "CheckListBox2", "CheckListBox3"}) {
      auto* list = Find<QListWidget>(window, name);
      QFontMetrics metrics(list->font());
      int indicator = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list) +
                      2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 4;
      for (int i = 0; i < list->count(); ++i) {
        QString text = list->item(i)->text().trimmed();
        QCOMPARE(list->item(i)->toolTip(), text);
        QVERIFY2(indicator + metrics.horizontalAdvance(text) <= list->viewport()->width(), qPrintable(text));
      }
    }
  }

  // New controls sit in free space; the specified ones keep their places.
  void NewControlsLeaveTheSpecifiedOnesInPlace() {
    WorkingFolder work("window-layout");
    CopyBoxMoving(work);
    TForm1 window;
    const std::pair<const char*, QRect> specified[] = {
        {"Image1", {8, 16, 353, 353}},    {"Chart1", {368, 16, 257, 161}}, {"Button1", {408, 184, 75, 25}},
        {"Button2", {504, 184, 75, 25}}, {"Memo1", {368, 216, 257, 153}}, {"Button3", {256, 344, 75, 25}},
        {"CheckListBox1", {16, 56, 121, 169}}, {"CheckListBox3", {144, 56, 121, 169}},
        {"Edit_energy", {80, 270, 73, 20}},
    };
    for (const auto& [name, place] : specified) QCOMPARE(Find<QWidget>(window, name)->geometry(), place);
    for (const char* added : {"Label_status", "CheckBox_animate", "Label_files"}) {
      QWidget* control = Find<QWidget>(window, added);
      QWidget* page = control->parentWidget();
      QVERIFY(QRect(QPoint(0, 0), page->size()).contains(control->geometry()));
      for (QWidget* other : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == control || !other->isVisibleTo(page)) continue;
        QVERIFY2(!other->geometry().intersects(control->geometry()),
                 qPrintable(QString("%1 overlaps %2").arg(added, other->objectName())));
      }
    }
    QCOMPARE(Find<QCheckBox>(window, "CheckBox_animate")->text(), QString("Animate"));
    QVERIFY(Find<QCheckBox>(window, "CheckBox_animate")->isChecked());
  }

  // Without waiting for each generation's animation the default run is at
  // least ten times faster, and the picture still ends on its last best.
  void AnimateOffRunsTenTimesFaster() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizers slow the engine, not the animation's clock: no measure of the switch");
#endif
    WorkingFolder work("window-animate");
    CopyBoxMoving(work);
    TForm1 window;
    SetAnimate(window, false);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(StartAndWait(window));
    qint64 fast = clock.elapsed();
    QVERIFY(window.MemoText().startsWith("[generation:50]\r\n"));
    QVERIFY(CountPixels(window.Picture()->Image(), Qt::red) > 0);

    SetAnimate(window, true);
    QSignalSpy finished(&window, &TForm1::RunFinished);
    QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    QVERIFY2(!finished.wait(static_cast<int>(10 * fast)),
             qPrintable(QString("animated run within ten times %1 ms").arg(fast)));
    QVERIFY(Series(window, "Series1")->count() < 51);
    QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
  }

  void TerminateDuringAHugeGenerationTakesEffectWithinHalfASecond() {
    WorkingFolder work("window-stop");
    CopyBoxMoving(work, {{"population_size", "200000"}});
    TForm1 window;
    StartHugeRun(window);
    qint64 took = MillisecondsToEnd(window, [&] { QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton); });
    QVERIFY2(took >= 0 && took <= 500, qPrintable(QString("%1 ms").arg(took)));
  }

  void PageChangeDuringAHugeGenerationTakesEffectWithinHalfASecond() {
    WorkingFolder work("window-page");
    CopyBoxMoving(work, {{"population_size", "200000"}});
    TForm1 window;
    Find<QTabWidget>(window, "PageControl1")->setCurrentIndex(1);
    StartHugeRun(window);
    qint64 took =
        MillisecondsToEnd(window, [&] { Find<QTabWidget>(window, "PageControl1")->setCurrentIndex(0); });
    QVERIFY2(took >= 0 && took <= 500, qPrintable(QString("%1 ms").arg(took)));
  }

  void ClosingTheWindowDuringAHugeGenerationEndsTheProcessWithinASecond() {
    WorkingFolder work("window-close");
    CopyBoxMoving(work, {{"population_size", "200000"}});
    QProcess probe;
    probe.setWorkingDirectory(QString::fromStdString(work.Path().string()));
    probe.start(MORVANE2_WINDOW_PROBE, {"400"});
    QVERIFY(probe.waitForStarted());
    QElapsedTimer clock;
    while (!probe.canReadLine()) QVERIFY(probe.waitForReadyRead(60000));
    clock.start();
    QCOMPARE(probe.readLine(), QByteArray("closing\n"));
    QVERIFY(probe.waitForFinished(10000));
    qint64 took = clock.elapsed();
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    QVERIFY2(took <= 1000, qPrintable(QString("%1 ms").arg(took)));
  }
};

QTEST_MAIN(WindowDisplayTest)
#include "WindowDisplayTest.moc"
