#include "gui/hw/ImageView.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

QImage ToQImage(const CBitmapImage& bitmap) {
    if (!bitmap.IsValid()) return QImage();
    const bool grey = bitmap.bitsPerPixel == 8;
    QImage out(bitmap.width, bitmap.height, grey ? QImage::Format_Indexed8 : QImage::Format_RGB888);
    if (grey) {
        QList<QRgb> table(256);
        for (int i = 0; i < 256; ++i) {
            const uint32_t rgb = static_cast<size_t>(i) < bitmap.palette.size()
                                     ? bitmap.palette[i]
                                     : static_cast<uint32_t>(i) * 0x010101u;
            table[i] = qRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        }
        out.setColorTable(table);
    }
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* src = bitmap.Row(bitmap.height - 1 - y);
        uchar* dst = out.scanLine(y);
        if (grey) {
            std::memcpy(dst, src, bitmap.RowBytes());
        } else {
            for (int x = 0; x < bitmap.width; ++x) {  // blue, green, red -> red, green, blue
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        }
    }
    return out;
}

CImageView::CImageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

void CImageView::SetImage(const CBitmapImage& bitmap) {
    SetImage(ToQImage(bitmap));
}

void CImageView::SetImage(QImage newImage) {
    const bool resized = newImage.size() != image.size();
    image = std::move(newImage);
    if (resized) updateGeometry();
    update();
}

void CImageView::SetMarker(std::optional<SPixel> newMarker) {
    marker = newMarker;
    update();
}

QSize CImageView::sizeHint() const {
    return image.isNull() ? QSize(320, 240) : image.size();
}

SPixel CImageView::PixelAt(QPoint position) const {
    const int w = std::max(image.width(), 1), h = std::max(image.height(), 1);
    return {std::clamp(position.x(), 0, w - 1), std::clamp(position.y(), 0, h - 1)};
}

void CImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!image.isNull()) painter.drawImage(0, 0, image);
    if (marker) {
        painter.setPen(QPen(Qt::red, 1));
        painter.drawLine(marker->x - 8, marker->y, marker->x + 8, marker->y);
        painter.drawLine(marker->x, marker->y - 8, marker->x, marker->y + 8);
    }
}

void CImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit Clicked(PixelAt(event->position().toPoint()), event->modifiers());
}

void CImageView::mouseMoveEvent(QMouseEvent* event) {
    emit Moved(PixelAt(event->position().toPoint()));
}

void CImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) emit RightDoubleClicked();
}
