#include "gui/hw/LiveVideoWindow.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/hw/ImageView.h"
#include "gui/platform/QtText.h"
#include "hw/FgBoard.h"
#include "platform/Format.h"
#include "platform/Services.h"

CRefreshRateDialog::CRefreshRateDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(CRefreshRateLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(CRefreshRateLogic::kLabel, this));
    entry = new QLineEdit(ToQ(logic.entry), this);
    entry->setObjectName("rate");
    layout->addWidget(entry);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CRefreshRateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CRefreshRateDialog::accept() {
    logic.entry = FromQ(entry->text());
    if (!logic.Accept(rate)) return;
    QDialog::accept();
}

CLiveVideoWindow::CLiveVideoWindow(CFgBoard& board, QWidget* parent)
    : QWidget(parent), board(board) {
    setWindowTitle("Live Video");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view = new CImageView(this);
    layout->addWidget(view);
    connect(view, &CImageView::RightDoubleClicked, this, &CLiveVideoWindow::EditRefreshRate);
    connect(&timer, &QTimer::timeout, this, &CLiveVideoWindow::Tick);
    timer.setInterval(CRefreshRateLogic::IntervalMs(board.liveRefresh));
}

CLiveVideoWindow::~CLiveVideoWindow() {
    Freeze();
}

bool CLiveVideoWindow::Running() const {
    return video && video->Running();
}

bool CLiveVideoWindow::Start() {
    if (Running()) return true;
    std::unique_ptr<CLiveFrameSource> source = board.CreateLiveSource();
    if (!source) return false;  // the grabber has said why
    video = std::make_unique<CLiveVideo>(std::move(source));
    std::string error;
    if (!video->Start(error)) {
        video.reset();
        Prompt().Message(error, EPromptIcon::Stop, "Live Video Error");
        return false;
    }
    board.SetLiveVideo(video.get());
    rateCounter = CLiveRateCounter();
    timer.start(CRefreshRateLogic::IntervalMs(board.liveRefresh));
    return true;
}

void CLiveVideoWindow::Freeze() {
    timer.stop();
    if (!video) return;
    if (board.LiveVideo() == video.get()) board.SetLiveVideo(nullptr);
    video->Stop();
    video->TakeFrame(frame);
    if (frame.IsValid()) view->SetImage(frame);
    video.reset();
}

void CLiveVideoWindow::closeEvent(QCloseEvent* event) {
    Freeze();
    QWidget::closeEvent(event);
}

void CLiveVideoWindow::Tick() {
    if (!video) return;
    if (std::optional<std::string> error = video->TakeError()) {
        Freeze();
        Prompt().Message(*error, EPromptIcon::Stop, "Live Video Error");
        return;
    }
    if (video->TakeFrame(frame)) {
        view->SetImage(frame);
        if (std::optional<double> rate = rateCounter.AddFrame(Clock().Ticks()))
            setWindowTitle(ToQ(StrPrintf("%.2f", *rate)));
    }
    video->RequestFrame();
}

void CLiveVideoWindow::EditRefreshRate() {
    CRefreshRateDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    board.liveRefresh = dialog.Rate();
    timer.setInterval(CRefreshRateLogic::IntervalMs(board.liveRefresh));
}
