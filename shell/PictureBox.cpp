#include "shell/PictureBox.h"

#include <QPainter>
#include <QPen>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

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

void PictureBox::FillRect(int x1, int y1, int x2, int y2) {
  EnsureImage();
  QPainter painter(&image);
  painter.setPen(pen);
  painter.setBrush(brush);
  painter.drawRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void PictureBox::Ellipse(int x1, int y1, int x2, int y2) {
  EnsureImage();
  QPainter painter(&image);
  painter.setPen(pen);
  painter.setBrush(brush);
  painter.drawEllipse(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void PictureBox::Polyline(const QVector<QPoint>& points) {
  EnsureImage();
  QPainter painter(&image);
  painter.setPen(pen);
  painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void PictureBox::Text(int x, int y, const QString& text) {
  EnsureImage();
  QPainter painter(&image);
  painter.setPen(pen);
  painter.drawText(x, y, text);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}
