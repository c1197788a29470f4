#pragma once
// The status window of a vector scan run or preview ("Vector Scan Status", "Vector Scan
// Preview"): which operation is being taken and where the stages stand.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "scan/VectorScanRun.h"

class QLabel;

class CVectorScanStatusWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CVectorScanStatusWindow(QWidget* parent = nullptr);
    void SetText(const QString& text);
    void SetPositions(const QString& text);
    QString Text() const;

  private:
    QLabel* label = nullptr;
    QLabel* positions = nullptr;
};

class CQtVectorScanMonitor : public CVectorScanMonitor {
  public:
    explicit CQtVectorScanMonitor(QWidget* owner) : owner(owner) {}
    ~CQtVectorScanMonitor() override;

    void Begin(const std::string& title) override;
    void Status(const std::string& text) override;
    void Positions(const CDVector4& probe, const CDVector4& sample) override;
    void End() override;
    void Stopped() override;

    // Called when the vector scan as a whole has ended.
    std::function<void()> stopped;
    CVectorScanStatusWindow* Window() const { return status.data(); }

  private:
    QWidget* owner;
    QPointer<CVectorScanStatusWindow> status;
};
