#include "shell/PictureCanvas.h"

#include <QColor>
#include <QPoint>
#include <QVector>

#include "foundation/Numeric.h"
#include "shell/PictureBox.h"

namespace {
QColor ToQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }
}  // namespace

PictureCanvas::PictureCanvas(PictureBox* picture, PictureSpace space, bool withLegend)
    : picture(picture), space(space), withLegend(withLegend) {}

int PictureCanvas::AreaHeight() const {
  int height = picture->height() - (withLegend ? kLegendHeight : 0);
  return height > 0 ? height : 0;
}

int PictureCanvas::PixelX(double x) const {
  return TruncToInt((x / space.width + 0.5) * static_cast<double>(picture->width()));
}

int PictureCanvas::PixelY(double y) const {
  return TruncToInt((y / space.height + 0.5) * static_cast<double>(AreaHeight()));
}

void PictureCanvas::Clear() {
  picture->SetClip(QRect());
  picture->SetPen(Qt::white);
  picture->SetBrush(Qt::white);
  picture->FillRect(0, 0, picture->width(), picture->height());
  picture->SetClip(QRect(0, 0, picture->width(), AreaHeight()));
}

void PictureCanvas::SetStroke(Stroke stroke) {
  picture->SetPenWidth(stroke == Stroke::Thin ? 1 : 2);
  picture->SetDotted(stroke == Stroke::Dotted);
}

void PictureCanvas::Rect(double x1, double y1, double x2, double y2, Rgb fill, Rgb outline) {
  picture->SetPen(ToQColor(outline));
  picture->SetBrush(ToQColor(fill));
  picture->FillRect(PixelX(x1), PixelY(y1), PixelX(x2), PixelY(y2));
}

void PictureCanvas::Ellipse(double x1, double y1, double x2, double y2, Rgb fill, Rgb outline) {
  picture->SetPen(ToQColor(outline));
  picture->SetBrush(ToQColor(fill));
  picture->Ellipse(PixelX(x1), PixelY(y1), PixelX(x2), PixelY(y2));
}

void PictureCanvas::Dot(double x, double y, int size, Rgb colour) {
  picture->SetPen(ToQColor(colour));
  picture->SetBrush(ToQColor(colour));
  int px = PixelX(x);
  int py = PixelY(y);
  picture->Ellipse(px, py, px + size, py + size);
}

void PictureCanvas::Polyline(const std::vector<CanvasPoint>& points, Rgb colour, Stroke stroke) {
  QVector<QPoint> pixels;
  for (const CanvasPoint& p : points) pixels.append(QPoint(PixelX(p.x), PixelY(p.y)));
  picture->SetPen(ToQColor(colour));
  SetStroke(stroke);
  picture->Polyline(pixels);
  SetStroke(Stroke::Thin);
}

void PictureCanvas::Polygon(const std::vector<CanvasPoint>& points, Rgb fill) {
  QVector<QPoint> pixels;
  for (const CanvasPoint& p : points) pixels.append(QPoint(PixelX(p.x), PixelY(p.y)));
  picture->SetBrush(ToQColor(fill));
  picture->Polygon(pixels);
}

void PictureCanvas::Text(double x, double y, const std::string& text, Rgb colour, TextAnchor anchor) {
  picture->SetPen(ToQColor(colour));
  Qt::Alignment alignment = anchor == TextAnchor::Left    ? Qt::AlignLeft
                            : anchor == TextAnchor::Right ? Qt::AlignRight
                                                          : Qt::AlignHCenter;
  picture->Text(PixelX(x), PixelY(y), QString::fromStdString(text), alignment);
}

void PictureCanvas::DrawLegend(const std::vector<LegendEntry>& legend) {
  if (!withLegend) return;
  int top = AreaHeight();
  picture->SetClip(QRect(0, top, picture->width(), picture->height() - top));
  picture->SetPen(QColor(Qt::gray));
  picture->Polyline({QPoint(0, top), QPoint(picture->width(), top)});
  int middle = top + kLegendHeight / 2;
  int x = 4;
  for (const LegendEntry& entry : legend) {
    QColor colour = ToQColor(entry.colour);
    picture->SetPen(colour);
    picture->SetBrush(colour);
    switch (entry.mark) {
      case LegendEntry::Mark::Box:
        picture->FillRect(x, middle - 4, x + 10, middle + 5);
        break;
      case LegendEntry::Mark::Dot:
        picture->Ellipse(x + 1, middle - 4, x + 10, middle + 5);
        break;
      case LegendEntry::Mark::Line:
        picture->SetPenWidth(2);
        picture->Polyline({QPoint(x, middle), QPoint(x + 10, middle)});
        picture->SetPenWidth(1);
        break;
      case LegendEntry::Mark::None:
        break;
    }
    if (entry.mark != LegendEntry::Mark::None) x += 13;
    QString text = QString::fromStdString(entry.text);
    picture->SetPen(QColor(Qt::black));
    picture->Text(x, middle, text, Qt::AlignLeft);
    x += picture->TextWidth(text) + 10;
  }
  picture->SetClip(QRect(0, 0, picture->width(), top));
}

void DrawStillPicture(PictureCanvas& canvas, const Recording& recording) {
  canvas.Clear();
  recording.DrawStill(canvas);
  canvas.DrawLegend(recording.Legend());
}
