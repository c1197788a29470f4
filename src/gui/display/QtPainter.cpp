#include "gui/display/QtPainter.h"

#include <QImage>
#include <QPolygonF>
#include <cmath>

#include "gui/platform/QtText.h"

namespace {
QColor ToColor(SColor c) {
    return QColor(c.r, c.g, c.b, c.a);
}
bool Finite(SPointF p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
QPen PenOf(SColor c, double width) {
    QPen pen(ToColor(c), width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}
}  // namespace

void CQtPainter::Clear(SColor c) {
    const QRect all = painter.window();
    painter.fillRect(all, ToColor(c));
}

void CQtPainter::Line(SPointF a, SPointF b, SColor c, double width) {
    if (!Finite(a) || !Finite(b)) return;
    painter.setPen(PenOf(c, width));
    painter.drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
}

void CQtPainter::Polyline(const std::vector<SPointF>& points, SColor c, double width, bool closed) {
    QPolygonF polygon;
    for (const SPointF& p : points) {
        if (!Finite(p)) return;
        polygon << QPointF(p.x, p.y);
    }
    painter.setPen(PenOf(c, width));
    painter.setBrush(Qt::NoBrush);
    if (closed)
        painter.drawPolygon(polygon);
    else
        painter.drawPolyline(polygon);
}

void CQtPainter::Circle(SPointF centre, double radius, SColor c, double width,
                        std::optional<SColor> fill) {
    if (!Finite(centre) || !std::isfinite(radius)) return;
    painter.setPen(PenOf(c, width));
    painter.setBrush(fill ? QBrush(ToColor(*fill)) : QBrush(Qt::NoBrush));
    painter.drawEllipse(QPointF(centre.x, centre.y), radius, radius);
    painter.setBrush(Qt::NoBrush);
}

void CQtPainter::Text(SPointF at, const std::string& text, SColor c) {
    if (!Finite(at)) return;
    painter.setPen(ToColor(c));
    const QFontMetrics metrics = painter.fontMetrics();
    painter.drawText(QPointF(at.x, at.y + metrics.ascent()), ToQ(text));
}

void CQtPainter::Image(const SRgbaImage& image, SPointF topLeft, double sx, double sy) {
    if (!image.IsValid() || !Finite(topLeft) || !std::isfinite(sx) || !std::isfinite(sy)) return;
    const QImage picture(image.pixels.data(), image.width, image.height, image.width * 4,
                         QImage::Format_RGBA8888);
    painter.save();
    painter.translate(topLeft.x, topLeft.y);
    painter.scale(sx, sy);
    painter.drawImage(QPointF(0, 0), picture);
    painter.restore();
}

int CQtPainter::LineHeight() const {
    return painter.fontMetrics().height();
}
