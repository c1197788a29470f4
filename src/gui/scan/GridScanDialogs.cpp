#include "gui/scan/GridScanDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "app/MainFrame.h"
#include "gui/platform/QtText.h"
#include "hw/FgBoard.h"
#include "hw/MsWcmc.h"
#include "obs/OpticalSystem.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "scan/GridScanSet.h"
#include "tech/IonCalibrationSession.h"
#include "tech/IonRulesLogic.h"
#include "tech/Station.h"
#include "tech/TechDialogs.h"
#include "tech/WireCalibrationEdit.h"

namespace {

QLineEdit* Edit(const char* name, QWidget* parent, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(width);
    return edit;
}

QCheckBox* Check(const char* text, const char* name, QWidget* parent) {
    auto* check = new QCheckBox(QObject::tr(text), parent);
    check->setObjectName(name);
    return check;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QObject::tr(text), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QRadioButton* Radio(QButtonGroup* group, const char* text, const char* name, int id,
                    QWidget* parent) {
    auto* radio = new QRadioButton(QObject::tr(text), parent);
    radio->setObjectName(name);
    group->addButton(radio, id);
    return radio;
}

void Check(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

QString Number(double value) {
    return ToQ(FormatNumberEntry(value));
}

const char* const kAxisNames[4] = {"X", "Y", "Z", "W"};

}  // namespace

// ---- "New Grid Scan Parameter Name" ----------------------------------------------------------

CGridScanNewNameDialog::CGridScanNewNameDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("gridScanNewNameDialog");
    setWindowTitle(CGridScanSetList::kNewTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr(CGridScanSetList::kNewPrompt), this));
    name = new QLineEdit(this);
    name->setObjectName("nameEdit");
    name->setMinimumWidth(260);
    layout->addWidget(name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CGridScanNewNameDialog::Name() const {
    return name->text();
}

// ---- "Load Grid Scan Parameters" -------------------------------------------------------------

CGridScanSetListDialog::CGridScanSetListDialog(CGridScanSetList& list, QWidget* parent)
    : QDialog(parent), list(list) {
    setObjectName("gridScanSetListDialog");
    setWindowTitle(CGridScanSetList::kTitle);
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(tr("Parameter List:"), this));
    names = new QListWidget(this);
    names->setObjectName("parameterList");
    names->setMinimumWidth(240);
    left->addWidget(names);
    layout->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    QPushButton* newButton = Button("New ...", "newButton", this);
    QPushButton* removeButton = Button("Remove", "removeButton", this);
    right->addWidget(buttons);
    right->addSpacing(12);
    right->addWidget(newButton);
    right->addWidget(removeButton);
    right->addStretch(1);
    layout->addLayout(right);

    connect(buttons, &QDialogButtonBox::accepted, this, &CGridScanSetListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(newButton, &QPushButton::clicked, this, &CGridScanSetListDialog::New);
    connect(removeButton, &QPushButton::clicked, this, &CGridScanSetListDialog::Remove);
    // A double click chooses, as OK does.
    connect(names, &QListWidget::itemDoubleClicked, this, &CGridScanSetListDialog::accept);
    Fill();
}

void CGridScanSetListDialog::Fill() {
    names->clear();
    for (const std::string& name : list.names)
        names->addItem(ToQ(name));
    names->setCurrentRow(list.selected);
}

void CGridScanSetListDialog::New() {
    CGridScanNewNameDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (list.New(FromQ(dialog.Name()))) Fill();
}

void CGridScanSetListDialog::Remove() {
    list.selected = names->currentRow();
    if (list.Remove()) Fill();
}

void CGridScanSetListDialog::accept() {
    list.selected = names->currentRow();
    if (list.Ok().empty()) return;
    QDialog::accept();
}

// ---- "Grid Scan Setup" -----------------------------------------------------------------------

CGridScanSetupDialog::CGridScanSetupDialog(CGridScanSetupLogic& logic, CMainFrame* frame,
                                           QWidget* parent)
    : QDialog(parent), logic(logic), frame(frame) {
    setObjectName("gridScanSetupDialog");
    setWindowTitle(CGridScanSetupLogic::kTitle);
    if (frame) {
        // "Show": the point clicked on the live image, as the row's stage position.
        CMainFrame* f = frame;
        logic.showPosition = [f](const std::string& prompt,
                                 EStage stage) -> std::optional<CDVector4> {
            const std::optional<SPixel> pixel = f->FgBoard().TryPickOnImage(prompt);
            if (!pixel) return std::nullopt;
            return f->Station().opticalSystem.ImageToStage(*pixel, CameraViewOf(f->FgBoard()),
                                                           f->Stage(stage).Position());
        };
    }

    // Two columns, so the whole set fits a laptop screen.
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(BuildAcquisition());
    left->addWidget(BuildImagesAndComments());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(BuildArea());
    right->addWidget(BuildGridType());
    right->addWidget(BuildReference());
    right->addWidget(BuildHome());
    right->addStretch(1);
    columns->addLayout(left);
    columns->addLayout(right);
    layout->addLayout(columns);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGridScanSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGridScanSetupDialog::reject);
    layout->addWidget(buttons);

    Show();
    // A stored scan ("Review") is what it was: only its comments can change.
    if (logic.ReadOnly()) {
        for (QWidget* w : findChildren<QWidget*>()) {
            if (w == preComment || w == postComment || qobject_cast<QDialogButtonBox*>(w) ||
                qobject_cast<QGroupBox*>(w) || qobject_cast<QLabel*>(w) || w->parent() == buttons)
                continue;
            w->setEnabled(false);
        }
    }
}

CGridScanSetupDialog::~CGridScanSetupDialog() {
    // A jog left on (the dialog closed from outside) gives the stage back.
    if (movingRow >= 0 && frame) frame->EndJog(logic.RowStage(static_cast<ERow>(movingRow)));
    logic.showPosition = {};
}

QWidget* CGridScanSetupDialog::BuildAcquisition() {
    auto* box = new QGroupBox(tr("Acquisition Rules"), this);
    auto* grid = new QGridLayout(box);
    int line = 0;

    auto* dirRow = new QHBoxLayout;
    targetDir = Edit("targetDirEdit", box, 200);
    // A deep root would push the dialog off the screen: its start gives way, the tooltip
    // holds all of it.
    const QString rootText = ToQ(logic.params.rootDir + "/");
    auto* root = new QLabel(box);
    root->setObjectName("rootLabel");
    root->setText(root->fontMetrics().elidedText(rootText, Qt::ElideLeft, 180));
    root->setToolTip(tr("The group's folder is made in the data root directory %1").arg(rootText));
    dirRow->addWidget(root);
    dirRow->addWidget(targetDir, 1);
    grid->addWidget(new QLabel(tr("Target Directory:"), box), line, 0);
    grid->addLayout(dirRow, line++, 1, 1, 4);

    showStatus = Check("Show Status", "showStatusCheck", box);
    grid->addWidget(showStatus, line, 0);
    auto* locateRow = new QHBoxLayout;
    QPushButton* locateProbe = Button("Locate Probe", "locateProbeButton", box);
    QPushButton* locateSample = Button("Locate Samp", "locateSampleButton", box);
    locateRow->addStretch(1);
    locateRow->addWidget(locateProbe);
    locateRow->addWidget(locateSample);
    grid->addLayout(locateRow, line++, 1, 1, 4);

    auto* everyRow = new QHBoxLayout;
    interval = Edit("intervalEdit", box, 80);
    interval->setToolTip(tr("0: each scan is started through the transfer folder."));
    auto* units = new QButtonGroup(box);
    seconds = Radio(units, "seconds", "secondsRadio", kUnitSeconds, box);
    minutes = Radio(units, "minutes", "minutesRadio", kUnitMinutes, box);
    hours = Radio(units, "hours", "hoursRadio", kUnitHours, box);
    everyRow->addWidget(interval);
    everyRow->addWidget(seconds);
    everyRow->addWidget(minutes);
    everyRow->addWidget(hours);
    everyRow->addStretch(1);
    grid->addWidget(new QLabel(tr("Start every"), box), line, 0);
    grid->addLayout(everyRow, line++, 1, 1, 4);

    auto* repsRow = new QHBoxLayout;
    auto* repsGroup = new QButtonGroup(box);
    forReps = new QRadioButton(tr("for"), box);
    forReps->setObjectName("forRadio");
    continuous = new QRadioButton(tr("continuously up to 999"), box);
    continuous->setObjectName("continuousRadio");
    repsGroup->addButton(forReps);
    repsGroup->addButton(continuous);
    reps = Edit("repsEdit", box, 60);
    repsRow->addWidget(forReps);
    repsRow->addWidget(reps);
    repsRow->addWidget(new QLabel(tr("repetitions"), box));
    repsRow->addSpacing(12);
    repsRow->addWidget(continuous);
    repsRow->addStretch(1);
    grid->addLayout(repsRow, line++, 1, 1, 4);

    auto* estimateRow = new QHBoxLayout;
    estimate = new QLabel(box);
    estimate->setObjectName("estimateText");
    estimate->setMinimumWidth(estimate->fontMetrics().horizontalAdvance("000000.0 sec") + 8);
    QPushButton* calc = Button("<< Calc", "calcButton", box);
    estimateRow->addWidget(estimate);
    estimateRow->addWidget(calc);
    estimateRow->addStretch(1);
    grid->addWidget(new QLabel(tr("Estimated time per scan:"), box), line, 0);
    grid->addLayout(estimateRow, line++, 1, 1, 4);
    connect(calc, &QPushButton::clicked, this, &CGridScanSetupDialog::Calc);

    auto* saveRow = new QHBoxLayout;
    autoSave = Check("Autosave every", "autoSaveCheck", box);
    autoSaveCount = Edit("autoSaveEdit", box, 60);
    saveRow->addWidget(autoSaveCount);
    saveRow->addWidget(new QLabel(tr("samples"), box));
    saveRow->addStretch(1);
    grid->addWidget(autoSave, line, 0);
    grid->addLayout(saveRow, line++, 1, 1, 4);

    // What each point takes, with the rules and calibrations the scan keeps its own copies of.
    storeWire = Check("CDP observations", "storeWireCheck", box);
    QPushButton* wireDefine = Button("Define", "wireDefineButton", box);
    QPushButton* wireCal = Button("Cal...", "wireCalButton", box);
    QPushButton* wireResis = Button("Resis", "wireResisButton", box);
    grid->addWidget(storeWire, line, 0);
    grid->addWidget(wireDefine, line, 1);
    grid->addWidget(wireCal, line, 2);
    grid->addWidget(wireResis, line++, 3);
    connect(wireDefine, &QPushButton::clicked, this, [this] {
        EditWireRules(this->logic.params.wireRules, this->logic.params.paramSetName.c_str());
    });
    connect(wireCal, &QPushButton::clicked, this, [this] {
        if (this->frame)
            EditWireCalibration(this->logic.params.wireCal, nullptr, this->frame->Station());
    });
    connect(wireResis, &QPushButton::clicked, this, [this] {
        CWireCalibration& cal = this->logic.params.wireCal;
        CResistivityLogic resistivity(cal.Resistivity);
        if (TechDialogs().SetResistivity(resistivity)) cal.Resistivity = resistivity.value;
    });
    wireCal->setEnabled(frame != nullptr);

    storeRawAD = Check("Raw A/D observations", "storeRawADCheck", box);
    QPushButton* rawDefine = Button("Define", "rawADDefineButton", box);
    grid->addWidget(storeRawAD, line, 0);
    grid->addWidget(rawDefine, line++, 1);
    connect(rawDefine, &QPushButton::clicked, this, [this] {
        EditRawADRules(this->logic.params.rawADRules, this->logic.params.paramSetName.c_str());
    });

    storeGradient = Check("ISP/PVP obs:", "storeGradientCheck", box);
    gradients = new QListWidget(box);
    gradients->setObjectName("gradientList");
    gradients->setMaximumHeight(gradients->fontMetrics().height() * 3 + 8);
    gradients->setMaximumWidth(200);
    gradients->setToolTip(tr("Double click a name to edit its sampling rules."));
    gradientChoice = new QComboBox(box);
    gradientChoice->setObjectName("gradientChoice");
    if (frame)
        for (const std::string& name : frame->Station().probeNames)
            gradientChoice->addItem(ToQ(name));
    QPushButton* add = Button("Add", "gradientAddButton", box);
    QPushButton* del = Button("Del", "gradientDelButton", box);
    QPushButton* ionCal = Button("Cal...", "gradientCalButton", box);
    QPushButton* bath = Button("Bath", "gradientBathButton", box);
    auto* gradientButtons = new QGridLayout;
    gradientButtons->addWidget(gradientChoice, 0, 0, 1, 2);
    gradientButtons->addWidget(add, 1, 0);
    gradientButtons->addWidget(del, 1, 1);
    gradientButtons->addWidget(ionCal, 2, 0);
    gradientButtons->addWidget(bath, 2, 1);
    grid->addWidget(storeGradient, line, 0, Qt::AlignTop);
    grid->addWidget(gradients, line, 1, 1, 2);
    grid->addLayout(gradientButtons, line++, 3, 1, 2);
    auto* note = new QLabel(tr("Scans use the probes' own rules and calibrations."), box);
    note->setObjectName("gradientNote");
    note->setWordWrap(true);
    grid->addWidget(note, line++, 1, 1, 4);
    connect(add, &QPushButton::clicked, this, [this] {
        if (this->logic.AddGradient(FromQ(gradientChoice->currentText()))) ShowGradients();
    });
    connect(del, &QPushButton::clicked, this, [this] {
        const std::string name = SelectedGradient();
        if (!CGridScanSetupLogic::CheckGradientSelected(name)) return;
        if (this->logic.DelGradient(name)) ShowGradients();
    });
    connect(ionCal, &QPushButton::clicked, this, &CGridScanSetupDialog::EditGradientCalibration);
    // The bath update's settings are part of a probe's sampling rules.
    connect(bath, &QPushButton::clicked, this, &CGridScanSetupDialog::EditGradientRules);
    connect(gradients, &QListWidget::itemDoubleClicked, this,
            &CGridScanSetupDialog::EditGradientRules);

    locateProbe->setEnabled(frame != nullptr);
    locateSample->setEnabled(frame != nullptr);
    connect(locateProbe, &QPushButton::clicked, this, [this] {
        if (this->frame) this->frame->Locate(EStage::Probe);
    });
    connect(locateSample, &QPushButton::clicked, this, [this] {
        if (this->frame) this->frame->Locate(EStage::Sample);
    });

    connect(autoSave, &QCheckBox::toggled, this, &CGridScanSetupDialog::UpdateEnabled);
    connect(continuous, &QRadioButton::toggled, this, &CGridScanSetupDialog::UpdateEnabled);
    return box;
}

void CGridScanSetupDialog::AddRow(QGridLayout* grid, int line, ERow row, const QString& label,
                                  QWidget* parent) {
    static const char* const kRowNames[kRows] = {"start",     "end",       "origin",
                                                 "reference", "probeHome", "sampleHome"};
    const int r = static_cast<int>(row);
    SRowWidgets& w = rows[static_cast<size_t>(r)];
    grid->addWidget(new QLabel(label, parent), line, 0);
    for (int a = 0; a < 4; ++a) {
        const std::string name = StrPrintf("%s%sEdit", kRowNames[r], kAxisNames[a]);
        w.axes[static_cast<size_t>(a)] = Edit(name.c_str(), parent, 64);
        grid->addWidget(w.axes[static_cast<size_t>(a)], line, 1 + a);
    }
    const std::string show = StrPrintf("%sShowButton", kRowNames[r]);
    const std::string move = StrPrintf("%sMoveToButton", kRowNames[r]);
    w.show = Button("Show", show.c_str(), parent);
    w.moveTo = Button("Move to", move.c_str(), parent);
    w.moveTo->setCheckable(true);
    w.show->setEnabled(frame != nullptr);
    w.moveTo->setEnabled(frame != nullptr);
    grid->addWidget(w.show, line, 5);
    grid->addWidget(w.moveTo, line, 6);
    connect(w.show, &QPushButton::clicked, this, [this, row] { ShowRowClicked(row); });
    connect(w.moveTo, &QPushButton::clicked, this, [this, row] { MoveToClicked(row); });
}

namespace {
void AxisHeader(QGridLayout* grid, QWidget* parent) {
    // The rows of coordinates sit close, so the whole set stays on a laptop screen.
    grid->setVerticalSpacing(3);
    for (int a = 0; a < 4; ++a)
        grid->addWidget(new QLabel(kAxisNames[a], parent), 0, 1 + a, Qt::AlignHCenter);
}
}  // namespace

QWidget* CGridScanSetupDialog::BuildArea() {
    auto* box = new QGroupBox(tr("Scan Area (in microns relative to origin)"), this);
    auto* grid = new QGridLayout(box);
    AxisHeader(grid, box);
    AddRow(grid, 1, ERow::Start, tr("Start:"), box);
    AddRow(grid, 2, ERow::End, tr("End:"), box);
    AddRow(grid, 3, ERow::Origin, tr("Origin:"), box);

    stepType = new QButtonGroup(box);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(Radio(stepType, "Log Grid", "logGridRadio", kStepLogGrid, box));
    gridRow->addWidget(Radio(stepType, "Grid:", "gridRadio", kStepGrid, box));
    for (int a = 0; a < 4; ++a) {
        const std::string name = StrPrintf("steps%sEdit", kAxisNames[a]);
        steps[static_cast<size_t>(a)] = Edit(name.c_str(), box, 55);
        steps[static_cast<size_t>(a)]->setToolTip(tr("Grid points on %1").arg(kAxisNames[a]));
        gridRow->addWidget(steps[static_cast<size_t>(a)]);
    }
    gridRow->addStretch(1);
    grid->addLayout(gridRow, 4, 0, 1, 7);
    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(Radio(stepType, "Line /", "lineRadio", kStepLine, box));
    lineRow->addWidget(Radio(stepType, "Log Inc /", "logIncRadio", kStepLogInc, box));
    lineRow->addWidget(Radio(stepType, "Log Dec", "logDecRadio", kStepLogDec, box));
    numPoints = Edit("numPointsEdit", box, 70);
    lineRow->addWidget(numPoints);
    lineRow->addWidget(new QLabel(tr("steps"), box));
    lineRow->addStretch(1);
    grid->addLayout(lineRow, 5, 0, 1, 7);
    connect(stepType, &QButtonGroup::idClicked, this, &CGridScanSetupDialog::UpdateEnabled);
    return box;
}

QWidget* CGridScanSetupDialog::BuildGridType() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* typeBox = new QGroupBox(tr("Grid Type"), row);
    auto* typeGrid = new QGridLayout(typeBox);
    gridType = new QButtonGroup(typeBox);
    firstAxis = new QButtonGroup(typeBox);
    typeGrid->addWidget(Radio(gridType, "Zig-Zag", "zigZagRadio", kGridZigZag, typeBox), 0, 0);
    typeGrid->addWidget(Radio(gridType, "Flyback", "flybackRadio", kGridFlyback, typeBox), 1, 0);
    typeGrid->addWidget(Radio(firstAxis, "X axis first", "xFirstRadio", kFirstAxisX, typeBox), 0,
                        1);
    typeGrid->addWidget(Radio(firstAxis, "W axis first", "wFirstRadio", kFirstAxisW, typeBox), 1,
                        1);
    alongAxes = Check("Move along axes only", "alongAxesCheck", typeBox);
    typeGrid->addWidget(alongAxes, 2, 0, 1, 2);
    layout->addWidget(typeBox);

    auto* toolBox = new QGroupBox(tr("Scan Tool"), row);
    auto* toolLayout = new QVBoxLayout(toolBox);
    scanTool = new QButtonGroup(toolBox);
    toolLayout->addWidget(Radio(scanTool, "Probe", "probeToolRadio", kScanToolProbe, toolBox));
    toolLayout->addWidget(Radio(scanTool, "Sample", "sampleToolRadio", kScanToolSample, toolBox));
    toolLayout->addStretch(1);
    layout->addWidget(toolBox);

    auto* moveBox = new QGroupBox(tr("Move Type"), row);
    auto* moveLayout = new QVBoxLayout(moveBox);
    moveType = new QButtonGroup(moveBox);
    moveLayout->addWidget(Radio(moveType, "Linear Interp", "linearRadio", kMoveFast, moveBox));
    moveLayout->addWidget(Radio(moveType, "Tracking", "trackingRadio", kMoveTracking, moveBox));
    moveLayout->addStretch(1);
    layout->addWidget(moveBox);
    return row;
}

QWidget* CGridScanSetupDialog::BuildReference() {
    auto* box = new QGroupBox(tr("Reference (in microns relative to origin)"), this);
    auto* grid = new QGridLayout(box);
    AxisHeader(grid, box);
    AddRow(grid, 1, ERow::Reference, tr("Location:"), box);
    auto* checks = new QGridLayout;
    refBeforeWire = Check("before", "refBeforeWireCheck", box);
    refAfterWire = Check("after scan", "refAfterWireCheck", box);
    refBeforeGradient = Check("before", "refBeforeGradientCheck", box);
    refAfterGradient = Check("after scan", "refAfterGradientCheck", box);
    refBeforeBath = Check("before", "refBeforeBathCheck", box);
    refAfterBath = Check("after scan", "refAfterBathCheck", box);
    const std::pair<const char*, std::pair<QCheckBox*, QCheckBox*>> kinds[] = {
        {"CDP:", {refBeforeWire, refAfterWire}},
        {"Gradient:", {refBeforeGradient, refAfterGradient}},
        {"Bath:", {refBeforeBath, refAfterBath}}};
    int column = 0;
    for (const auto& [label, pair] : kinds) {
        checks->addWidget(new QLabel(tr(label), box), 0, column, Qt::AlignRight);
        checks->addWidget(pair.first, 0, column + 1);
        checks->addWidget(pair.second, 1, column + 1);
        column += 2;
    }
    checks->setColumnStretch(column, 1);
    grid->addLayout(checks, 2, 1, 1, 6);
    return box;
}

QWidget* CGridScanSetupDialog::BuildHome() {
    auto* box = new QGroupBox(tr("Home Position (in microns relative to origin)"), this);
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    AddRow(grid, 1, ERow::ProbeHome, tr("Probe:"), box);
    AddRow(grid, 2, ERow::SampleHome, tr("Sample:"), box);
    homeProbe = Check("On", "homeProbeCheck", box);
    homeSample = Check("On", "homeSampleCheck", box);
    grid->addWidget(homeProbe, 1, 7);
    grid->addWidget(homeSample, 2, 7);
    return box;
}

QWidget* CGridScanSetupDialog::BuildImagesAndComments() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* images = new QGroupBox(tr("Store Video Image"), panel);
    auto* imageRow = new QHBoxLayout(images);
    imageBefore = Check("Before each scan", "imageBeforeCheck", images);
    imageAfter = Check("After each scan", "imageAfterCheck", images);
    imageRow->addWidget(imageBefore);
    imageRow->addWidget(imageAfter);
    imageRow->addStretch(1);
    layout->addWidget(images);

    auto* comments = new QGroupBox(tr("Comments"), panel);
    auto* grid = new QGridLayout(comments);
    preComment = new QLineEdit(comments);
    preComment->setObjectName("preCommentEdit");
    postComment = new QLineEdit(comments);
    postComment->setObjectName("postCommentEdit");
    grid->addWidget(new QLabel(tr("Pre-Acquisition:"), comments), 0, 0);
    grid->addWidget(preComment, 0, 1);
    grid->addWidget(new QLabel(tr("Post-Acquisition:"), comments), 1, 0);
    grid->addWidget(postComment, 1, 1);
    layout->addWidget(comments);
    return panel;
}

// ---- Values
// --------------------------------------------------------------------------------------

void CGridScanSetupDialog::Show() {
    const CScanDoc& p = logic.params;
    targetDir->setText(ToQ(p.groupDir));
    showStatus->setChecked(p.showStatus);
    interval->setText(Number(p.interval));
    Check(seconds->group(), p.intervalUnit);
    if (!seconds->group()->checkedButton()) seconds->setChecked(true);
    reps->setText(QString::number(p.reps));
    (p.continuous ? continuous : forReps)->setChecked(true);
    estimate->setText(ToQ(logic.estimateText));
    autoSave->setChecked(p.autoSave != 0);
    autoSaveCount->setText(QString::number(p.numAutoSaveObs));
    storeWire->setChecked(p.storeWire);
    storeRawAD->setChecked(p.storeRawAD);
    storeGradient->setChecked(p.storeGradient);
    ShowGradients();
    for (int r = 0; r < kRows; ++r)
        ShowRow(static_cast<ERow>(r));
    Check(stepType, p.stepType);
    for (int a = 0; a < 4; ++a)
        steps[static_cast<size_t>(a)]->setText(QString::number(p.steps[a]));
    numPoints->setText(QString::number(p.numPoints));
    Check(gridType, p.gridType);
    Check(firstAxis, p.firstAxis);
    alongAxes->setChecked(p.alongAxes);
    Check(scanTool, p.scanTool);
    Check(moveType, p.moveType);
    refBeforeWire->setChecked(p.refBeforeWire);
    refAfterWire->setChecked(p.refAfterWire);
    refBeforeGradient->setChecked(p.refBeforeGradient);
    refAfterGradient->setChecked(p.refAfterGradient);
    refBeforeBath->setChecked(p.refBeforeBath);
    refAfterBath->setChecked(p.refAfterBath);
    homeProbe->setChecked(p.homeProbe);
    homeSample->setChecked(p.homeSample);
    imageBefore->setChecked(p.imageBefore);
    imageAfter->setChecked(p.imageAfter);
    preComment->setText(ToQ(p.preComment));
    postComment->setText(ToQ(p.postComment));
    UpdateEnabled();
}

void CGridScanSetupDialog::ShowRow(ERow row) {
    const CDVector4& v = logic.Row(row);
    SRowWidgets& w = rows[static_cast<size_t>(row)];
    for (int a = 0; a < 4; ++a)
        w.axes[static_cast<size_t>(a)]->setText(Number(v[a]));
}

void CGridScanSetupDialog::ShowGradients() {
    const std::string selected = SelectedGradient();
    gradients->clear();
    for (const auto& rules : logic.params.ionRules)
        gradients->addItem(ToQ(rules->name));
    const QList<QListWidgetItem*> again = gradients->findItems(ToQ(selected), Qt::MatchExactly);
    if (!again.isEmpty()) gradients->setCurrentItem(again.front());
}

void CGridScanSetupDialog::UpdateEnabled() {
    if (logic.ReadOnly()) return;
    const int type = stepType->checkedId();
    const bool gridSteps = type == kStepGrid || type == kStepLogGrid;
    for (QLineEdit* edit : steps)
        edit->setEnabled(gridSteps);
    numPoints->setEnabled(!gridSteps);
    reps->setEnabled(!continuous->isChecked());
    autoSaveCount->setEnabled(autoSave->isChecked());
}

bool CGridScanSetupDialog::TakeNumber(QLineEdit* edit, const char* label, double& value) {
    const std::optional<double> number = ParseNumberEntry(FromQ(edit->text()));
    if (!number) {
        Prompt().Message(StrPrintf("Please enter a number for \"%s\" (not \"%s\").", label,
                                   FromQ(edit->text()).c_str()),
                         EPromptIcon::Exclamation, CGridScanSetupLogic::kErrorTitle);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    value = *number;
    return true;
}

bool CGridScanSetupDialog::TakeWhole(QLineEdit* edit, const char* label, int64_t low, int64_t high,
                                     int& value) {
    const std::optional<int64_t> number = ParseWholeEntry(FromQ(edit->text()), low, high);
    if (!number) {
        Prompt().Message(
            StrPrintf("Please enter a whole number from %lld to %lld for \"%s\" (not \"%s\").",
                      static_cast<long long>(low), static_cast<long long>(high), label,
                      FromQ(edit->text()).c_str()),
            EPromptIcon::Exclamation, CGridScanSetupLogic::kErrorTitle);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    value = static_cast<int>(*number);
    return true;
}

bool CGridScanSetupDialog::Transfer() {
    CScanDoc& p = logic.params;
    p.preComment = FromQ(preComment->text());
    p.postComment = FromQ(postComment->text());
    if (logic.ReadOnly()) return true;
    p.groupDir = FromQ(targetDir->text().trimmed());
    p.showStatus = showStatus->isChecked();
    if (!TakeNumber(interval, "Start every", p.interval)) return false;
    p.intervalUnit = seconds->group()->checkedId();
    p.continuous = continuous->isChecked();
    if (!p.continuous && !TakeWhole(reps, "repetitions", 1, CGridScanSetupLogic::kMaxReps, p.reps))
        return false;
    p.autoSave = autoSave->isChecked() ? 1 : 0;
    if (autoSave->isChecked() && !TakeWhole(autoSaveCount, "samples", 1, 65535, p.numAutoSaveObs))
        return false;
    p.storeWire = storeWire->isChecked();
    p.storeRawAD = storeRawAD->isChecked();
    p.storeGradient = storeGradient->isChecked();
    static const char* const kRowLabels[kRows] = {
        "Start:", "End:", "Origin:", "Location:", "Probe:", "Sample:"};
    for (int r = 0; r < kRows; ++r) {
        CDVector4& v = logic.Row(static_cast<ERow>(r));
        for (int a = 0; a < 4; ++a) {
            const std::string label = StrPrintf("%s %s", kRowLabels[r], kAxisNames[a]);
            if (!TakeNumber(rows[static_cast<size_t>(r)].axes[static_cast<size_t>(a)],
                            label.c_str(), v[a]))
                return false;
        }
    }
    p.stepType = stepType->checkedId();
    if (p.stepType == kStepGrid || p.stepType == kStepLogGrid) {
        for (int a = 0; a < 4; ++a) {
            const std::string label = StrPrintf("Grid: %s", kAxisNames[a]);
            if (!TakeWhole(steps[static_cast<size_t>(a)], label.c_str(), 1,
                           CGridScanSetupLogic::kMaxSteps, p.steps[a]))
                return false;
        }
    } else if (!TakeWhole(numPoints, "steps", 1, CGridScanSetupLogic::kMaxPoints, p.numPoints)) {
        return false;
    }
    p.gridType = gridType->checkedId();
    p.firstAxis = firstAxis->checkedId();
    p.alongAxes = alongAxes->isChecked();
    p.scanTool = scanTool->checkedId();
    p.moveType = moveType->checkedId();
    p.refBeforeWire = refBeforeWire->isChecked();
    p.refAfterWire = refAfterWire->isChecked();
    p.refBeforeGradient = refBeforeGradient->isChecked();
    p.refAfterGradient = refAfterGradient->isChecked();
    p.refBeforeBath = refBeforeBath->isChecked();
    p.refAfterBath = refAfterBath->isChecked();
    p.homeProbe = homeProbe->isChecked();
    p.homeSample = homeSample->isChecked();
    p.imageBefore = imageBefore->isChecked();
    p.imageAfter = imageAfter->isChecked();
    return true;
}

// ---- Buttons
// -------------------------------------------------------------------------------------

void CGridScanSetupDialog::Calc() {
    if (!Transfer()) return;
    logic.Calc();
    estimate->setText(ToQ(logic.estimateText));
}

void CGridScanSetupDialog::ShowRowClicked(ERow row) {
    if (movingRow >= 0 || !Transfer()) return;
    if (logic.Show(row)) {
        ShowRow(row);
        estimate->setText(ToQ(logic.estimateText));
    }
}

void CGridScanSetupDialog::MoveToClicked(ERow row) {
    QPushButton* button = rows[static_cast<size_t>(row)].moveTo;
    if (movingRow == static_cast<int>(row)) {
        EndMoveTo();
        return;
    }
    if (movingRow >= 0 || !frame || !Transfer()) {
        button->setChecked(false);
        return;
    }
    const CGridScanSetupLogic::EMoveTo how = logic.BeginMoveTo();
    if (how == CGridScanSetupLogic::EMoveTo::Cancelled) {
        button->setChecked(false);
        return;
    }
    frame->StartJog(logic.RowStage(row), how == CGridScanSetupLogic::EMoveTo::KeyboardAndMouse);
    movingRow = static_cast<int>(row);
    button->setChecked(true);
    button->setText(tr("<Esc>"));
}

void CGridScanSetupDialog::EndMoveTo() {
    if (movingRow < 0) return;
    const ERow row = static_cast<ERow>(movingRow);
    movingRow = -1;
    if (frame) frame->EndJog(logic.RowStage(row));
    logic.EndMoveTo(row);
    QPushButton* button = rows[static_cast<size_t>(row)].moveTo;
    button->setChecked(false);
    button->setText(tr("Move to"));
    ShowRow(row);
    estimate->setText(ToQ(logic.estimateText));
}

std::string CGridScanSetupDialog::SelectedGradient() const {
    const QListWidgetItem* item = gradients->currentItem();
    return item ? FromQ(item->text()) : std::string();
}

void CGridScanSetupDialog::EditGradientRules() {
    const std::string name = SelectedGradient();
    if (!CGridScanSetupLogic::CheckGradientSelected(name) || !frame) return;
    for (auto& rules : logic.params.ionRules)
        if (rules->name == name) OpenStoredIonRules(frame->Station(), *rules, nullptr);
}

void CGridScanSetupDialog::EditGradientCalibration() {
    const std::string name = SelectedGradient();
    if (!CGridScanSetupLogic::CheckGradientSelected(name)) return;
    CScanDoc& p = logic.params;
    for (size_t i = 0; i < p.ionRules.size() && i < p.ionCals.size(); ++i)
        if (p.ionRules[i]->name == name) EditStoredIonCalibration(*p.ionCals[i], nullptr);
}

void CGridScanSetupDialog::keyPressEvent(QKeyEvent* event) {
    // Esc ends a "Move To" (and only that) while one is on.
    if (event->key() == Qt::Key_Escape && movingRow >= 0) {
        EndMoveTo();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CGridScanSetupDialog::reject() {
    if (movingRow >= 0) {
        EndMoveTo();
        return;
    }
    QDialog::reject();
}

void CGridScanSetupDialog::accept() {
    if (movingRow >= 0) EndMoveTo();
    if (!Transfer()) return;
    if (!logic.Ok()) {
        estimate->setText(ToQ(logic.estimateText));
        return;
    }
    QDialog::accept();
}

// ---- The F9 road
// ---------------------------------------------------------------------------------

bool CQtGridScanDialogs::ChooseSet(CGridScanSetList& list) {
    CGridScanSetListDialog dialog(list, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CQtGridScanDialogs::Setup(CGridScanSetupLogic& setup) {
    CGridScanSetupDialog dialog(setup, frame, parent);
    return dialog.exec() == QDialog::Accepted;
}
