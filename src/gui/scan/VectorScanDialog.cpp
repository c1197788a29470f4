#include "gui/scan/VectorScanDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "gui/platform/QtText.h"
#include "platform/Format.h"

namespace {

QLineEdit* Edit(const std::string& text, const QString& name, QWidget* parent, int width) {
    auto* edit = new QLineEdit(ToQ(text), parent);
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* Button(const char* text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CVectorScanDialog::CVectorScanDialog(CVectorScanDefinition& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("vectorScanDialog");
    setWindowTitle(VectorScanText::kTitle);
    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left);

    // ---- Scheduling ----
    auto* scheduling = new QGroupBox(tr("Scheduling"), this);
    auto* sg = new QGridLayout(scheduling);
    interval = Edit(logic.interval, "intervalEdit", scheduling, 70);
    sg->addWidget(new QLabel(tr("Start every"), scheduling), 0, 0);
    sg->addWidget(interval, 0, 1);
    units = new QButtonGroup(this);
    auto* unitRow = new QHBoxLayout;
    const std::pair<const char*, int> unitButtons[] = {
        {"seconds", kIntervalSeconds}, {"minutes", kIntervalMinutes}, {"hours", kIntervalHours}};
    for (const auto& [text, id] : unitButtons) {
        auto* radio = new QRadioButton(tr(text), scheduling);
        radio->setObjectName(QString("unit%1").arg(id));
        units->addButton(radio, id);
        unitRow->addWidget(radio);
    }
    sg->addLayout(unitRow, 0, 2, 1, 3);
    reps = Edit(logic.reps, "repsEdit", scheduling, 70);
    sg->addWidget(new QLabel(tr("for"), scheduling), 1, 0);
    sg->addWidget(reps, 1, 1);
    sg->addWidget(new QLabel(tr("repetitions"), scheduling), 1, 2);
    autoSave = new QCheckBox(tr("Autosave every"), scheduling);
    autoSave->setObjectName("autoSaveCheck");
    autoSaveEvery = Edit(logic.autoSaveEvery, "autoSaveEdit", scheduling, 70);
    sg->addWidget(autoSave, 2, 0);
    sg->addWidget(autoSaveEvery, 2, 1);
    sg->addWidget(new QLabel(tr("samples"), scheduling), 2, 2);
    showStatus = new QCheckBox(tr("Update status"), scheduling);
    showStatus->setObjectName("showStatusCheck");
    sg->addWidget(showStatus, 3, 0, 1, 2);
    auto* resistivity = Button("Set CDP Resistivity", "resistivityButton", scheduling);
    sg->addWidget(resistivity, 3, 2, 1, 2);
    sg->addWidget(new QLabel(tr("Estimated time per scan:"), scheduling), 4, 0, 1, 2);
    estimate = new QLabel(scheduling);
    estimate->setObjectName("estimateLabel");
    estimate->setMinimumWidth(90);
    sg->addWidget(estimate, 4, 2);
    auto* calc = Button("Calc >>", "calcButton", scheduling);
    sg->addWidget(calc, 4, 3);
    auto* preview = Button("Preview ...", "previewButton", scheduling);
    sg->addWidget(preview, 5, 3);
    left->addWidget(scheduling);

    // ---- Add an operation ----
    auto* adding = new QGroupBox(tr("Add an operation ..."), this);
    auto* ag = new QGridLayout(adding);
    ag->addWidget(new QLabel(tr("With"), adding), 0, 0);
    const char* axes[4] = {"X", "Y", "Z", "W"};
    for (int a = 0; a < 4; ++a)
        ag->addWidget(new QLabel(axes[a], adding), 0, 1 + a, Qt::AlignHCenter);
    for (int r = 0; r < 2; ++r) {
        const EStage stage = r == 0 ? EStage::Probe : EStage::Sample;
        const QString which = r == 0 ? "probe" : "sample";
        ag->addWidget(new QLabel(r == 0 ? tr("probe at") : tr("sample at"), adding), 1 + r, 0);
        for (int a = 0; a < 4; ++a) {
            rows[r][a] = Edit("", QString("%1%2Edit").arg(which, axes[a]), adding, 72);
            ag->addWidget(rows[r][a], 1 + r, 1 + a);
        }
        auto* locate = Button("Locate", which + "LocateButton", adding);
        auto* show = Button("Show", which + "ShowButton", adding);
        auto* moveTo = Button("Move To", which + "MoveToButton", adding);
        ag->addWidget(locate, 1 + r, 5);
        ag->addWidget(show, 1 + r, 6);
        ag->addWidget(moveTo, 1 + r, 7);
        connect(locate, &QPushButton::clicked, this,
                [this, stage] { Run([this, stage] { this->logic.Locate(stage); }); });
        connect(show, &QPushButton::clicked, this,
                [this, stage] { Run([this, stage] { this->logic.ShowRow(stage); }); });
        connect(moveTo, &QPushButton::clicked, this,
                [this, stage] { Run([this, stage] { this->logic.MoveToRow(stage); }); });
    }
    auto* setOp = Button("Set Selected Op", "setOpButton", adding);
    auto* getOp = Button("Get Selected Op", "getOpButton", adding);
    auto* opRow = new QHBoxLayout;
    opRow->addWidget(setOp);
    opRow->addWidget(getOp);
    opRow->addStretch(1);
    ag->addLayout(opRow, 3, 1, 1, 7);

    auto* promptBox = new QGridLayout;
    prompts = new QButtonGroup(this);
    promptBox->addWidget(new QLabel(tr("Prompt when adding:"), adding), 0, 0);
    auto* none = new QRadioButton(tr("None"), adding);
    none->setObjectName("promptNone");
    prompts->addButton(none, kPromptNone);
    promptBox->addWidget(none, 0, 1);
    const struct {
        const char* text;
        int id;
        int row, col;
    } promptButtons[] = {{"Show \\", kPromptShowProbe, 1, 1},
                         {"Move /", kPromptMoveProbe, 1, 2},
                         {"Show \\", kPromptShowSample, 2, 1},
                         {"Move /", kPromptMoveSample, 2, 2}};
    promptBox->addWidget(new QLabel(tr("probe"), adding), 1, 3);
    promptBox->addWidget(new QLabel(tr("sample"), adding), 2, 3);
    for (const auto& p : promptButtons) {
        auto* radio = new QRadioButton(QString::fromUtf8(p.text), adding);
        radio->setObjectName(QString("prompt%1").arg(p.id));
        prompts->addButton(radio, p.id);
        promptBox->addWidget(radio, p.row, p.col);
    }
    moveWithMouse = new QCheckBox(tr("Move with mouse"), adding);
    moveWithMouse->setObjectName("moveWithMouseCheck");
    promptBox->addWidget(moveWithMouse, 0, 2, 1, 2);
    promptBox->setColumnStretch(4, 1);
    ag->addLayout(promptBox, 4, 0, 1, 8);

    auto* kinds = new QGridLayout;
    const struct {
        const char* text;
        const char* name;
        EVectorOp kind;
    } opButtons[] = {
        {"Current Density Probe Obs", "cdpObsButton", EVectorOp::CdpPoint},
        {"Current Density Probe Reference", "cdpRefButton", EVectorOp::CdpReference},
        {"ISP/PVP Obs", "ionObsButton", EVectorOp::IonPoint},
        {"ISP/PVP Reference", "ionRefButton", EVectorOp::IonReference},
        {"Raw A/D Obs", "rawADButton", EVectorOp::RawAD},
        {"Video Image", "videoImageButton", EVectorOp::VideoImage},
        {"Intermediate Point", "intermediateButton", EVectorOp::IntermediatePoint},
        {"Grid Scan", "gridScanButton", EVectorOp::GridScan},
    };
    int k = 0;
    for (const auto& b : opButtons) {
        auto* button = Button(b.text, b.name, adding);
        kinds->addWidget(button, k / 2, k % 2);
        const EVectorOp kind = b.kind;
        connect(button, &QPushButton::clicked, this,
                [this, kind] { Run([this, kind] { this->logic.Add(kind); }); });
        ++k;
    }
    gradients = new QListWidget(adding);
    gradients->setObjectName("gradientList");
    gradients->setMaximumHeight(90);
    for (const std::string& name : logic.gradientTypes)
        gradients->addItem(ToQ(name));
    kinds->addWidget(gradients, 0, 2, 3, 1);
    auto* bath = Button("Bath", "bathButton", adding);
    bath->setEnabled(false);  // the bath update of a gradient type is the probe's own command
    kinds->addWidget(bath, 3, 2);
    ag->addLayout(kinds, 5, 0, 1, 8);
    left->addWidget(adding);
    left->addStretch(1);

    // ---- Operations ----
    auto* right = new QVBoxLayout;
    top->addLayout(right, 1);
    auto* operations = new QGroupBox(tr("Operations"), this);
    auto* og = new QVBoxLayout(operations);
    auto* header = new QHBoxLayout;
    header->addWidget(new QLabel(tr("#"), operations));
    probeCol = new QCheckBox(tr("Probe [  X   Y   Z  W  ] "), operations);
    probeCol->setObjectName("probeColCheck");
    sampleCol = new QCheckBox(tr("Sample  [  X   Y   Z  W  ]"), operations);
    sampleCol->setObjectName("sampleColCheck");
    header->addWidget(probeCol);
    header->addWidget(sampleCol);
    header->addWidget(new QLabel(tr("Operation"), operations), 1);
    og->addLayout(header);
    list = new QListWidget(operations);
    list->setObjectName("operationList");
    list->setMinimumWidth(520);
    og->addWidget(list, 1);
    auto* edits = new QHBoxLayout;
    const struct {
        const char* text;
        const char* name;
        bool (CVectorScanDefinition::*command)();
    } listButtons[] = {{"Clear All", "clearAllButton", &CVectorScanDefinition::ClearAll},
                       {"/\\", "upButton", &CVectorScanDefinition::MoveUp},
                       {"Del", "deleteButton", &CVectorScanDefinition::Delete},
                       {"Copy", "copyButton", &CVectorScanDefinition::Copy},
                       {"\\/", "downButton", &CVectorScanDefinition::MoveDown}};
    for (const auto& b : listButtons) {
        auto* button = Button(b.text, b.name, operations);
        edits->addWidget(button);
        auto command = b.command;
        connect(button, &QPushButton::clicked, this,
                [this, command] { Run([this, command] { (this->logic.*command)(); }); });
    }
    auto* unsel = Button("Unsel", "unselButton", operations);
    edits->insertWidget(3, unsel);
    connect(unsel, &QPushButton::clicked, this,
            [this] { Run([this] { this->logic.Unselect(); }); });
    og->addLayout(edits);
    right->addWidget(operations, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    right->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(setOp, &QPushButton::clicked, this,
            [this] { Run([this] { this->logic.SetSelected(); }); });
    connect(getOp, &QPushButton::clicked, this,
            [this] { Run([this] { this->logic.GetSelected(); }); });
    connect(calc, &QPushButton::clicked, this,
            [this] { Run([this] { this->logic.CalcEstimate(); }); });
    connect(preview, &QPushButton::clicked, this,
            [this] { Run([this] { this->logic.Preview(); }); });
    connect(resistivity, &QPushButton::clicked, this, [this] {
        Run([this] {
            if (this->logic.setResistivity) this->logic.setResistivity();
        });
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this] { Run([this] { this->logic.EditSelected(); }); });
    connect(list, &QListWidget::currentRowChanged, this,
            [this](int row) { this->logic.selected = row; });
    for (QCheckBox* column : {probeCol, sampleCol})
        connect(column, &QCheckBox::toggled, this, [this] { Run([] {}); });
    Refresh();
}

void CVectorScanDialog::ReadBack() {
    logic.interval = FromQ(interval->text());
    logic.unit = units->checkedId();
    logic.reps = FromQ(reps->text());
    logic.autoSave = autoSave->isChecked();
    logic.autoSaveEvery = FromQ(autoSaveEvery->text());
    logic.showStatus = showStatus->isChecked();
    for (int r = 0; r < 2; ++r) {
        CDVector4& row = r == 0 ? logic.probeRow : logic.sampleRow;
        double* v[4] = {&row.x, &row.y, &row.z, &row.w};
        for (int a = 0; a < 4; ++a) {
            const std::string text = FromQ(rows[r][a]->text());
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            if (end != text.c_str()) *v[a] = value;
        }
    }
    logic.promptMode = prompts->checkedId();
    logic.moveWithMouse = moveWithMouse->isChecked();
    logic.gradientType = gradients->currentItem() ? FromQ(gradients->currentItem()->text()) : "";
    logic.showProbeCol = probeCol->isChecked();
    logic.showSampleCol = sampleCol->isChecked();
    logic.selected = list->currentRow();
}

void CVectorScanDialog::Refresh() {
    interval->setText(ToQ(logic.interval));
    if (QAbstractButton* b = units->button(logic.unit)) b->setChecked(true);
    reps->setText(ToQ(logic.reps));
    autoSave->setChecked(logic.autoSave);
    autoSaveEvery->setText(ToQ(logic.autoSaveEvery));
    showStatus->setChecked(logic.showStatus);
    estimate->setText(ToQ(logic.estimate));
    for (int r = 0; r < 2; ++r) {
        const CDVector4& row = r == 0 ? logic.probeRow : logic.sampleRow;
        const double v[4] = {row.x, row.y, row.z, row.w};
        for (int a = 0; a < 4; ++a)
            rows[r][a]->setText(ToQ(StrPrintf("%.2lf", v[a])));
    }
    if (QAbstractButton* b = prompts->button(logic.promptMode)) b->setChecked(true);
    moveWithMouse->setChecked(logic.moveWithMouse);
    probeCol->blockSignals(true);
    sampleCol->blockSignals(true);
    probeCol->setChecked(logic.showProbeCol);
    sampleCol->setChecked(logic.showSampleCol);
    probeCol->blockSignals(false);
    sampleCol->blockSignals(false);
    list->blockSignals(true);
    list->clear();
    for (size_t i = 0; i < logic.ops.size(); ++i)
        list->addItem(ToQ(logic.ListLine(i)));
    list->setCurrentRow(logic.selected);
    if (logic.selected < 0) list->clearSelection();
    list->blockSignals(false);
}

void CVectorScanDialog::Run(const std::function<void()>& command) {
    ReadBack();
    command();
    Refresh();
}

void CVectorScanDialog::accept() {
    ReadBack();
    if (!logic.Accept()) {
        Refresh();
        return;
    }
    QDialog::accept();
}
