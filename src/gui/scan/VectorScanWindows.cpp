#include "gui/scan/VectorScanWindows.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "platform/Format.h"

CVectorScanStatusWindow::CVectorScanStatusWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("vectorScanStatus");
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(this);
    label->setObjectName("statusText");
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(70, QChar('0'))));
    positions = new QLabel(this);
    positions->setObjectName("positionsText");
    layout->addWidget(label);
    layout->addWidget(positions);
}

void CVectorScanStatusWindow::SetText(const QString& text) {
    label->setText(text);
}

void CVectorScanStatusWindow::SetPositions(const QString& text) {
    positions->setText(text);
}

QString CVectorScanStatusWindow::Text() const {
    return label->text();
}

CQtVectorScanMonitor::~CQtVectorScanMonitor() {
    End();
}

void CQtVectorScanMonitor::Begin(const std::string& title) {
    if (!status) {
        status = new CVectorScanStatusWindow(owner);
        status->setAttribute(Qt::WA_DeleteOnClose);
    }
    status->setWindowTitle(ToQ(title));
    status->show();
    status->raise();
}

void CQtVectorScanMonitor::Status(const std::string& text) {
    if (!status) return;
    status->SetText(ToQ(text));
    status->repaint();
}

void CQtVectorScanMonitor::Positions(const CDVector4& probe, const CDVector4& sample) {
    if (!status) return;
    status->SetPositions(
        ToQ(StrPrintf("Probe [%.2lf,%.2lf,%.2lf,%.2lf]  Sample [%.2lf,%.2lf,%.2lf,%.2lf]", probe.x,
                      probe.y, probe.z, probe.w, sample.x, sample.y, sample.z, sample.w)));
    status->repaint();
}

void CQtVectorScanMonitor::End() {
    if (status) status->close();
    status = nullptr;
}

void CQtVectorScanMonitor::Stopped() {
    if (stopped) stopped();
}
