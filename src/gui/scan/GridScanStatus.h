#pragma once
// "Scan Status": what a running grid scan is doing (the message line, the points remaining,
// the scan tool's position) and the last values it took: a CDP point and reference as the
// four lock-in voltages at the A/D input with the current density's length and angle, the
// last gradient and raw A/D observations. It is modeless: the station keeps scanning while it
// shows, and the user may move it aside.

#include <QPointer>
#include <QWidget>
#include <array>

#include "scan/GridScanEngine.h"

class QLabel;

class CGridScanStatusWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = "Scan Status";
    explicit CGridScanStatusWindow(QWidget* parent = nullptr);

    void SetFile(const QString& text);
    void SetMessage(const QString& text);
    QString Message() const;
    void SetPointsRemaining(int64_t points);
    void SetPosition(const CDVector4& position);
    void SetObservation(const CVelmObs& obs, const CScanDoc& scan);

  private:
    QLabel* file = nullptr;
    QLabel* message = nullptr;
    QLabel* remaining = nullptr;
    QLabel* position = nullptr;
    std::array<QLabel*, 4> sample{};
    std::array<QLabel*, 4> reference{};
    QLabel* length = nullptr;
    QLabel* angle = nullptr;
    QLabel* gradient = nullptr;
    QLabel* rawAD = nullptr;
};

// The engine's status output into one window (made when the first scan opens it, hidden
// between scans).
class CQtScanStatus : public IScanStatusSink {
  public:
    explicit CQtScanStatus(QWidget* owner) : owner(owner) {}
    ~CQtScanStatus() override;

    void Open(const std::string& title) override;
    void Message(const std::string& text) override;
    void PointsRemaining(int64_t points) override;
    void Position(const CDVector4& position) override;
    void Observation(const CVelmObs& obs, const CScanDoc& scan) override;
    void Close() override;

    CGridScanStatusWindow* Window() const { return window; }

  private:
    CGridScanStatusWindow& Shown();

    QWidget* owner;
    QPointer<CGridScanStatusWindow> window;
};
