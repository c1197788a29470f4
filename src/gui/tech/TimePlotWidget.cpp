#include "gui/tech/TimePlotWidget.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "gui/platform/QtText.h"
#include "platform/Clock.h"
#include "scan/DaScanGraph.h"

namespace {

// Colours that stay apart on a light and on a dark background.
const QColor kColours[] = {QColor(31, 119, 180),  QColor(214, 39, 40),   QColor(44, 160, 44),
                           QColor(255, 127, 14),  QColor(148, 103, 189), QColor(140, 86, 75),
                           QColor(227, 119, 194), QColor(23, 190, 207)};

// Draws the decimated series in `band` with y from `low` to `high`.
void DrawSeries(QPainter& painter, const QRect& band, const CPlotTrace& trace, int component,
                double t0, double t1, double low, double high, const QColor& colour) {
    const int columns = std::max(1, band.width());
    const std::vector<SPlotColumn> cols = DecimateTrace(trace, component, t0, t1, columns);
    const double span = high - low;
    auto py = [&](double v) {
        double y = band.bottom() - (v - low) / span * band.height();
        return std::clamp(y, band.top() - 2.0, band.bottom() + 2.0);
    };
    // One polyline through each column's first, extremes and last value; drawn without
    // antialiasing, which costs several times more on a line that zigzags every pixel.
    std::vector<QPointF> line;
    line.reserve(static_cast<size_t>(columns) * 4);
    for (int c = 0; c < columns; ++c) {
        const SPlotColumn& col = cols[static_cast<size_t>(c)];
        if (!col.used) continue;
        const double x = band.left() + c + 0.5;
        line.emplace_back(x, py(col.first));
        if (col.minimum != col.maximum) {
            line.emplace_back(x, py(col.minimum));
            line.emplace_back(x, py(col.maximum));
        }
        line.emplace_back(x, py(col.last));
    }
    // A one-pixel pen takes the raster engine's fast path for thin lines.
    painter.setPen(QPen(colour, 1));
    painter.drawPolyline(line.data(), static_cast<int>(line.size()));
}

}  // namespace

CTimePlotWidget::CTimePlotWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("timePlot");
    setMinimumSize(320, 160);
}

void CTimePlotWidget::SetPlot(const SWatchTimePlot* p) {
    plot = p;
    update();
}

void CTimePlotWidget::SetClockTime(bool on) {
    clockTime = on;
    update();
}

QColor CTimePlotWidget::SeriesColour(size_t i) {
    return kColours[i % (sizeof kColours / sizeof kColours[0])];
}

void CTimePlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!plot) {
        painter.fillRect(rect(), palette().color(QPalette::Base));
        return;
    }
    Draw(painter, rect(), *plot, WatchNow(), clockTime, palette());
}

void CTimePlotWidget::Draw(QPainter& painter, const QRect& area, const SWatchTimePlot& plot,
                           double now, bool clockTime, const QPalette& palette) {
    painter.save();
    painter.fillRect(area, palette.color(QPalette::Base));
    const QColor ink = palette.color(QPalette::Text);
    const QColor grid = palette.color(QPalette::Mid);
    const QFontMetrics metrics(painter.font());
    const int line = metrics.height();

    // The window shown: the span up to now (or up to the newest point, if later).
    double t1 = now;
    for (const CPlotTrace& t : plot.traces)
        if (t.Size()) t1 = std::max(t1, t.Points().back().time);
    const double span = plot.span.Seconds();
    double t0 = t1 - span;
    // Until a whole span has passed the plot fills from the left, as a strip chart does.
    if (t0 < plot.startTime) {
        t0 = plot.startTime;
        t1 = t0 + span;
    }

    const double low = plot.Low(), high = plot.High();
    const size_t bands = plot.split ? std::max<size_t>(1, plot.series.size()) : 1;
    const CGraphAxis y(low, high, plot.unit);
    const int yTicks = std::max(2, area.height() / static_cast<int>(50 * bands));
    const auto yLabels = y.Ticks(yTicks);
    int labelWidth = 0;
    for (const auto& t : yLabels)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(ToQ(t.label)));
    const QRect frame(area.left() + line + labelWidth + 14, area.top() + line,
                      std::max(1, area.width() - (line + labelWidth + 14) - line),
                      std::max(1, area.height() - 3 * line - 14));

    // The x axis: seconds since the window opened, or the clock time.
    const CGraphAxis x(t0 - plot.startTime, t1 - plot.startTime,
                       clockTime ? "Time (clock)" : "Time (s)");
    const int xTicks = std::max(2, frame.width() / 90);
    auto px = [&](double rel) { return x.Map(rel, frame.left(), frame.right()); };
    painter.setPen(QPen(ink, 1));
    painter.drawRect(frame);
    for (const auto& t : x.Ticks(xTicks)) {
        const double at = px(t.value);
        painter.setPen(QPen(grid, 0, Qt::DotLine));
        painter.drawLine(QPointF(at, frame.top()), QPointF(at, frame.bottom()));
        painter.setPen(QPen(ink, 1));
        painter.drawLine(QPointF(at, frame.bottom()), QPointF(at, frame.bottom() + 5));
        QString label = ToQ(t.label);
        if (clockTime) {
            const double abs = plot.startTime + t.value;
            label = ToQ(CClock::FormatLocal(static_cast<int64_t>(std::floor(abs)), "%H:%M:%S"));
        }
        const int w = metrics.horizontalAdvance(label);
        painter.drawText(QPointF(at - w / 2.0, frame.bottom() + 6 + metrics.ascent()), label);
    }
    const QString xTitle = ToQ(x.Title());
    painter.drawText(QPointF(frame.center().x() - metrics.horizontalAdvance(xTitle) / 2.0,
                             frame.bottom() + 8 + line + metrics.ascent()),
                     xTitle);

    for (size_t b = 0; b < bands; ++b) {
        const int top = frame.top() + static_cast<int>(b * frame.height() / bands);
        const int bottom = frame.top() + static_cast<int>((b + 1) * frame.height() / bands);
        const QRect band(frame.left(), top, frame.width(), std::max(1, bottom - top));
        if (b > 0) {
            painter.setPen(QPen(ink, 1));
            painter.drawLine(band.topLeft(), band.topRight());
        }
        for (const auto& t : yLabels) {
            // The top label of a lower band would sit on the bottom label of the one above.
            if (b > 0 && t.value >= high) continue;
            const double at = y.Map(t.value, band.bottom(), band.top());
            painter.setPen(QPen(grid, 0, Qt::DotLine));
            painter.drawLine(QPointF(band.left(), at), QPointF(band.right(), at));
            painter.setPen(QPen(ink, 1));
            painter.drawLine(QPointF(band.left() - 5, at), QPointF(band.left(), at));
            const QString label = ToQ(t.label);
            painter.drawText(QPointF(band.left() - 8 - metrics.horizontalAdvance(label),
                                     at + metrics.ascent() / 2.0 - 1),
                             label);
        }
    }
    const QString yTitle = ToQ(y.Title());
    painter.save();
    painter.translate(area.left() + 2 + metrics.ascent(),
                      frame.center().y() + metrics.horizontalAdvance(yTitle) / 2.0);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), yTitle);
    painter.restore();

    painter.save();
    painter.setClipRect(frame.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (size_t i = 0; i < plot.series.size(); ++i) {
        const SPlotSeries& s = plot.series[i];
        if (s.trace >= plot.traces.size()) continue;
        QRect band = frame;
        if (plot.split) {
            const int top = frame.top() + static_cast<int>(i * frame.height() / bands);
            const int bottom = frame.top() + static_cast<int>((i + 1) * frame.height() / bands);
            band = QRect(frame.left(), top, frame.width(), std::max(1, bottom - top));
        }
        DrawSeries(painter, band, plot.traces[s.trace], s.component, t0, t1, low, high,
                   SeriesColour(i));
    }
    painter.restore();

    // The legend, top right inside the frame.
    int legendWidth = 0;
    for (const SPlotSeries& s : plot.series)
        legendWidth = std::max(legendWidth, metrics.horizontalAdvance(ToQ(s.name)));
    if (!plot.series.empty()) {
        const int w = legendWidth + 30, h = static_cast<int>(plot.series.size()) * line + 6;
        const QRect box(frame.right() - w - 4, frame.top() + 4, w, h);
        QColor back = palette.color(QPalette::Base);
        back.setAlpha(220);
        painter.fillRect(box, back);
        painter.setPen(QPen(grid, 1));
        painter.drawRect(box);
        for (size_t i = 0; i < plot.series.size(); ++i) {
            const int yLine = box.top() + 3 + static_cast<int>(i) * line + line / 2;
            painter.setPen(QPen(SeriesColour(i), 2));
            painter.drawLine(box.left() + 4, yLine, box.left() + 20, yLine);
            painter.setPen(QPen(ink, 1));
            painter.drawText(QPointF(box.left() + 24, yLine + metrics.ascent() / 2.0 - 1),
                             ToQ(plot.series[i].name));
        }
    }
    painter.restore();
}
