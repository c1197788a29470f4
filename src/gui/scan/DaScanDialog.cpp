#include "gui/scan/DaScanDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "platform/Services.h"

namespace {

QLineEdit* Edit(const std::string& text, const char* name, QWidget* parent, int width = 90) {
    auto* edit = new QLineEdit(ToQ(text), parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(width);
    return edit;
}

QCheckBox* Check(const char* text, const char* name, bool on, QWidget* parent) {
    auto* check = new QCheckBox(QObject::tr(text), parent);
    check->setObjectName(name);
    check->setChecked(on);
    return check;
}

}  // namespace

CDaScanDialog::CDaScanDialog(CDaScanSetupLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("daScanDialog");
    setWindowTitle(CDaScanSetupLogic::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* grid = new QGridLayout;
    channel = Edit(logic.channel, "channelEdit", this, 50);
    grid->addWidget(new QLabel(tr("D/A Channel:"), this), 0, 0);
    grid->addWidget(channel, 0, 1);
    grid->addWidget(new QLabel(tr("(0 or 1)"), this), 0, 2);
    start = Edit(logic.start, "startEdit", this);
    end = Edit(logic.end, "endEdit", this);
    grid->addWidget(new QLabel(tr("Scan Start:"), this), 1, 0);
    grid->addWidget(start, 1, 1);
    grid->addWidget(new QLabel(tr("volts"), this), 1, 2);
    grid->addWidget(new QLabel(tr("Scan End:"), this), 2, 0);
    grid->addWidget(end, 2, 1);
    grid->addWidget(new QLabel(tr("volts"), this), 2, 2);
    points = Edit(logic.points, "pointsEdit", this, 70);
    grid->addWidget(new QLabel(tr("Number of points in scan:"), this), 3, 0);
    grid->addWidget(points, 3, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);

    auto* method = new QGroupBox(tr("Increment Method:"), this);
    auto* methodRow = new QHBoxLayout(method);
    auto* methods = new QButtonGroup(this);
    manual = new QRadioButton(tr("Manual"), method);
    manual->setObjectName("manualRadio");
    automatic = new QRadioButton(tr("Automatic every"), method);
    automatic->setObjectName("automaticRadio");
    methods->addButton(manual);
    methods->addButton(automatic);
    (logic.increment == CDaScanSetupLogic::kManual ? manual : automatic)->setChecked(true);
    interval = Edit(logic.interval, "intervalEdit", method, 70);
    methodRow->addWidget(manual);
    methodRow->addSpacing(12);
    methodRow->addWidget(automatic);
    methodRow->addWidget(interval);
    methodRow->addWidget(new QLabel(tr("seconds"), method));
    methodRow->addStretch(1);
    layout->addWidget(method);

    auto* record = new QGridLayout;
    recordRawAD =
        Check("Record Raw A/D sample at each point", "recordRawAD", logic.recordRawAD, this);
    recordCDP = Check("Record CDP sample at each point", "recordCDP", logic.recordCDP, this);
    auto* rawRules = new QPushButton(tr("A/D Samp Rules"), this);
    rawRules->setObjectName("rawADRulesButton");
    auto* cdpRules = new QPushButton(tr("CDP Samp Rules"), this);
    cdpRules->setObjectName("cdpRulesButton");
    for (QPushButton* b : {rawRules, cdpRules})
        b->setAutoDefault(false);
    record->addWidget(recordRawAD, 0, 0);
    record->addWidget(rawRules, 0, 1);
    record->addWidget(recordCDP, 1, 0);
    record->addWidget(cdpRules, 1, 1);
    layout->addLayout(record);

    auto* resetRow = new QHBoxLayout;
    reset = Check("Reset to", "resetCheck", logic.reset, this);
    resetVolts = Edit(logic.resetVolts, "resetVoltsEdit", this);
    resetRow->addWidget(reset);
    resetRow->addWidget(resetVolts);
    resetRow->addWidget(new QLabel(tr("volts at end of scan"), this));
    resetRow->addStretch(1);
    layout->addLayout(resetRow);

    auto* cycleRow = new QHBoxLayout;
    cycle = Check("Cycle (start->end, end->start)", "cycleCheck", logic.cycle, this);
    times = Edit(logic.times, "timesEdit", this, 70);
    cycleRow->addWidget(cycle);
    cycleRow->addSpacing(12);
    cycleRow->addWidget(times);
    cycleRow->addWidget(new QLabel(tr("times"), this));
    cycleRow->addStretch(1);
    layout->addLayout(cycleRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDaScanDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDaScanDialog::reject);
    layout->addWidget(buttons);

    connect(rawRules, &QPushButton::clicked, this, [this] { this->logic.EditRawADRules(); });
    connect(cdpRules, &QPushButton::clicked, this, [this] { this->logic.EditCdpRules(); });
}

void CDaScanDialog::Transfer() {
    logic.channel = FromQ(channel->text());
    logic.start = FromQ(start->text());
    logic.end = FromQ(end->text());
    logic.points = FromQ(points->text());
    logic.increment =
        manual->isChecked() ? CDaScanSetupLogic::kManual : CDaScanSetupLogic::kAutomatic;
    logic.interval = FromQ(interval->text());
    logic.recordRawAD = recordRawAD->isChecked();
    logic.recordCDP = recordCDP->isChecked();
    logic.reset = reset->isChecked();
    logic.resetVolts = FromQ(resetVolts->text());
    logic.cycle = cycle->isChecked();
    logic.times = FromQ(times->text());
}

void CDaScanDialog::accept() {
    Transfer();
    std::string error;
    if (!logic.Accept(error)) {
        Prompt().Message(error, EPromptIcon::Exclamation, CDaScanSetupLogic::kTitle);
        const std::pair<const char*, QLineEdit*> entries[] = {
            {"channel", channel},   {"start", start},           {"end", end},    {"points", points},
            {"interval", interval}, {"resetVolts", resetVolts}, {"times", times}};
        for (const auto& [name, edit] : entries)
            if (logic.badEntry == name) {
                edit->setFocus();
                edit->selectAll();
            }
        return;
    }
    QDialog::accept();
}
