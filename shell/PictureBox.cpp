#include "shell/PictureBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  QFont small = font();
  small.setPixelSize(11);
  setFont(small);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  EnsureImage();
}

void PictureBox::EnsureImage() {
  if (image.size() != size()) {
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(Qt::white);
    QPainter painter(&resized);
    painter.drawImage(0, 0, image);
    image = resized;
  }
}

void PictureBox::Begin(QPainter& painter) {
  if (!clip.isEmpty()) painter.setClipRect(clip);
}

QPen PictureBox::Pen() const {
  QPen line(pen);
  if (penWidth > 1) line.setWidth(penWidth);
  if (dotted) line.setStyle(Qt::DotLine);
  return line;
}

namespace {
// The pixels from corner (x1, y1) up to, not including, corner (x2, y2), in
// either order; empty when the corners share a row or a column.
QRect Covered(int x1, int y1, int x2, int y2) {
  int left = std::min(x1, x2);
  int top = std::min(y1, y2);
  return QRect(left, top, std::max(x1, x2) - left, std::max(y1, y2) - top);
}
}  // namespace

void PictureBox::FillRect(int x1, int y1, int x2, int y2) {
  EnsureImage();
  QRect area = Covered(x1, y1, x2, y2);
  if (area.isEmpty()) return;
  QPainter painter(&image);
  Begin(painter);
  painter.fillRect(area, brush);
  // A stroked rectangle covers its size plus the one-pixel pen.
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void PictureBox::Ellipse(int x1, int y1, int x2, int y2) {
  EnsureImage();
  QRect area = Covered(x1, y1, x2, y2);
  if (area.isEmpty()) return;
  QPainter painter(&image);
  Begin(painter);
  painter.setPen(pen);
  painter.setBrush(brush);
  painter.drawEllipse(area.adjusted(0, 0, -1, -1));
}

void PictureBox::Polyline(const QVector<QPoint>& points) {
  EnsureImage();
  QPainter painter(&image);
  Begin(painter);
  painter.setPen(Pen());
  painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void PictureBox::Polygon(const QVector<QPoint>& points) {
  EnsureImage();
  QPainter painter(&image);
  Begin(painter);
  painter.setPen(Qt::NoPen);
  painter.setBrush(brush);
  painter.drawPolygon(points.data(), static_cast<int>(points.size()));
}

void PictureBox::Text(int x, int y, const QString& text) {
  EnsureImage();
  QPainter painter(&image);
  Begin(painter);
  painter.setPen(pen);
  painter.drawText(x, y, text);
}

void PictureBox::Text(int x, int y, const QString& text, Qt::Alignment horizontal) {
  EnsureImage();
  QPainter painter(&image);
  Begin(painter);
  painter.setFont(font());
  painter.setPen(pen);
  int height = QFontMetrics(font()).height();
  int width = TextWidth(text);
  int left = x;
  if (horizontal & Qt::AlignHCenter) left = x - width / 2;
  if (horizontal & Qt::AlignRight) left = x - width;
  painter.drawText(QRect(left, y - height / 2, width + 1, height), Qt::AlignLeft | Qt::AlignVCenter, text);
}

int PictureBox::TextWidth(const QString& text) const { return QFontMetrics(font()).horizontalAdvance(text); }

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}
