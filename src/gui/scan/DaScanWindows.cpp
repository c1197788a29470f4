#include "gui/scan/DaScanWindows.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/platform/QtText.h"

namespace {

QPointer<CDaScanGraphWindow>& LastGraphWindow() {
    static QPointer<CDaScanGraphWindow> window;
    return window;
}

// Points beyond this many are drawn as the line alone: markers would hide it.
constexpr size_t kMaxMarkers = 400;
// The scan's first and last voltages lie this far inside the frame, so that their points show.
constexpr int kInset = 8;

}  // namespace

// ---- Status -------------------------------------------------------------------------------------

CDaScanStatusWindow::CDaScanStatusWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("daScanStatus");
    setWindowTitle(CDaScan::kStatusTitle);
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(this);
    label->setObjectName("statusText");
    label->setMinimumWidth(
        label->fontMetrics().horizontalAdvance("Point 00000 of 00000 - -0.000 volts.") + 8);
    layout->addWidget(label);
}

void CDaScanStatusWindow::SetText(const QString& text) {
    label->setText(text);
}

QString CDaScanStatusWindow::Text() const {
    return label->text();
}

// ---- Graph --------------------------------------------------------------------------------------

CDaScanGraphWindow::CDaScanGraphWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("daScanGraph");
    setWindowTitle(CDaScanGraph::kTitle);
    setMinimumSize(320, 240);
    setAutoFillBackground(true);
}

void CDaScanGraphWindow::SetGraph(const CDaScanGraph& newGraph) {
    graph = newGraph;
    update();
}

void CDaScanGraphWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter, rect(), graph, palette());
}

void CDaScanGraphWindow::Draw(QPainter& painter, const QRect& area, const CDaScanGraph& graph,
                              const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, palette.color(QPalette::Base));
    const QColor ink = palette.color(QPalette::Text);
    const QColor grid = palette.color(QPalette::Mid);
    const QColor curve = palette.color(QPalette::Highlight);
    const QFontMetrics metrics(painter.font());
    const int line = metrics.height();

    const CGraphAxis x = graph.XAxis();
    const CGraphAxis y = graph.YAxis();
    // Room at the left for the widest value label and the vertical title; below for the
    // volts labels and the horizontal title.
    const int xTicks = std::max(2, area.width() / 90);
    const int yTicks = std::max(2, area.height() / 50);
    const auto yLabels = y.Ticks(yTicks);
    int labelWidth = 0;
    for (const auto& t : yLabels)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(ToQ(t.label)));
    const QRect plot(area.left() + line + labelWidth + 14, area.top() + line,
                     std::max(1, area.width() - (line + labelWidth + 14) - 2 * line),
                     std::max(1, area.height() - 3 * line - 14));

    auto px = [&](double volts) {
        return x.Map(volts, plot.left() + kInset, plot.right() - kInset);
    };
    auto py = [&](double value) { return y.Map(value, plot.bottom(), plot.top()); };

    painter.setPen(QPen(grid, 0, Qt::DotLine));
    for (const auto& t : x.Ticks(xTicks)) {
        painter.drawLine(QPointF(px(t.value), plot.top()), QPointF(px(t.value), plot.bottom()));
    }
    for (const auto& t : yLabels) {
        painter.drawLine(QPointF(plot.left(), py(t.value)), QPointF(plot.right(), py(t.value)));
    }

    painter.setPen(QPen(ink, 1));
    painter.drawRect(plot);
    for (const auto& t : x.Ticks(xTicks)) {
        const double at = px(t.value);
        painter.drawLine(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + 5));
        const QString label = ToQ(t.label);
        const int w = metrics.horizontalAdvance(label);
        painter.drawText(QPointF(at - w / 2.0, plot.bottom() + 6 + metrics.ascent()), label);
    }
    for (const auto& t : yLabels) {
        const double at = py(t.value);
        painter.drawLine(QPointF(plot.left() - 5, at), QPointF(plot.left(), at));
        const QString label = ToQ(t.label);
        const int w = metrics.horizontalAdvance(label);
        painter.drawText(QPointF(plot.left() - 8 - w, at + metrics.ascent() / 2.0 - 1), label);
    }
    const QString xTitle = ToQ(x.Title());
    painter.drawText(QPointF(plot.center().x() - metrics.horizontalAdvance(xTitle) / 2.0,
                             plot.bottom() + 8 + line + metrics.ascent()),
                     xTitle);
    const QString yTitle = ToQ(y.Title());
    painter.save();
    painter.translate(area.left() + 2 + metrics.ascent(),
                      plot.center().y() + metrics.horizontalAdvance(yTitle) / 2.0);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), yTitle);
    painter.restore();

    // The curve: the points of each pass joined in the order they were measured.
    const auto& points = graph.Points();
    painter.setClipRect(plot.adjusted(-4, -4, 4, 4));
    painter.setPen(QPen(curve, 1.5));
    QPainterPath path;
    int pass = -1;
    for (const auto& p : points) {
        const QPointF at(px(p.volts), py(p.value));
        if (p.pass != pass)
            path.moveTo(at);
        else
            path.lineTo(at);
        pass = p.pass;
    }
    painter.drawPath(path);
    if (points.size() <= kMaxMarkers) {
        painter.setBrush(curve);
        for (const auto& p : points)
            painter.drawEllipse(QPointF(px(p.volts), py(p.value)), 2.5, 2.5);
    }
    painter.restore();
}

// ---- Monitor ------------------------------------------------------------------------------------

CQtDaScanMonitor::CQtDaScanMonitor(QWidget* owner) : owner(owner) {}

CQtDaScanMonitor::~CQtDaScanMonitor() {
    End();
}

CDaScanGraphWindow* CQtDaScanMonitor::GraphWindow() {
    return LastGraphWindow().data();
}

void CQtDaScanMonitor::Begin(const CDaScanGraph& graph) {
    QPointer<CDaScanGraphWindow>& window = LastGraphWindow();
    if (!window) {
        window = new CDaScanGraphWindow(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->SetGraph(graph);
    window->show();
    window->raise();
    if (!status) {
        status = new CDaScanStatusWindow(owner);
        status->setAttribute(Qt::WA_DeleteOnClose);
    }
    status->show();
    status->raise();
}

void CQtDaScanMonitor::Status(const std::string& text) {
    if (!status) return;
    status->SetText(ToQ(text));
    // Between points nothing else may paint (an interval of 0 waits for nothing).
    status->repaint();
}

void CQtDaScanMonitor::GraphChanged(const CDaScanGraph& graph) {
    if (CDaScanGraphWindow* window = GraphWindow()) {
        window->SetGraph(graph);
        window->repaint();
    }
}

void CQtDaScanMonitor::End() {
    if (status) status->close();
    status = nullptr;
}
