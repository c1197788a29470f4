#include "gui/obs/ExportTextDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
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

std::function<QString(QWidget*, const QString&, const QString&)> CExportTextDialog::chooseFile =
    [](QWidget* parent, const QString& path, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, QString(), path, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };

QString CExportTextDialog::QtFilter(const char* mfcFilter) {
    // "Label|pattern|Label|pattern||": the labels name their patterns already.
    const QStringList parts = QString::fromLatin1(mfcFilter).split('|');
    QStringList labels;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].isEmpty()) labels << parts[i];
    return labels.join(";;");
}

QCheckBox* CExportTextDialog::AddCheck(const char* name, const QString& caption, int* field) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    checks.push_back({box, field});
    return box;
}

CExportTextDialog::CExportTextDialog(CTextExportLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("exportTextDialog");
    setWindowTitle(CTextExportLogic::kCaption);
    SExportOptions& o = logic.options;
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    // Which classes, in two columns so that the dialog fits a small laptop screen.
    auto* classes = new QGridLayout;
    top->addLayout(classes);
    int cell = 0;
    auto group = [&](const QString& title, std::initializer_list<QCheckBox*> boxes) {
        auto* box = new QGroupBox(title, this);
        auto* inner = new QVBoxLayout(box);
        for (QCheckBox* b : boxes)
            inner->addWidget(b);
        classes->addWidget(box, cell / 2, cell % 2, Qt::AlignTop);
        ++cell;
    };
    group(tr("ISP/PVP Gradient Observations"),
          {AddCheck("exportIonPt", tr("Point"), &o.exportIonPt),
           AddCheck("exportIonRef", tr("Reference"), &o.exportIonRef),
           AddCheck("exportIonCal", tr("Calibration"), &o.exportIonCal),
           AddCheck("exportIonSampRules", tr("Sampling Rules"), &o.exportIonSampRules)});
    group(tr("CDP Observations"),
          {AddCheck("exportWirePt", tr("Point"), &o.exportWirePt),
           AddCheck("exportWireRef", tr("Reference"), &o.exportWireRef),
           AddCheck("exportWireCal", tr("Calibration"), &o.exportWireCal),
           AddCheck("exportWireSampRules", tr("Sampling Rules"), &o.exportWireSampRules)});
    group(tr("Raw A/D Observations"),
          {AddCheck("exportRawAD", tr("Samples"), &o.exportRawAD),
           AddCheck("exportRawADSampRules", tr("Sampling Rules"), &o.exportRawADSampRules)});
    auto* others = new QVBoxLayout;
    for (QCheckBox* b : {AddCheck("exportDIB", tr("DIB Images"), &o.exportDIB),
                         AddCheck("exportLog", tr("Log Entries"), &o.exportLog),
                         AddCheck("exportVidSeq", tr("Video Image Sequences"), &o.exportVidSeq),
                         AddCheck("exportScan", tr("Scans (.SCN files)"), &o.exportScan),
                         AddCheck("exportContour", tr("Contour Points"), &o.exportContour)})
        others->addWidget(b);
    others->addStretch(1);
    classes->addLayout(others, cell / 2, cell % 2);

    // Which columns. The field names are swapped: useData is "Number label", useNumber "Data".
    auto* columnsBox = new QGroupBox(this);
    auto* columns = new QVBoxLayout(columnsBox);
    top->addWidget(columnsBox);
    for (QCheckBox* b :
         {AddCheck("includeHeader", tr("Header information (source file name, output time)"),
                   &o.includeHeader),
          AddCheck("useData", tr("Number label"), &o.useData),
          AddCheck("useNumber", tr("Data"), &o.useNumber),
          AddCheck("useDescrip", tr("Description"), &o.useDescrip),
          AddCheck("useDate", tr("Date"), &o.useDate), AddCheck("useTime", tr("Time"), &o.useTime),
          AddCheck("useProbePos", tr("Probe Position"), &o.useProbePos),
          AddCheck("useSampPos", tr("Sample Position"), &o.useSampPos),
          AddCheck("useCalcs", tr("Calculations (gradients, current vectors, etc.)"), &o.useCalcs)})
        columns->addWidget(b);
    concentrations = new QCheckBox(tr("Use Concentrations (ion calibrations)"), this);
    concentrations->setObjectName("useConcentrations");
    columns->addWidget(concentrations);

    // Times: clock times or elapsed from the reference time; beside them the separators.
    auto* middle = new QHBoxLayout;
    layout->addLayout(middle);
    auto* timeBox = new QGroupBox(this);
    auto* timeLayout = new QGridLayout(timeBox);
    middle->addWidget(timeBox, 1);
    auto* separatorBox = new QGroupBox(this);
    auto* separatorLayout = new QVBoxLayout(separatorBox);
    middle->addWidget(separatorBox);
    separators = new QButtonGroup(this);
    for (auto [id, caption] : {std::pair{kDataComma, tr("Comma Separated Values")},
                               std::pair{kDataTab, tr("Tab Delimiters")}}) {
        auto* radio = new QRadioButton(caption, this);
        radio->setObjectName(QString("dataType%1").arg(id));
        separators->addButton(radio, id);
        separatorLayout->addWidget(radio);
    }
    separatorLayout->addStretch(1);
    timeTypes = new QButtonGroup(this);
    int column = 0;
    for (auto [id, caption] :
         {std::pair{kTimeClock, tr("HH:MM:SS.XXX")}, std::pair{kTimeHours, tr("Hours")},
          std::pair{kTimeMinutes, tr("Minutes")}, std::pair{kTimeSeconds, tr("Seconds from")}}) {
        auto* radio = new QRadioButton(caption, this);
        radio->setObjectName(QString("timeType%1").arg(id));
        timeTypes->addButton(radio, id);
        timeLayout->addWidget(radio, 0, column++);
    }
    const char* names[6] = {"month", "day", "year", "hour", "minute", "second"};
    const QString captions[6] = {tr("Month"), tr("Day"), tr("Year"),
                                 tr("Hour"),  tr("Min"), tr("Sec")};
    for (int i = 0; i < 6; ++i) {
        timeLayout->addWidget(new QLabel(captions[i], this), 1, i);
        timeEdits[i] = new QLineEdit(this);
        timeEdits[i]->setObjectName(names[i]);
        timeEdits[i]->setMaximumWidth(i == 2 ? 80 : 60);
        timeLayout->addWidget(timeEdits[i], 2, i);
    }
    auto* midnight = new QPushButton(tr("Midnight"), this);
    midnight->setObjectName("midnight");
    timeLayout->addWidget(midnight, 2, 6);

    // Where to and what range.
    auto* form = new QGridLayout;
    layout->addLayout(form);
    form->addWidget(new QLabel(tr("Output to file:"), this), 0, 0);
    outputEdit = new QLineEdit(this);
    outputEdit->setObjectName("outputPath");
    form->addWidget(outputEdit, 0, 1);
    auto* browse = new QPushButton(tr("Browse ..."), this);
    browse->setObjectName("browse");
    form->addWidget(browse, 0, 2);
    auto* from = new QPushButton(tr("Observations From:"), this);
    from->setObjectName("observationsFrom");
    form->addWidget(from, 1, 0);
    rangeLabel = new QLabel(this);
    rangeLabel->setObjectName("range");
    form->addWidget(rangeLabel, 1, 1);

    probeList = new QListWidget(this);
    probeList->setObjectName("probeNames");
    for (const auto& name : logic.probeNames)
        probeList->addItem(ToQ(name));
    // A few names in sight; more scroll.
    probeList->setMaximumHeight(4 * probeList->fontMetrics().height() + 12);
    form->addWidget(probeList, 2, 0, 1, 2);
    auto* viewer = new QPushButton(tr("Set for Viewer"), this);
    viewer->setObjectName("setForViewer");
    form->addWidget(viewer, 2, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CExportTextDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CExportTextDialog::reject);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &CExportTextDialog::OnBrowse);
    connect(from, &QPushButton::clicked, this, &CExportTextDialog::OnObservationsFrom);
    connect(midnight, &QPushButton::clicked, this, &CExportTextDialog::OnMidnight);
    connect(viewer, &QPushButton::clicked, this, &CExportTextDialog::OnSetForViewer);
    ShowValues();
}

void CExportTextDialog::ShowValues() {
    for (const SCheck& c : checks)
        c.box->setChecked(*c.field != 0);
    concentrations->setChecked(logic.options.useConcentrations);
    if (auto* b = separators->button(logic.options.exportDataType))
        b->setChecked(true);
    else
        separators->button(kDataTab)->setChecked(true);
    if (auto* b = timeTypes->button(logic.options.exportTimeType))
        b->setChecked(true);
    else
        timeTypes->button(kTimeMinutes)->setChecked(true);
    const std::string* texts[6] = {&logic.month, &logic.day,    &logic.year,
                                   &logic.hour,  &logic.minute, &logic.second};
    for (int i = 0; i < 6; ++i)
        timeEdits[i]->setText(ToQ(*texts[i]));
    outputEdit->setText(ToQ(logic.outputPath));
    rangeLabel->setText(ToQ(logic.RangeText()));
}

void CExportTextDialog::TakeValues() {
    for (const SCheck& c : checks)
        *c.field = c.box->isChecked() ? 1 : 0;
    logic.options.useConcentrations = concentrations->isChecked();
    logic.options.exportDataType = separators->checkedId();
    logic.options.exportTimeType = timeTypes->checkedId();
    std::string* texts[6] = {&logic.month, &logic.day,    &logic.year,
                             &logic.hour,  &logic.minute, &logic.second};
    for (int i = 0; i < 6; ++i)
        *texts[i] = FromQ(timeEdits[i]->text());
    logic.outputPath = FromQ(outputEdit->text());
}

void CExportTextDialog::OnBrowse() {
    const QString chosen =
        chooseFile(this, outputEdit->text(), QtFilter(CTextExportLogic::kBrowseFilter));
    if (!chosen.isEmpty()) outputEdit->setText(chosen);
}

void CExportTextDialog::OnObservationsFrom() {
    if (logic.ObservationsFrom()) rangeLabel->setText(ToQ(logic.RangeText()));
}

void CExportTextDialog::OnMidnight() {
    TakeValues();
    logic.Midnight();
    ShowValues();
}

void CExportTextDialog::OnSetForViewer() {
    TakeValues();
    logic.SetForViewer();
    ShowValues();
}

void CExportTextDialog::accept() {
    TakeValues();
    // A bad entry has been named in a message; the dialog stays open for the correction.
    if (!logic.Ok()) return;
    QDialog::accept();
}
