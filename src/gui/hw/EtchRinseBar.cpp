#include "gui/hw/EtchRinseBar.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "platform/Services.h"

CEtchRinseBar::CEtchRinseBar(CBathMover& mover, QWidget* parent) : QWidget(parent), mover(mover) {
    setObjectName("etchRinseBar");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);

    auto* automatic = new QGroupBox(tr("Automatic"), this);
    auto* autoRow = new QVBoxLayout(automatic);
    autoEtch = NewButton("Etch", "autoEtch", [this] { this->mover.Auto(EBath::Etch); });
    autoRinse = NewButton("Rinse", "autoRinse", [this] { this->mover.Auto(EBath::Rinse); });
    autoRow->addWidget(autoEtch);
    autoRow->addWidget(autoRinse);
    row->addWidget(automatic);

    auto* lamps = new QGroupBox(tr("Carriage"), this);
    auto* lampGrid = new QGridLayout(lamps);
    raisedLamp = NewLamp("raised", "raisedLamp");
    loweredLamp = NewLamp("lowered", "loweredLamp");
    etchLamp = NewLamp("etch", "etchLamp");
    rinseLamp = NewLamp("rinse", "rinseLamp");
    inEtchLamp = NewLamp("in etch", "inEtchLamp");
    inRinseLamp = NewLamp("in rinse", "inRinseLamp");
    QLabel* order[6] = {raisedLamp, etchLamp, inEtchLamp, loweredLamp, rinseLamp, inRinseLamp};
    for (int i = 0; i < 6; ++i) {
        lampGrid->addWidget(order[i], i / 3, 2 * (i % 3));
        auto* text = new QLabel(order[i]->toolTip(), lamps);
        lampGrid->addWidget(text, i / 3, 2 * (i % 3) + 1);
    }
    row->addWidget(lamps);

    auto* steps = new QGroupBox(tr("Step"), this);
    auto* stepGrid = new QGridLayout(steps);
    up = NewButton("Up", "stepUp", [this] { this->mover.Step(EBathStep::Up); });
    down = NewButton("Down", "stepDown", [this] { this->mover.Step(EBathStep::Down); });
    etch = NewButton("Etch", "stepEtch", [this] { this->mover.Step(EBathStep::Etch); });
    rinse = NewButton("Rinse", "stepRinse", [this] { this->mover.Step(EBathStep::Rinse); });
    stepGrid->addWidget(up, 0, 0);
    stepGrid->addWidget(down, 1, 0);
    stepGrid->addWidget(etch, 0, 1);
    stepGrid->addWidget(rinse, 1, 1);
    row->addWidget(steps);

    auto* positions = new QGroupBox(tr("Probe Positions"), this);
    auto* positionGrid = new QGridLayout(positions);
    rinsePosition = new QLabel(positions);
    rinsePosition->setObjectName("rinsePosition");
    etchPosition = new QLabel(positions);
    etchPosition->setObjectName("etchPosition");
    getRinse = NewButton("Get", "getRinse", [this] { this->mover.GetPosition(EBath::Rinse); });
    getEtch = NewButton("Get", "getEtch", [this] { this->mover.GetPosition(EBath::Etch); });
    positionGrid->addWidget(new QLabel(tr("Rinse:"), positions), 0, 0);
    positionGrid->addWidget(rinsePosition, 0, 1);
    positionGrid->addWidget(getRinse, 0, 2);
    positionGrid->addWidget(new QLabel(tr("Etch:"), positions), 1, 0);
    positionGrid->addWidget(etchPosition, 1, 1);
    positionGrid->addWidget(getEtch, 1, 2);
    row->addWidget(positions);

    auto* side = new QVBoxLayout;
    side->addWidget(NewButton("Setup", "bathSetup", [this] { Setup(); }), 0, Qt::AlignLeft);
    problem = new QLabel(this);
    problem->setObjectName("bathProblem");
    problem->setWordWrap(true);
    problem->setMaximumWidth(260);
    side->addWidget(problem);
    side->addStretch();
    row->addLayout(side);
    row->addStretch();

    mover.SetView(this);
    connect(&statusTimer, &QTimer::timeout, this, &CEtchRinseBar::StatusTick);
    connect(&pollTimer, &QTimer::timeout, this, [this] { this->mover.Poll(); });
    pollTimer.setInterval(static_cast<int>(CBathMover::kPollMs));
    RestartStatusTimer();
    ShowStatus();
}

CEtchRinseBar::~CEtchRinseBar() {
    mover.SetView(nullptr);
}

QPushButton* CEtchRinseBar::NewButton(const char* text, const char* name,
                                      std::function<void()> press) {
    auto* button = new QPushButton(tr(text), this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [press = std::move(press)] { press(); });
    return button;
}

QLabel* CEtchRinseBar::NewLamp(const char* text, const char* name) {
    auto* lamp = new QLabel(this);
    lamp->setObjectName(name);
    lamp->setToolTip(tr(text));
    lamp->setFixedSize(14, 14);
    SetLamp(lamp, false, "black");
    return lamp;
}

void CEtchRinseBar::SetLamp(QLabel* lamp, bool on, const char* colour) {
    lamp->setProperty("lit", on);
    lamp->setStyleSheet(
        QStringLiteral("background: %1; border: 1px solid #444; border-radius: 7px;")
            .arg(on ? colour : "black"));
}

void CEtchRinseBar::Refresh() {
    mover.ReadStatus();
    ShowStatus();
}

void CEtchRinseBar::RestartStatusTimer() {
    statusTimer.start(mover.StatusPeriodMs());
}

void CEtchRinseBar::StatusTick() {
    // A refresh inside another acquisition's wait would read the port in the middle of it.
    if (!isVisible() || mover.StationBusy()) return;
    Refresh();
}

void CEtchRinseBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!mover.StationBusy()) Refresh();
}

void CEtchRinseBar::Setup() {
    CBathSetupLogic logic(mover);
    CEtchRinseSetupDialog dialog(logic, this);
    if (dialog.exec() != QDialog::Accepted) return;
    logic.Apply(mover);
    RestartStatusTimer();
    Refresh();
}

// ---- CBathMoverView ----------------------------------------------------------------------------

void CEtchRinseBar::ShowStatus() {
    const SBathStatus& s = mover.Status();
    SetLamp(raisedLamp, s.Raised(), "red");
    SetLamp(loweredLamp, s.Lowered(), "red");
    SetLamp(etchLamp, s.EtchCup(), "red");
    SetLamp(rinseLamp, s.RinseCup(), "red");
    SetLamp(inEtchLamp, s.InEtchBath(), "#00c000");
    SetLamp(inRinseLamp, s.InRinseBath(), "#00c000");
    up->setEnabled(mover.CanStep(EBathStep::Up));
    down->setEnabled(mover.CanStep(EBathStep::Down));
    etch->setEnabled(mover.CanStep(EBathStep::Etch));
    rinse->setEnabled(mover.CanStep(EBathStep::Rinse));
    autoEtch->setEnabled(mover.CanAuto(EBath::Etch));
    autoRinse->setEnabled(mover.CanAuto(EBath::Rinse));
    getRinse->setEnabled(mover.CanGet());
    getEtch->setEnabled(mover.CanGet());
    rinsePosition->setText(ToQ(CBathMover::PositionText(mover.rinsePosition)));
    etchPosition->setText(ToQ(CBathMover::PositionText(mover.etchPosition)));
    QString note;
    // The first line says what is wrong; the whole explanation waits in the tooltip.
    problem->setToolTip(ToQ(mover.PortProblem()));
    if (!mover.PortProblem().empty())
        note = ToQ(mover.PortProblem()).section(QLatin1Char('\n'), 0, 0);
    else if (s.known && s.Contradictory())
        note = tr("The sensors disagree: check the carriage.");
    else if (mover.port == CBathMover::kSimulatedPort)
        note = tr("Simulated carriage (port 0)");
    problem->setText(note);
}

void CEtchRinseBar::ShowHint(const std::string& text) {
    if (showHint) showHint(text);
}

void CEtchRinseBar::ShowProbePosition() {
    if (showProbePosition) showProbePosition();
}

void CEtchRinseBar::RunPollTimer(bool on) {
    if (on)
        pollTimer.start();
    else
        pollTimer.stop();
}

void CEtchRinseBar::ShowBusy(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// ---- CEtchRinseSetupDialog
// -----------------------------------------------------------------------

CEtchRinseSetupDialog::CEtchRinseSetupDialog(CBathSetupLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("etchRinseSetup");
    setWindowTitle(CBathSetupLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto edit = [this](const char* name, const std::string& text) {
        auto* e = new QLineEdit(ToQ(text), this);
        e->setObjectName(name);
        return e;
    };
    port = edit("portEdit", logic.portText);
    timeout = edit("timeoutEdit", logic.timeoutText);
    status = edit("statusEdit", logic.statusText);
    grid->addWidget(new QLabel(tr("Control I/O port:"), this), 0, 0);
    grid->addWidget(port, 0, 1);
    grid->addWidget(new QLabel(tr("(hex; 0 = simulated)"), this), 0, 2, 1, 3);
    grid->addWidget(new QLabel(tr("Timeout period:"), this), 1, 0);
    grid->addWidget(timeout, 1, 1);
    grid->addWidget(new QLabel(tr("seconds"), this), 1, 2);
    grid->addWidget(new QLabel(tr("Status update period:"), this), 2, 0);
    grid->addWidget(status, 2, 1);
    grid->addWidget(new QLabel(tr("seconds"), this), 2, 2);
    const char* axes[4] = {"X", "Y", "Z", "W"};
    for (int i = 0; i < 4; ++i)
        grid->addWidget(new QLabel(tr(axes[i]), this), 3, 1 + i, Qt::AlignCenter);
    grid->addWidget(new QLabel(tr("Rinse Position:"), this), 4, 0);
    grid->addWidget(new QLabel(tr("Etch Position:"), this), 5, 0);
    for (int i = 0; i < 4; ++i) {
        rinse[i] =
            edit(QStringLiteral("rinse%1").arg(axes[i]).toLatin1().constData(), logic.rinseText[i]);
        etch[i] =
            edit(QStringLiteral("etch%1").arg(axes[i]).toLatin1().constData(), logic.etchText[i]);
        grid->addWidget(rinse[i], 4, 1 + i);
        grid->addWidget(etch[i], 5, 1 + i);
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CEtchRinseSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEtchRinseSetupDialog::reject);
    layout->addWidget(buttons);
}

void CEtchRinseSetupDialog::accept() {
    logic.portText = FromQ(port->text());
    logic.timeoutText = FromQ(timeout->text());
    logic.statusText = FromQ(status->text());
    for (int i = 0; i < 4; ++i) {
        logic.rinseText[i] = FromQ(rinse[i]->text());
        logic.etchText[i] = FromQ(etch[i]->text());
    }
    std::string error;
    if (!logic.Accept(error)) {
        Prompt().Message(error, EPromptIcon::Exclamation, CBathSetupLogic::kTitle);
        return;
    }
    QDialog::accept();
}
