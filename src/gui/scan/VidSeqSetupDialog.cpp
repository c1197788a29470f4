#include "gui/scan/VidSeqSetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "platform/Services.h"

namespace {
QRadioButton* Radio(const char* text, const char* name, QWidget* parent, QButtonGroup* group) {
    auto* radio = new QRadioButton(QObject::tr(text), parent);
    radio->setObjectName(name);
    group->addButton(radio);
    return radio;
}
}  // namespace

CVidSeqSetupDialog::CVidSeqSetupDialog(CVidSeqSetupLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("vidSeqSetup");
    setWindowTitle(CVidSeqSetupLogic::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* target = new QLabel(tr("Target Path:  ") + ToQ(logic.targetPath), this);
    target->setObjectName("targetPath");
    layout->addWidget(target);

    auto* top = new QHBoxLayout;
    auto* move = new QGroupBox(tr("Move:"), this);
    auto* moveRow = new QVBoxLayout(move);
    auto* tools = new QButtonGroup(this);
    sample = Radio("Sample", "moveSample", move, tools);
    probe = Radio("Probe", "moveProbe", move, tools);
    (logic.tool == 'P' ? probe : sample)->setChecked(true);
    moveRow->addWidget(sample);
    moveRow->addWidget(probe);
    top->addWidget(move);

    auto* type = new QGroupBox(tr("Type:"), this);
    auto* typeRow = new QVBoxLayout(type);
    auto* types = new QButtonGroup(this);
    linear = Radio("Linear Interp", "typeLinear", type, types);
    tracking = Radio("Tracking", "typeTracking", type, types);
    (logic.moveType == 1049 ? tracking : linear)->setChecked(true);
    typeRow->addWidget(linear);
    typeRow->addWidget(tracking);
    top->addWidget(type);

    auto* timing = new QGroupBox(tr("Each Frame"), this);
    auto* timingRow = new QHBoxLayout(timing);
    wait = new QLineEdit(ToQ(logic.waitText), timing);
    wait->setObjectName("waitEdit");
    average = new QLineEdit(ToQ(logic.averageText), timing);
    average->setObjectName("averageEdit");
    for (QLineEdit* edit : {wait, average})
        edit->setMaximumWidth(80);
    timingRow->addWidget(new QLabel(tr("Wait"), timing));
    timingRow->addWidget(wait);
    timingRow->addWidget(new QLabel(tr("sec, avg"), timing));
    timingRow->addWidget(average);
    top->addWidget(timing);
    layout->addLayout(top);

    auto* refBox = new QGroupBox(tr("Reference Image Use:"), this);
    auto* refRow = new QHBoxLayout(refBox);
    auto* uses = new QButtonGroup(this);
    background = Radio("Background Subtract", "refBackground", refBox, uses);
    ratio = Radio("Ratio Denominator", "refRatio", refBox, uses);
    ignore = Radio("Ignore", "refIgnore", refBox, uses);
    (logic.refUse == 'B' ? background : logic.refUse == 'R' ? ratio : ignore)->setChecked(true);
    refRow->addWidget(background);
    refRow->addWidget(ratio);
    refRow->addWidget(ignore);
    refCount = new QLineEdit(ToQ(logic.refCountText), refBox);
    refCount->setObjectName("refCountEdit");
    refCount->setMaximumWidth(80);
    refRow->addWidget(new QLabel(tr("Average"), refBox));
    refRow->addWidget(refCount);
    refRow->addWidget(new QLabel(tr("images"), refBox));
    layout->addWidget(refBox);

    auto* grid = new QGridLayout;
    const char* axes[4] = {"X", "Y", "Z", "W"};
    for (int i = 0; i < 4; ++i)
        grid->addWidget(new QLabel(tr(axes[i]), this), 0, 1 + i, Qt::AlignCenter);
    reference = AddRow(grid, 1, "Reference Location:", "reference", logic.reference);
    start = AddRow(grid, 2, "Sequence Start:", "start", logic.start);
    end = AddRow(grid, 3, "End:", "end", logic.end);
    steps = AddRow(grid, 4, "Steps:", "steps", logic.steps);
    probeHome = AddRow(grid, 5, "Home Position Probe:", "probeHome", logic.probeHome);
    sampleHome = AddRow(grid, 6, "Sample:", "sampleHome", logic.sampleHome);
    homeProbe = new QCheckBox(tr("Return here after scan"), this);
    homeProbe->setObjectName("homeProbe");
    homeProbe->setChecked(logic.homeProbe);
    homeSample = new QCheckBox(tr("Return here after scan"), this);
    homeSample->setObjectName("homeSample");
    homeSample->setChecked(logic.homeSample);
    grid->addWidget(homeProbe, 5, 5);
    grid->addWidget(homeSample, 6, 5);
    layout->addLayout(grid);

    auto* systemRow = new QHBoxLayout;
    opticalSystem = new QComboBox(this);
    opticalSystem->setObjectName("opticalSystem");
    for (const std::string& name : logic.opticalSystems)
        opticalSystem->addItem(ToQ(name));
    if (opticalSystem->findText(ToQ(logic.opticalSystem)) < 0 && !logic.opticalSystem.empty())
        opticalSystem->addItem(ToQ(logic.opticalSystem));
    opticalSystem->setCurrentText(ToQ(logic.opticalSystem));
    systemRow->addWidget(new QLabel(tr("Optical System:"), this));
    systemRow->addWidget(opticalSystem, 1);
    layout->addLayout(systemRow);

    auto* comments = new QGridLayout;
    preComment = new QPlainTextEdit(ToQ(logic.preComment), this);
    preComment->setObjectName("preComment");
    postComment = new QPlainTextEdit(ToQ(logic.postComment), this);
    postComment->setObjectName("postComment");
    for (QPlainTextEdit* edit : {preComment, postComment})
        edit->setFixedHeight(56);
    comments->addWidget(new QLabel(tr("Pre-Acquisition:"), this), 0, 0);
    comments->addWidget(preComment, 0, 1);
    comments->addWidget(new QLabel(tr("Post-Acquisition:"), this), 1, 0);
    comments->addWidget(postComment, 1, 1);
    layout->addLayout(comments);

    if (logic.readOnly) {
        // An acquired sequence keeps what it was taken with; only the closing note changes.
        for (QWidget* w : findChildren<QWidget*>())
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QRadioButton*>(w) ||
                qobject_cast<QCheckBox*>(w) || qobject_cast<QComboBox*>(w))
                w->setEnabled(false);
        preComment->setReadOnly(true);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVidSeqSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CVidSeqSetupDialog::reject);
    layout->addWidget(buttons);
}

CVidSeqSetupDialog::CRow CVidSeqSetupDialog::AddRow(QGridLayout* grid, int row, const char* label,
                                                    const char* name, const std::string values[4]) {
    CRow edits{};
    grid->addWidget(new QLabel(tr(label), this), row, 0);
    const char* axes = "XYZW";
    for (int i = 0; i < 4; ++i) {
        edits[i] = new QLineEdit(ToQ(values[i]), this);
        edits[i]->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(axes[i]));
        edits[i]->setMaximumWidth(90);
        grid->addWidget(edits[i], row, 1 + i);
    }
    return edits;
}

void CVidSeqSetupDialog::accept() {
    logic.waitText = FromQ(wait->text());
    logic.averageText = FromQ(average->text());
    logic.refCountText = FromQ(refCount->text());
    logic.tool = probe->isChecked() ? 'P' : 'S';
    logic.moveType = tracking->isChecked() ? 1049 : 1048;
    logic.refUse = background->isChecked() ? 'B' : ratio->isChecked() ? 'R' : 'I';
    const std::pair<CRow*, std::string*> rows[] = {{&reference, logic.reference},
                                                   {&start, logic.start},
                                                   {&end, logic.end},
                                                   {&steps, logic.steps},
                                                   {&probeHome, logic.probeHome},
                                                   {&sampleHome, logic.sampleHome}};
    for (const auto& [edits, texts] : rows)
        for (int i = 0; i < 4; ++i)
            texts[i] = FromQ((*edits)[i]->text());
    logic.homeProbe = homeProbe->isChecked();
    logic.homeSample = homeSample->isChecked();
    logic.opticalSystem = FromQ(opticalSystem->currentText());
    logic.preComment = FromQ(preComment->toPlainText());
    logic.postComment = FromQ(postComment->toPlainText());
    std::string error;
    if (!logic.Accept(error)) {
        // An empty reason: the user chose not to go on with a long sequence; stay open.
        if (!error.empty())
            Prompt().Message(error, EPromptIcon::Exclamation, CVidSeqSetupLogic::kTitle);
        return;
    }
    QDialog::accept();
}
