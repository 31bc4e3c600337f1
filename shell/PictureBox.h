// The room picture of the results page: a drawing surface of fixed pixel size
// with a pen and a brush, drawn into an image and shown on repaint.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QVector>
#include <QWidget>

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);
  void SetPen(const QColor& color) { pen = color; }
  void SetBrush(const QColor& color) { brush = color; }
  // Both cover the pixels from (x1, y1) up to, not including, (x2, y2):
  // outline in the pen colour, filled with the brush colour.
  void FillRect(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Polyline(const QVector<QPoint>& points);
  void Text(int x, int y, const QString& text);
  const QImage& Image() const { return image; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Keeps the image the size of the widget, also before it is first shown.
  void EnsureImage();

  QImage image;
  QColor pen = Qt::black;
  QColor brush = Qt::white;
};
