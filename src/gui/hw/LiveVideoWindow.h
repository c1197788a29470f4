#pragma once
// The live video window: shows the current grabber's frames (the test pattern without
// hardware) at the "Live Refresh" rate. Frames are grabbed on the live-video worker thread;
// this window's timer only asks for the next one and draws the newest. A right double-click
// opens the refresh-rate dialog; Freeze stops on the last frame, and so does closing it.

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "hw/fg/LiveVideo.h"

class CFgBoard;
class CImageView;
class QLineEdit;

class CRefreshRateDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CRefreshRateDialog(QWidget* parent = nullptr);
    double Rate() const { return rate; }
    void accept() override;

  private:
    CRefreshRateLogic logic;
    QLineEdit* entry;
    double rate = 0.0;
};

class CLiveVideoWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CLiveVideoWindow(CFgBoard& board, QWidget* parent = nullptr);
    ~CLiveVideoWindow() override;

    // Starts grabbing; false (after "Live Video Error" was shown) when the grabber cannot.
    bool Start();
    // Stops grabbing and keeps the last frame on screen.
    void Freeze();
    bool Running() const;

    int IntervalMs() const { return timer.interval(); }
    CImageView* View() const { return view; }
    // The refresh-rate dialog, as a right double-click opens it.
    void EditRefreshRate();

  protected:
    // Closing the window ends the stream: a hidden window that kept the camera streaming would
    // hold it from every other session.
    void closeEvent(QCloseEvent* event) override;

  private:
    void Tick();

    CFgBoard& board;
    std::unique_ptr<CLiveVideo> video;
    CImageView* view;
    QTimer timer;
    CLiveRateCounter rateCounter;
    CBitmapImage frame;
};
