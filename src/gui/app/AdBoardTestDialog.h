#pragma once
// "A/D Board Test": live readings of a channel range as numbers and as a strip chart, sending
// a voltage to a D/A channel and tracking a reading on it. The logic is CAdBoardTestLogic.

#include <QDialog>
#include <QTimer>
#include <deque>
#include <vector>

#include "app/AdBoardTestLogic.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The readings of the last seconds, one line per channel between the scale's bottom and top.
class CStripChart : public QWidget {
    Q_OBJECT
  public:
    explicit CStripChart(QWidget* parent = nullptr);
    void SetScale(double top, double bottom, double seconds);
    void Add(double seconds, const std::vector<double>& volts);
    void Clear() { samples.clear(), update(); }
    size_t SampleCount() const { return samples.size(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct SSample {
        double seconds;
        std::vector<double> volts;
    };
    std::deque<SSample> samples;
    double top = 10.0, bottom = -10.0, span = 10.0;
};

class CAdBoardTestDialog : public QDialog {
    Q_OBJECT
  public:
    CAdBoardTestDialog(CAdBoard& board, QWidget* parent = nullptr);
    ~CAdBoardTestDialog() override;

    CAdBoardTestLogic& Logic() { return logic; }
    bool TimerRunning() const { return timer.isActive(); }
    // One timer tick (public so that the readings can be driven without waiting).
    void Tick();

  protected:
    void done(int result) override;

  private:
    void ToLogic();
    void StartStop();
    void Refresh();

    CAdBoardTestLogic logic;
    QTimer timer;
    qint64 startMs = 0;
    QLineEdit *first, *last, *top, *bottom, *span, *volts, *daChannel, *trackCh;
    QPushButton *start, *track;
    QLabel* values;
    CStripChart* chart;
};
