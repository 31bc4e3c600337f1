#include "shell/plot/FitnessPlot.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPen>
#include <QValueAxis>
#include <cmath>
#include <limits>

#ifdef MORVANE2_HAVE_SVG
#include <QSvgGenerator>
#endif

namespace {
// What the plot draws of one column (best or mean fitness).
struct Metric {
  const char* column;
  const char* name;
  QColor colour;
};

const Metric kMetrics[] = {{"best", "best", QColor(200, 30, 30)}, {"mean", "mean", QColor(30, 60, 200)}};

// Colours of the files compared, in turn.
const QColor kPalette[] = {QColor(200, 30, 30), QColor(30, 60, 200),  QColor(20, 140, 60),
                           QColor(220, 130, 0), QColor(130, 40, 170), QColor(0, 150, 160),
                           QColor(90, 90, 90),  QColor(180, 60, 120)};

// Values a logarithmic axis cannot show are left out of the series.
bool Drawable(double value, bool logY) { return std::isfinite(value) && (!logY || value > 0.0); }

QLineSeries* Line(const QString& name, const QColor& colour, double width,
                  Qt::PenStyle style = Qt::SolidLine) {
  auto* series = new QLineSeries;
  series->setName(name);
  QPen pen(colour);
  pen.setWidthF(width);
  pen.setStyle(style);
  series->setPen(pen);
  return series;
}

void AddPoints(QLineSeries* series, const std::vector<double>& values, bool logY, double& low, double& high) {
  for (std::size_t g = 0; g < values.size(); ++g) {
    if (!Drawable(values[g], logY)) continue;
    series->append(static_cast<double>(g), values[g]);
    low = std::min(low, values[g]);
    high = std::max(high, values[g]);
  }
}

void HideFromLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
}

class ChartBuilder {
 public:
  ChartBuilder(QChart* chart, const PlotOptions& options) : chart(chart), options(options) {}

  // Every run of every file thin, the quartile band, the median bold.
  void AddRuns(const std::vector<PlotInput>& inputs, const Metric& metric) {
    std::vector<RunCurve> curves;
    int last = 0;
    for (const PlotInput& input : inputs) {
      for (RunCurve& curve : input.table.Curves(metric.column)) curves.push_back(std::move(curve));
      last = std::max(last, input.table.LastGeneration());
    }
    if (curves.empty()) return;
    QColor thin = metric.colour;
    thin.setAlpha(90);
    for (const RunCurve& curve : curves) {
      std::vector<double> values;
      for (int g = 0; g <= curve.Last(); ++g) values.push_back(g < curve.first ? std::nan("") : curve.At(g));
      QLineSeries* series = Line(QString(), thin, 1.0);
      AddPoints(series, values, options.logY, low, high);
      Attach(series);
      HideFromLegend(chart, series);
    }
    Spread spread = SpreadOf(curves, last);
    if (curves.size() > 1) {
      auto* lower = new QLineSeries;
      auto* upper = new QLineSeries;
      for (std::size_t g = 0; g < spread.median.size(); ++g) {
        if (!Drawable(spread.q1[g], options.logY) || !Drawable(spread.q3[g], options.logY)) continue;
        lower->append(static_cast<double>(g), spread.q1[g]);
        upper->append(static_cast<double>(g), spread.q3[g]);
      }
      auto* band = new QAreaSeries(upper, lower);
      // The band does not own its edges.
      upper->setParent(band);
      lower->setParent(band);
      band->setName(QString("%1, quartiles").arg(metric.name));
      QColor fill = metric.colour;
      fill.setAlpha(50);
      band->setBrush(fill);
      band->setPen(Qt::NoPen);
      Attach(band);
    }
    QString median = curves.size() > 1 ? QString("%1, median of %2 runs").arg(metric.name).arg(curves.size())
                                       : QString(metric.name);
    QLineSeries* series = Line(median, metric.colour, 3.0);
    AddPoints(series, spread.median, options.logY, low, high);
    Attach(series);
    lastGeneration = std::max(lastGeneration, last);
  }

  // The median of best (solid) and of mean (dashed) in one colour.
  void AddMedians(const PlotInput& input, const QColor& colour) {
    const GenerationTable& table = input.table;
    int last = table.LastGeneration();
    for (const Metric& metric : kMetrics) {
      std::vector<RunCurve> curves = table.Curves(metric.column);
      if (curves.empty()) continue;
      bool best = QString(metric.column) == "best";
      QLineSeries* series = Line(QString("%1: %2").arg(input.label, metric.name), colour, best ? 2.5 : 1.5,
                                 best ? Qt::SolidLine : Qt::DashLine);
      AddPoints(series, SpreadOf(curves, last).median, options.logY, low, high);
      Attach(series);
    }
    lastGeneration = std::max(lastGeneration, last);
  }

  void Finish() {
    auto* x = new QValueAxis;
    x->setTitleText("generation");
    x->setLabelFormat("%d");
    int last = std::max(lastGeneration, 1);
    x->setRange(0, last);
    // Whole generations on the ticks, at most ten intervals: 1, 2, 5, 10, 20, 50, ...
    int step = 1;
    for (int scale = 1; last / step > 10; scale *= 10) {
      for (int factor : {1, 2, 5}) {
        step = factor * scale;
        if (last / step <= 10) break;
      }
    }
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(step);
    chart->addAxis(x, Qt::AlignBottom);
    QAbstractAxis* y = nullptr;
    if (options.logY) {
      auto* axis = new QLogValueAxis;
      axis->setLabelFormat("%g");
      axis->setBase(10);
      if (high >= low) axis->setRange(low / 1.5, high * 1.5);
      y = axis;
    } else {
      auto* axis = new QValueAxis;
      axis->setLabelFormat("%g");
      if (high > low) {
        axis->setRange(low, high);
        axis->applyNiceNumbers();
      } else if (high == low) {
        axis->setRange(low - 1.0, high + 1.0);
      }
      y = axis;
    }
    y->setTitleText("fitness (lower is better)");
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
      series->attachAxis(x);
      series->attachAxis(y);
    }
  }

 private:
  void Attach(QAbstractSeries* series) { chart->addSeries(series); }

  QChart* chart;
  const PlotOptions& options;
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  int lastGeneration = 0;
};

bool Save(QChartView& view, const PlotOptions& options, QString& error) {
  if (options.output.endsWith(".svg", Qt::CaseInsensitive)) {
#ifdef MORVANE2_HAVE_SVG
    QSvgGenerator svg;
    svg.setFileName(options.output);
    svg.setSize(QSize(options.width, options.height));
    svg.setViewBox(QRect(0, 0, options.width, options.height));
    svg.setTitle(options.title);
    QPainter painter;
    if (!painter.begin(&svg)) {
      error = "can not write " + options.output;
      return false;
    }
    view.render(&painter);
    painter.end();
    return true;
#else
    error = "this build has no SVG output (install qt6-svg-dev and rebuild); write a .png file instead";
    return false;
#endif
  }
  if (!options.output.endsWith(".png", Qt::CaseInsensitive)) {
    error = "the output file must end in .png or .svg: " + options.output;
    return false;
  }
  QPixmap picture = view.grab();
  if (!picture.save(options.output, "PNG")) {
    error = "can not write " + options.output;
    return false;
  }
  return true;
}
}  // namespace

QString LabelOf(const QString& path) {
  QFileInfo info(path);
  QString folder = info.absoluteDir().dirName();
  return folder.isEmpty() ? info.fileName() : folder;
}

bool WriteFitnessPlot(const std::vector<PlotInput>& inputs, const PlotOptions& options, QString& error) {
  auto* chart = new QChart;
  chart->setTitle(options.title.isEmpty() ? QString("Fitness per generation") : options.title);
  chart->setAnimationOptions(QChart::NoAnimation);
  // A comparison's legend names a folder per line, at the right, where a
  // long name is not cut short.
  chart->legend()->setAlignment(options.compare ? Qt::AlignRight : Qt::AlignBottom);
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  ChartBuilder builder(chart, options);
  if (options.compare) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      builder.AddMedians(inputs[i], kPalette[i % (sizeof kPalette / sizeof kPalette[0])]);
    }
  } else {
    for (const Metric& metric : kMetrics) builder.AddRuns(inputs, metric);
  }
  builder.Finish();
  QChartView view(chart);
  view.setRenderHint(QPainter::Antialiasing);
  view.resize(options.width, options.height);
  return Save(view, options, error);
}
