#pragma once
// The three watch windows ("Watch Current Density Probe Values", "Watch ISP/PVP Values", "Watch
// Raw A/D Values"), modeless, each on its GUI-free watch (tech/watch/). The window owns the
// timer and binds buttons and labels to the watch; everything it shows comes from there.

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "tech/watch/Watch.h"

class CIonWatch;
class CRawADWatch;
class CTimePlotWidget;
class CWireWatch;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

// "Set Sampling Interval" on its logic.
class CWatchIntervalDialog : public QDialog {
    Q_OBJECT
  public:
    CWatchIntervalDialog(CWatchIntervalLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    CWatchIntervalLogic& logic;
    QLineEdit* edit;
};

// The CDP vector display: "+X"/"-X"/"+Y"/"-Y" axes and the vector in the chosen style.
class CVectorWidget : public QWidget {
    Q_OBJECT
  public:
    explicit CVectorWidget(CWireWatch& watch, QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(220, 220); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CWireWatch& watch;
};

class CWatchWindow : public QWidget {
    Q_OBJECT
  public:
    // Takes the watch, opens it (its first tick) and starts the timer. `owner` is the main
    // window the window floats over.
    CWatchWindow(std::unique_ptr<CWatch> watch, QWidget* owner);
    ~CWatchWindow() override;

    CWatch& Watch() { return *watch; }
    const QTimer& Timer() const { return timer; }
    CTimePlotWidget* PlotWidget() const { return plotWidget; }
    // Refreshes every label and button from the watch and the timer from its interval.
    void Refresh();

    // How "Interval" asks (the dialog by default; tests script it).
    static std::function<bool(CWatchIntervalLogic&)> intervalDialog;
    // Where the picture option draws its arrow (the main window's live video installs it):
    // called after each tick with the watch; empty: no live video.
    static std::function<void(CWireWatch&)> showVideoArrow;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QPushButton* Button(const char* text, const char* name, std::function<void()> run);
    void BuildCommon(QVBoxLayout* layout);
    void BuildWire(QVBoxLayout* layout, CWireWatch& w);
    void BuildIon(QVBoxLayout* layout, CIonWatch& w);
    void BuildRaw(QVBoxLayout* layout, CRawADWatch& w);
    void BuildPlot(QVBoxLayout* layout);
    void OnTimer();

    std::unique_ptr<CWatch> watch;
    QTimer timer;
    std::vector<std::function<void()>> refreshers;
    CTimePlotWidget* plotWidget = nullptr;
    bool refreshing = false;
};
