#include "gui/obs/SurfaceExportDialog.h"

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

#include "gui/platform/QtText.h"

namespace {

QRadioButton* AddRadio(QWidget* parent, QButtonGroup* group, int id, const QString& caption) {
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(QString("radio%1").arg(id));
    group->addButton(radio, id);
    return radio;
}

void Check(QButtonGroup* group, int id) {
    if (auto* b = group->button(id)) b->setChecked(true);
}

}  // namespace

QLineEdit* CSurfaceExportDialog::AddEdit(const char* name, const std::string& text) {
    auto* edit = new QLineEdit(ToQ(text), this);
    edit->setObjectName(name);
    return edit;
}

CSurfaceExportDialog::CSurfaceExportDialog(CSurfaceExportLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("surfaceExportDialog");
    setWindowTitle(CSurfaceExportLogic::kCaption);
    const SSurfaceDefinition& d = logic.definition;
    auto* layout = new QVBoxLayout(this);

    auto* form = new QGridLayout;
    layout->addLayout(form);
    auto* range = new QPushButton(tr("Time Range:"), this);
    range->setObjectName("timeRange");
    form->addWidget(range, 0, 0);
    rangeLabel = new QLabel(ToQ(logic.RangeText()), this);
    rangeLabel->setObjectName("range");
    form->addWidget(rangeLabel, 0, 1);
    form->addWidget(new QLabel(tr("Output to file:"), this), 1, 0);
    outputEdit = AddEdit("outputPath", logic.outputPath);
    form->addWidget(outputEdit, 1, 1);
    loadInto = new QCheckBox(tr("Load into"), this);
    loadInto->setObjectName("loadInto");
    loadInto->setChecked(logic.loadInto);
    form->addWidget(loadInto, 2, 0);
    commandEdit = AddEdit("loadCommand", logic.loadCommand);
    form->addWidget(commandEdit, 2, 1);
    matrix = new QCheckBox(tr("Matrix"), this);
    matrix->setObjectName("matrix");
    matrix->setChecked(d.matrix);
    form->addWidget(matrix, 2, 2);

    // X and Y: position components, of the probe or of the sample stage.
    auto* axes = new QHBoxLayout;
    layout->addLayout(axes);
    const char* components[4] = {"X", "Y", "Z", "W"};
    xValue = new QButtonGroup(this);
    yValue = new QButtonGroup(this);
    for (auto [title, group, ids] : {std::tuple{tr("X Value"), xValue, kSurfaceXValueIds},
                                     std::tuple{tr("Y Value"), yValue, kSurfaceYValueIds}}) {
        auto* box = new QGroupBox(title, this);
        auto* inner = new QHBoxLayout(box);
        for (int i = 0; i < 4; ++i)
            inner->addWidget(AddRadio(this, group, ids[i], components[i]));
        axes->addWidget(box);
    }
    Check(xValue, d.xValue);
    Check(yValue, d.yValue);
    auto* stageBox = new QGroupBox(tr("Positions of:"), this);
    auto* stageLayout = new QHBoxLayout(stageBox);
    positionOf = new QButtonGroup(this);
    stageLayout->addWidget(AddRadio(this, positionOf, kProbeAxisSystem, tr("Probe")));
    stageLayout->addWidget(AddRadio(this, positionOf, kSampleAxisSystem, tr("Sample")));
    Check(positionOf, d.positionOf);
    axes->addWidget(stageBox);

    // Z: one quantity of one technique.
    auto* zBox = new QGroupBox(tr("Z Quantity"), this);
    auto* zLayout = new QHBoxLayout(zBox);
    layout->addWidget(zBox);
    quantity = new QButtonGroup(this);
    using ETechnique = CSurfaceExportLogic::ETechnique;
    auto addButtons = [&](QVBoxLayout* to, ETechnique technique, bool calibration, bool reference) {
        auto* row = new QHBoxLayout;
        auto add = [&](const QString& caption, const char* name, auto show) {
            auto* button = new QPushButton(caption, this);
            button->setObjectName(name);
            connect(button, &QPushButton::clicked, this, [this, technique, show] {
                TakeChoices();
                (this->logic.*show)(technique);
            });
            row->addWidget(button);
        };
        const QString prefix = technique == ETechnique::Cdp        ? "cdp"
                               : technique == ETechnique::Gradient ? "gradient"
                                                                   : "rawAD";
        if (calibration)
            add(tr("Calibration"), qPrintable(prefix + "Calibration"),
                &CSurfaceExportLogic::ShowCalibration);
        if (reference)
            add(tr("Reference"), qPrintable(prefix + "Reference"),
                &CSurfaceExportLogic::ShowReference);
        add(tr("View Rules"), qPrintable(prefix + "Rules"), &CSurfaceExportLogic::ViewRules);
        to->addLayout(row);
    };

    // CDP (its calibrated quantities beside its voltages) with raw A/D under it in the first
    // column, ISP/PVP in the second, so that the dialog fits a small laptop screen.
    auto* firstColumn = new QVBoxLayout;
    zLayout->addLayout(firstColumn);
    auto* cdpBox = new QGroupBox(tr("CDP"), this);
    auto* cdp = new QVBoxLayout(cdpBox);
    auto* cdpQuantities = new QGridLayout;
    cdp->addLayout(cdpQuantities);
    for (int i = 0; i < 8; ++i)
        cdpQuantities->addWidget(
            AddRadio(this, quantity, ValueCode::kXCurrentDensity + i, kCdpQuantityLabels[i]), i % 4,
            i / 4);
    addButtons(cdp, ETechnique::Cdp, true, true);
    firstColumn->addWidget(cdpBox);

    auto* ionBox = new QGroupBox(tr("ISP/PVP"), this);
    auto* ion = new QGridLayout(ionBox);
    probeList = new QListWidget(this);
    probeList->setObjectName("probeNames");
    for (const auto& name : logic.probeNames)
        probeList->addItem(ToQ(name));
    probeList->setMaximumHeight(4 * probeList->fontMetrics().height() + 12);
    if (d.probe >= 0 && d.probe < probeList->count()) probeList->setCurrentRow(d.probe);
    ion->addWidget(probeList, 0, 0, 1, 4);
    ion->addWidget(AddRadio(this, quantity, ValueCode::kSampleNumber, tr("Sample #")), 1, 0);
    sampleEdit = AddEdit("sampleNumber", logic.sampleText);
    ion->addWidget(sampleEdit, 1, 1);
    ion->addWidget(AddRadio(this, quantity, ValueCode::kScalar, tr("Scalar")), 2, 0);
    ion->addWidget(new QLabel(tr("Calculate gradient as"), this), 3, 0);
    ion->addWidget(new QLabel(tr("from"), this), 3, 1);
    fromEdit = AddEdit("gradFrom", logic.fromText);
    ion->addWidget(fromEdit, 3, 2);
    ion->addWidget(new QLabel(tr("to"), this), 3, 3);
    toEdit = AddEdit("gradTo", logic.toText);
    ion->addWidget(toEdit, 3, 4);
    ion->addWidget(new QLabel(tr("Average repetition #"), this), 4, 0);
    repFirstEdit = AddEdit("repFirst", logic.repFirstText);
    ion->addWidget(repFirstEdit, 4, 2);
    ion->addWidget(new QLabel(tr("to"), this), 4, 3);
    repLastEdit = AddEdit("repLast", logic.repLastText);
    ion->addWidget(repLastEdit, 4, 4);
    for (QLineEdit* number : {sampleEdit, fromEdit, toEdit, repFirstEdit, repLastEdit})
        number->setMaximumWidth(70);
    applyReference = new QCheckBox(tr("Apply Reference to Gradients"), this);
    applyReference->setObjectName("applyReference");
    applyReference->setChecked(d.applyReference);
    ion->addWidget(applyReference, 5, 0, 1, 4);
    auto* ionButtons = new QVBoxLayout;
    addButtons(ionButtons, ETechnique::Gradient, true, true);
    ion->addLayout(ionButtons, 6, 0, 1, 5);
    zLayout->addWidget(ionBox);

    auto* rawBox = new QGroupBox(tr("Raw A/D Measurements:"), this);
    auto* raw = new QVBoxLayout(rawBox);
    auto* channelRow = new QHBoxLayout;
    channelRow->addWidget(AddRadio(this, quantity, ValueCode::kChannel, tr("Channel #")));
    channelEdit = AddEdit("channel", logic.channelText);
    channelEdit->setMaximumWidth(70);
    channelRow->addWidget(channelEdit);
    channelRow->addStretch(1);
    raw->addLayout(channelRow);
    addButtons(raw, ETechnique::RawAD, false, false);
    firstColumn->addWidget(rawBox);
    Check(quantity, d.quantity);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSurfaceExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSurfaceExportDialog::reject);
    layout->addWidget(buttons);
    connect(range, &QPushButton::clicked, this, &CSurfaceExportDialog::OnTimeRange);
}

void CSurfaceExportDialog::TakeChoices() {
    SSurfaceDefinition& d = logic.definition;
    d.xValue = xValue->checkedId();
    d.yValue = yValue->checkedId();
    d.positionOf = positionOf->checkedId();
    d.quantity = quantity->checkedId();
    d.matrix = matrix->isChecked();
    d.applyReference = applyReference->isChecked();
    d.probe = std::max(0, probeList->currentRow());
}

void CSurfaceExportDialog::OnTimeRange() {
    if (logic.TimeRange()) rangeLabel->setText(ToQ(logic.RangeText()));
}

void CSurfaceExportDialog::accept() {
    TakeChoices();
    logic.outputPath = FromQ(outputEdit->text());
    logic.loadInto = loadInto->isChecked();
    logic.loadCommand = FromQ(commandEdit->text());
    logic.sampleText = FromQ(sampleEdit->text());
    logic.fromText = FromQ(fromEdit->text());
    logic.toText = FromQ(toEdit->text());
    logic.repFirstText = FromQ(repFirstEdit->text());
    logic.repLastText = FromQ(repLastEdit->text());
    logic.channelText = FromQ(channelEdit->text());
    if (!logic.Ok()) return;
    QDialog::accept();
}
