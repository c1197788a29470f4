#include "gui/scan/ScanDocWindow.h"

#include <QAction>
#include <QPainter>
#include <QPainterPath>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/app/MainWindow.h"
#include "gui/obs/ObsView.h"
#include "gui/platform/QtText.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"

namespace {

QColor ToQColor(const SRgb& c) {
    return QColor(c.r, c.g, c.b);
}

// Stage coordinates to pixels: one scale for both axes (a square of the stage stays square),
// Y upward, the map's view box centred in `area`.
class CStageToPixels {
  public:
    CStageToPixels(const SScanMap& map, const QRectF& area) {
        const double w = std::max(map.viewRight - map.viewLeft, 1e-9);
        const double h = std::max(map.viewTop - map.viewBottom, 1e-9);
        scale = std::min(area.width() / w, area.height() / h);
        x0 = area.left() + (area.width() - w * scale) / 2 - map.viewLeft * scale;
        y0 = area.top() + (area.height() - h * scale) / 2 + map.viewTop * scale;
    }
    QPointF operator()(double x, double y) const { return {x0 + x * scale, y0 - y * scale}; }
    QPointF operator()(const SMapPoint& p) const { return (*this)(p.x, p.y); }

  private:
    double scale = 1.0, x0 = 0.0, y0 = 0.0;
};

void DrawArrow(QPainter& painter, const QPointF& tail, const QPointF& head) {
    painter.drawEllipse(tail, 1.5, 1.5);
    const QLineF line(tail, head);
    if (line.length() < 1.0) return;
    painter.drawLine(line);
    const double headLength = std::min(8.0, line.length() * 0.35);
    const double angle = std::atan2(-(head.y() - tail.y()), head.x() - tail.x());
    QPainterPath tip;
    tip.moveTo(head);
    for (double side : {0.45, -0.45})
        tip.lineTo(head - QPointF(std::cos(angle + side) * headLength,
                                  -std::sin(angle + side) * headLength));
    tip.closeSubpath();
    painter.fillPath(tip, painter.pen().color());
}

}  // namespace

// ---- CScanMapView ------------------------------------------------------------------------------

CScanMapView::CScanMapView(CScanDoc& document, QWidget* parent) : QWidget(parent), doc(document) {
    setMinimumSize(160, 140);
    setObjectName("scanMap");
}

void CScanMapView::Refresh() {
    stale = true;
    update();
}

const SScanMap& CScanMapView::Map() {
    if (stale) {
        map = BuildScanMap(doc);
        stale = false;
    }
    return map;
}

void CScanMapView::paintEvent(QPaintEvent*) {
    const SScanMap& m = Map();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const QFontMetrics fm(font());
    const int textLine = fm.height();
    const QRectF area = QRectF(rect()).adjusted(8, 8 + textLine, -8, -8 - 3 * textLine);
    if (area.width() < 10 || area.height() < 10) return;
    const CStageToPixels at(m, area);

    // The scan's area.
    const QRectF box = QRectF(at(m.left, m.top), at(m.right, m.bottom)).normalized();
    painter.setPen(QPen(QColor(110, 110, 110), 1));
    painter.setBrush(QColor(236, 240, 246));
    painter.drawRect(box.width() < 1 || box.height() < 1 ? box.adjusted(-1, -1, 1, 1) : box);

    // The grid's points, as small crosses.
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    for (const SMapPoint& p : m.grid) {
        const QPointF q = at(p);
        painter.drawLine(q - QPointF(2, 0), q + QPointF(2, 0));
        painter.drawLine(q - QPointF(0, 2), q + QPointF(0, 2));
    }

    // Gradient and raw A/D points.
    painter.setPen(QPen(QColor(60, 60, 60), 0.5));
    for (const SMapDot& d : m.dots) {
        painter.setBrush(ToQColor(d.color));
        painter.drawEllipse(at(d.at), 4.5, 4.5);
    }

    // CDP points.
    painter.setPen(QPen(QColor(0, 40, 160), 1.6));
    painter.setBrush(QColor(0, 40, 160));
    for (const SMapArrow& a : m.arrows)
        DrawArrow(painter, at(a.tail), at(a.head));

    // The corners in microns, and the legend.
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    const QString lowLeft =
        QStringLiteral("(%1, %2)").arg(m.left, 0, 'f', 1).arg(m.bottom, 0, 'f', 1);
    const QString upRight =
        QStringLiteral("(%1, %2)").arg(m.right, 0, 'f', 1).arg(m.top, 0, 'f', 1);
    painter.drawText(
        QPointF(box.left(), std::min(box.bottom() + textLine, height() - 2.5 * textLine - 4)),
        lowLeft);
    const double upRightX = std::max(4.0, box.right() - fm.horizontalAdvance(upRight));
    painter.drawText(QPointF(upRightX, std::max(box.top() - 4, double(textLine))), upRight);
    // The legend, over two lines when the map is narrow.
    painter.drawText(QRectF(4, height() - 2 * textLine - 4, width() - 8, 2 * textLine),
                     Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, ToQ(m.legend));
    // The length of the longest arrow, drawn to scale beside the legend's line.
    if (m.largest > 0.0) {
        const double px = std::fabs(at(m.arrowUnit, 0).x() - at(0, 0).x());
        const QPointF from(width() - 12 - px, 8 + textLine / 2.0);
        painter.setPen(QPen(QColor(0, 40, 160), 1.6));
        DrawArrow(painter, from, from + QPointF(px, 0));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(4, 2, width() - 24 - px, textLine), Qt::AlignRight,
                         QStringLiteral("%1 %2")
                             .arg(m.largest, 0, 'g', 3)
                             .arg(QString::fromLatin1(m.calibrated ? "uA/sq.cm" : "uV")));
    }
}

// ---- CScanDocWindow ----------------------------------------------------------------------------

CScanDocWindow::CScanDocWindow(QWidget* parent)
    : CDocumentWindow(DocTemplate(EDocType::Scan), parent), doc(std::make_unique<CScanDoc>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter = new QSplitter(Qt::Horizontal, this);
    list = new CObsView(*doc, splitter);
    list->setObjectName("obsView");
    mapView = new CScanMapView(*doc, splitter);
    splitter->addWidget(list);
    splitter->addWidget(mapView);
    // The list's lines are long; it scrolls sideways, and the map gets half of the window.
    list->setMinimumWidth(120);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({1000, 1000});
    layout->addWidget(splitter);
    connect(this, &CDocumentWindow::DocumentChanged, list, &CObsView::DocumentChanged);
    connect(this, &CDocumentWindow::DocumentChanged, mapView, &CScanMapView::Refresh);
    connect(list, &CObsView::selectionChanged, this, &CDocumentWindow::CommandStateChanged);
    // The window hears the document first and passes the news on to its views.
    doc->SetUpdateViewsHook([this] { DocumentUpdated(); });
}

CScanDocWindow::~CScanDocWindow() {
    doc->SetUpdateViewsHook(nullptr);
    // The views refer to the document: they go first.
    delete splitter;
}

void CScanDocWindow::DocumentUpdated() {
    emit DocumentChanged();
    RefreshTitle();
}

bool CScanDocWindow::Load(const std::string& path) {
    std::string message;
    if (!doc->LoadFile(path, message)) {
        if (!message.empty()) Prompt().Message(message, EPromptIcon::Exclamation);
        return false;
    }
    pathName = path;
    DocumentUpdated();
    return true;
}

bool CScanDocWindow::IsModified() const {
    return doc->CanUserSave() && doc->IsModified();
}

bool CScanDocWindow::CanSave() const {
    return doc->CanUserSave();
}

bool CScanDocWindow::SaveTo(const std::string& path) {
    std::string message;
    if (doc->SaveByUser(path, message)) return true;
    if (!message.empty()) Prompt().Message(message, EPromptIcon::Exclamation);
    return false;
}

bool CScanDocWindow::CanClose() {
    if (doc->closable) return true;
    Prompt().Message(
        "Scan sequence in progress.\n\nTerminate scan sequence from Data Document first.",
        EPromptIcon::Exclamation);
    return false;
}

void AttachScanDocCommands(CMainWindow& window) {
    CMainWindow* w = &window;
    auto active = [w] { return qobject_cast<CScanDocWindow*>(w->ActiveDocumentWindow()); };
    window.AttachCommand("scanReview", {[active](QAction&) {
                                            if (CScanDocWindow* s = active())
                                                Prompt().Message(s->Document().Summary(),
                                                                 EPromptIcon::Information);
                                        },
                                        [active] { return active() != nullptr; },
                                        {}});
    window.AttachCommand(
        "scanInterrupt",
        {[](QAction&) {
             Prompt().Message(
                 "Switch to Observation Data Document (.VPO) window\nand select Scan::Interrupt.");
         },
         [active] { return active() != nullptr; },
         {}});
}
