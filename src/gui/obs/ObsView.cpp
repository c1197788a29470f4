#include "gui/obs/ObsView.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <vector>

#include "gui/platform/QtText.h"
#include "obs/ObsDoc.h"

namespace {

constexpr int kTextLeft = 10;

QColor ToQColor(SRgb c) {
    return QColor(c.r, c.g, c.b);
}

}  // namespace

CObsView::CObsView(CDataDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), doc(document), model(document) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    // The line colours are chosen for a light background: the list keeps its own in a dark
    // desktop theme too.
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, ToQColor(kListBackground));
    colours.setColor(QPalette::Text, QColor(0, 0, 0));
    viewport()->setPalette(colours);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
    doc.SetUpdateViewsHook([this] { DocumentChanged(); });
    UpdateScrollRange();
}

CObsView::~CObsView() {
    doc.SetUpdateViewsHook(nullptr);
}

int CObsView::LineHeight() const {
    const QFontMetrics fm = fontMetrics();
    return std::max(1, fm.height() + fm.leading());
}

int CObsView::ListWidth() const {
    return CObsListModel::kListWidthChars * fontMetrics().averageCharWidth();
}

int CObsView::VisibleLines() const {
    return std::max(1, viewport()->height() / LineHeight());
}

int64_t CObsView::TopLine() const {
    return verticalScrollBar()->value();
}

void CObsView::ScrollToLine(int64_t line) {
    verticalScrollBar()->setValue(static_cast<int>(std::clamp<int64_t>(line, 0, INT32_MAX)));
}

void CObsView::UpdateScrollRange() {
    model.UpdateExtent();
    const int64_t lines = model.LineCount();
    const int64_t maxTop = std::max<int64_t>(0, lines - VisibleLines());
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<int64_t>(maxTop, INT32_MAX)));
    verticalScrollBar()->setPageStep(VisibleLines());
    horizontalScrollBar()->setRange(0, std::max(0, ListWidth() + kTextLeft - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void CObsView::DocumentChanged() {
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    UpdateScrollRange();
    if (atEnd) bar->setValue(bar->maximum());
    viewport()->update();
    emit documentChanged();
}

void CObsView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CObsView::scrollContentsBy(int, int) {
    viewport()->update();
}

void CObsView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int h = LineHeight();
    const int ascent = fontMetrics().ascent();
    const int x0 = kTextLeft - horizontalScrollBar()->value();
    const int width = ListWidth();
    // Only the lines the exposed area touches are described.
    const QRect area = event->rect();
    const int64_t firstRow = std::max(0, area.top() / h);
    const int64_t lastRow = area.bottom() / h;
    std::vector<SListLine> lines;
    model.DescribeLines(TopLine() + firstRow, lastRow - firstRow + 1, lines);
    for (size_t i = 0; i < lines.size(); ++i) {
        const SListLine& line = lines[i];
        const int64_t row = firstRow + static_cast<int64_t>(i);
        const int y = static_cast<int>(row) * h;
        if (TopLine() + row == CObsListModel::kRulerLine) {
            // The column names are drawn, not a line of the list: clicks on them select
            // nothing, as on any blank line.
            painter.setPen(ToQColor(kListRulerColor));
            painter.drawText(x0, y + ascent,
                             ToQ(CObsListModel::RulerText(static_cast<unsigned>(doc.detailFlags))));
            painter.drawLine(x0, y + h - 2, x0 + width, y + h - 2);
        }
        if (line.kind == SListLine::EKind::Blank) continue;
        QColor pen = ToQColor(line.color);
        if (line.selected) {
            painter.fillRect(QRect(x0 - kTextLeft, y, width + kTextLeft, h),
                             ToQColor(kListSelectionBar));
            pen = ToQColor(SelectedLineColor(line.color));
        }
        painter.setPen(pen);
        painter.drawText(x0, y + ascent, ToQ(line.text));
    }
}

int64_t CObsView::LineAt(int y) const {
    return CObsListModel::LineAtY(y, TopLine() * LineHeight(), LineHeight());
}

void CObsView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    const auto obs = model.ObsAtLine(LineAt(event->position().toPoint().y()));
    if (!obs) return;
    model.Click(*obs, (event->modifiers() & Qt::ShiftModifier) != 0);
    dragging = true;
    viewport()->update();
    emit selectionChanged();
}

void CObsView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging || !(event->buttons() & Qt::LeftButton)) return;
    const int y = event->position().toPoint().y();
    // Dragging past the top or bottom edge scrolls the list on, a line per movement.
    if (y < 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
    else if (y >= viewport()->height())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
    const auto obs = model.NearestObsAtLine(LineAt(y));
    if (!obs) return;
    const int64_t first = model.FirstSelected(), last = model.LastSelected();
    model.Extend(*obs);
    viewport()->update();
    if (model.FirstSelected() != first || model.LastSelected() != last) emit selectionChanged();
}

void CObsView::keyPressEvent(QKeyEvent* event) {
    using EKey = CObsListModel::EKey;
    EKey key;
    switch (event->key()) {
        case Qt::Key_Up:
            key = EKey::Up;
            break;
        case Qt::Key_Down:
            key = EKey::Down;
            break;
        case Qt::Key_PageUp:
            key = EKey::PageUp;
            break;
        case Qt::Key_PageDown:
            key = EKey::PageDown;
            break;
        case Qt::Key_Home:
            key = EKey::Home;
            break;
        case Qt::Key_End:
            key = EKey::End;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    const auto obs = model.MoveByKey(key, VisibleLines() - 1, extend);
    if (!obs) return;
    // The ends of the list show the header and "End of file" with them.
    if (key == EKey::Home)
        ScrollToLine(0);
    else if (key == EKey::End)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    else if (const auto line = model.LineOfObs(*obs))
        EnsureLineVisible(*line);
    viewport()->update();
    emit selectionChanged();
}

void CObsView::EnsureLineVisible(int64_t line) {
    const int64_t top = TopLine();
    const int64_t visible = VisibleLines();
    if (line < top)
        ScrollToLine(line);
    else if (line >= top + visible)
        ScrollToLine(line - visible + 1);
}

void CObsView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CObsView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const auto obs = model.ObsAtLine(LineAt(event->position().toPoint().y()));
    if (!obs) return;
    dragging = false;
    std::string row;
    model.Open(*obs, row);
    if (!row.empty()) QGuiApplication::clipboard()->setText(ToQ(row));
}

void CObsView::HideObs() {
    model.SetSelectedHidden(true);
}

void CObsView::ShowObs() {
    model.SetSelectedHidden(false);
}

void CObsView::Print(QPrinter& printer, const QString& title) {
    QPainter painter;
    if (!painter.begin(&printer)) return;
    QFont printFont = font();
    painter.setFont(printFont);
    const QFontMetrics fm(printFont, &printer);
    const int h = std::max(1, fm.height() + fm.leading());
    const int left = 5 * fm.averageCharWidth();
    const QRect page = painter.viewport();
    // The body starts three lines below the top and ends two lines above the bottom.
    const int64_t linesPerPage = std::max(1, page.height() / h - 5);
    const int64_t pages = model.PageCount(linesPerPage);
    std::vector<SListLine> lines;
    for (int64_t p = 0; p < pages; ++p) {
        if (p > 0) printer.newPage();
        painter.setPen(Qt::black);
        const QString heading = ToQ(CObsListModel::PageTitle(FromQ(title), p + 1, pages));
        painter.drawText(QRect(0, 0, page.width(), h), Qt::AlignHCenter | Qt::AlignBottom, heading);
        painter.drawLine(left, h + h / 2, page.width() - left, h + h / 2);
        model.DescribeLines(p * linesPerPage, linesPerPage, lines);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind == SListLine::EKind::Blank) continue;
            painter.setPen(ToQColor(lines[i].color));
            painter.drawText(left, (3 + static_cast<int>(i)) * h + fm.ascent(), ToQ(lines[i].text));
        }
    }
    painter.end();
}
