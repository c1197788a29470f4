#pragma once
// A grabbed image on screen, pixel for pixel, with an optional cross marker. Clicks and
// movements are reported in image pixels (top-left origin).

#include <QImage>
#include <QWidget>
#include <optional>

#include "hw/Bmp.h"
#include "hw/fg/FgTypes.h"

// The image top row first, as Qt draws it: 8-bit images in grey (their palette applied),
// 24-bit ones in colour.
QImage ToQImage(const CBitmapImage& image);

class CImageView : public QWidget {
    Q_OBJECT
  public:
    explicit CImageView(QWidget* parent = nullptr);
    void SetImage(const CBitmapImage& image);
    void SetImage(QImage image);
    const QImage& Image() const { return image; }
    void SetMarker(std::optional<SPixel> marker);
    std::optional<SPixel> Marker() const { return marker; }
    // The image pixel under a widget position, inside the image.
    SPixel PixelAt(QPoint position) const;
    QSize sizeHint() const override;

  signals:
    void Clicked(SPixel pixel, Qt::KeyboardModifiers modifiers);
    void Moved(SPixel pixel);
    void RightDoubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QImage image;
    std::optional<SPixel> marker;
};
