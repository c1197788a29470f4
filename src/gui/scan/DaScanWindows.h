#pragma once
// The windows of a running D/A output scan: "D/A Output Scan Status", one line saying which
// point is being taken, and the "Graph", the measured value against the output voltage with
// its axes, ticks and units, redrawn as each point arrives. The graph's scaling is the core's
// (CDaScanGraph); these only draw it.

#include <QPointer>
#include <QWidget>

#include "scan/DaScan.h"
#include "scan/DaScanGraph.h"

class QLabel;
class QPainter;

class CDaScanStatusWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CDaScanStatusWindow(QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString Text() const;

  private:
    QLabel* label = nullptr;
};

class CDaScanGraphWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CDaScanGraphWindow(QWidget* parent = nullptr);
    void SetGraph(const CDaScanGraph& graph);
    const CDaScanGraph& Graph() const { return graph; }

    QSize sizeHint() const override { return QSize(560, 400); }

    // Draws `graph` into `area` with `painter` (the window's paint, and pictures of it).
    static void Draw(QPainter& painter, const QRect& area, const CDaScanGraph& graph,
                     const QPalette& palette);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CDaScanGraph graph;
};

// Shows a scan in the two windows: the status window for the length of the scan, the graph
// (one, kept for the next scan) until the user closes it.
class CQtDaScanMonitor : public CDaScanMonitor {
  public:
    // The windows belong to `owner` (the main window).
    explicit CQtDaScanMonitor(QWidget* owner);
    ~CQtDaScanMonitor() override;

    void Begin(const CDaScanGraph& graph) override;
    void Status(const std::string& text) override;
    void GraphChanged(const CDaScanGraph& graph) override;
    void End() override;

    // The graph window of the last scan (null when none is open).
    static CDaScanGraphWindow* GraphWindow();

  private:
    QWidget* owner;
    QPointer<CDaScanStatusWindow> status;
};
