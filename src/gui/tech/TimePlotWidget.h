#pragma once
// The watch windows' time plot: one trace per value in its own colour with a legend, the value's
// unit on the y axis and seconds since the window opened (or the clock time) on the x axis.
// Drawing decimates each trace to one minimum/maximum pair per pixel column, so a day of 1 s
// samples costs no more to repaint than the width of the plot.

#include <QColor>
#include <QWidget>

#include "tech/watch/Watch.h"

class QPainter;

class CTimePlotWidget : public QWidget {
    Q_OBJECT
  public:
    explicit CTimePlotWidget(QWidget* parent = nullptr);

    // The plot drawn (owned by the watch; must outlive the widget's use of it).
    void SetPlot(const SWatchTimePlot* plot);
    // Clock time on the x axis instead of seconds since the start.
    void SetClockTime(bool on);
    bool ClockTime() const { return clockTime; }

    QSize sizeHint() const override { return QSize(520, 240); }

    // The colour of series `i` (distinct for the first eight, then repeating).
    static QColor SeriesColour(size_t i);
    // Draws `plot` into `area` up to `now` (seconds since 1970).
    static void Draw(QPainter& painter, const QRect& area, const SWatchTimePlot& plot, double now,
                     bool clockTime, const QPalette& palette);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const SWatchTimePlot* plot = nullptr;
    bool clockTime = false;
};
