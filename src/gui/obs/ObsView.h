#pragma once
// CObsView: the list of an observation or scan document. A scrolling, printable list with one
// line per observation in the document's time range, coloured by kind, on a light background of
// its own; a ruler under the header names the columns shown. A selection made by click,
// Shift-click and drag, or with the keys of any list (arrows, Page Up/Down, Home, End, Shift to
// extend), that "&Hide Obs" and "Sh&ow Obs" act on; a double click opens the observation and
// puts its export row on the clipboard.
//
// The view holds no copy of the list: it asks its CObsListModel for the lines on screen only,
// so a document of a million observations scrolls as fast as a small one.

#include <QAbstractScrollArea>
#include <QString>
#include <cstdint>

#include "obs/ObsListModel.h"

class CDataDocument;
class QPrinter;

class CObsView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // Shows `doc` and installs itself as the document's update-views hook.
    explicit CObsView(CDataDocument& doc, QWidget* parent = nullptr);
    ~CObsView() override;

    CObsListModel& Model() { return model; }
    CDataDocument& Document() { return doc; }
    // The font's height plus its external leading.
    int LineHeight() const;
    int64_t TopLine() const;
    // Scrolls so that `line` is the first line shown (as far as the list allows).
    void ScrollToLine(int64_t line);

    // "&Hide Obs	Del" / "Sh&ow Obs	Space"; enabled only with a selection.
    bool CanHideShow() const { return model.HasSelection(); }
    void HideObs();
    void ShowObs();

    // Prints the list: a centred title ending " - Page %u of %u", a rule under it, the lines.
    void Print(QPrinter& printer, const QString& title);

  public slots:
    // The document changed: the scroll range follows the list and the window is repainted. A
    // view that showed the end of the list keeps showing it.
    void DocumentChanged();

  signals:
    // After every change of the document (for the window title, menus, ...).
    void documentChanged();
    // The selection changed (the commands that act on it are enabled or not).
    void selectionChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void UpdateScrollRange();
    int VisibleLines() const;
    int64_t LineAt(int y) const;
    int ListWidth() const;
    // Scrolls as little as needed for `line` to be on screen.
    void EnsureLineVisible(int64_t line);

    CDataDocument& doc;
    CObsListModel model;
    bool dragging = false;
};
