// The room picture of the results page: a drawing surface of fixed pixel size
// with a pen and a brush, drawn into an image and shown on repaint. Marks may
// be held inside a clip rectangle; nothing is drawn outside the image.
#pragma once

#include <QColor>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QVector>
#include <QWidget>

class QPainter;

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);
  void SetPen(const QColor& color) { pen = color; }
  void SetBrush(const QColor& color) { brush = color; }
  // The pen's width in pixels (1 and below: the thinnest line) and whether
  // it draws dots instead of a solid line.
  void SetPenWidth(int width) { penWidth = width; }
  void SetDotted(bool on) { dotted = on; }
  // Later marks stay inside area; an empty area lifts the limit.
  void SetClip(const QRect& area) { clip = area; }
  // Both cover the pixels from (x1, y1) up to, not including, (x2, y2):
  // outline in the pen colour, filled with the brush colour.
  void FillRect(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Polyline(const QVector<QPoint>& points);
  // Filled with the brush colour, without outline.
  void Polygon(const QVector<QPoint>& points);
  // Text from its baseline's left end at (x, y).
  void Text(int x, int y, const QString& text);
  // Text centred vertically on y, starting at x (left), centred on it, or
  // ending at it (right).
  void Text(int x, int y, const QString& text, Qt::Alignment horizontal);
  // The width in pixels of text in the picture's font.
  int TextWidth(const QString& text) const;
  const QImage& Image() const { return image; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Keeps the image the size of the widget, also before it is first shown.
  void EnsureImage();
  // A painter on the image with the clip set.
  void Begin(QPainter& painter);
  QPen Pen() const;

  QImage image;
  QColor pen = Qt::black;
  QColor brush = Qt::white;
  int penWidth = 1;
  bool dotted = false;
  QRect clip;
};
