#include "gui/tech/IonDialogsQt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/platform/QtText.h"
#include "platform/Services.h"
#include "tech/IonAcquisition.h"

namespace {

std::string Text(const QLineEdit* edit) {
    return FromQ(edit->text());
}

QLineEdit* NamedEdit(QWidget* parent, int id, const std::string& text, int width = 70) {
    auto* edit = new QLineEdit(ToQ(text), parent);
    edit->setObjectName(QString("edit%1").arg(id));
    edit->setMaximumWidth(width);
    return edit;
}

QCheckBox* NamedCheck(QWidget* parent, int id, const char* text, bool checked) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString("check%1").arg(id));
    box->setChecked(checked);
    return box;
}

QRadioButton* NamedRadio(QWidget* parent, int id, const char* text) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QString("radio%1").arg(id));
    return radio;
}

QPushButton* NamedButton(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* NamedLabel(QWidget* parent, const char* name, const std::string& text = {}) {
    auto* label = new QLabel(ToQ(text), parent);
    label->setObjectName(name);
    return label;
}

// Lists of settings-line forms read best in a fixed-pitch font.
void UseFixedFont(QWidget* widget) {
    widget->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

QWidget* DialogParent(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}

}  // namespace

// ---- "Select ISP/PVP By Name" -----------------------------------------------------------------

CSelectProbeDialog::CSelectProbeDialog(CSelectProbeLogic& logic, QWidget* parent)
    : CLogicDialog("Select ISP/PVP By Name", parent), logic(logic) {
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    list = new QListWidget(this);
    list->setObjectName("list1378");
    row->addWidget(list, 1);
    auto* side = new QVBoxLayout;
    QPushButton* add = NamedButton(this, "newName", "New ...");
    QPushButton* remove = NamedButton(this, "removeName", "Remove");
    side->addWidget(add);
    side->addWidget(remove);
    side->addStretch(1);
    row->addLayout(side);
    layout->addLayout(row);
    AddButtons(layout);
    Fill();
    connect(add, &QPushButton::clicked, this, [this] {
        this->logic.selected = list->currentRow();
        if (this->logic.New()) Fill();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        this->logic.selected = list->currentRow();
        if (this->logic.Remove()) Fill();
    });
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    SetAccept([this] { this->logic.selected = list->currentRow(); },
              [this](std::string& error) { return this->logic.Accept(error); });
}

void CSelectProbeDialog::Fill() {
    list->clear();
    for (const std::string& name : logic.Names())
        list->addItem(ToQ(name));
    list->setCurrentRow(logic.selected);
}

CNewProbeNameDialog::CNewProbeNameDialog(CNewProbeNameLogic& logic, QWidget* parent)
    : CLogicDialog("New ISP/PVP Name", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(CNewProbeNameLogic::kPrompt, this);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);
    QLineEdit* name = NewEdit(1199, logic.name);
    name->setMaxLength(static_cast<int>(kMaxProbeNameLength) + 1);
    layout->addWidget(name);
    AddButtons(layout);
    name->setFocus();
    SetAccept([=, &logic] { logic.name = Text(name); },
              [&logic](std::string& error) { return logic.Accept(error); });
}

// ---- "ISP/PVP Calibration" --------------------------------------------------------------------

CIonCalibrationDialog::CIonCalibrationDialog(CIonCalibrationSession& s, QWidget* parent)
    : QDialog(DialogParent(parent)), session(s) {
    setWindowTitle(ToQ(session.Title()));
    auto* layout = new QVBoxLayout(this);

    auto* typeBox = new QGroupBox("Calibration Type:", this);
    auto* typeRow = new QHBoxLayout(typeBox);
    nernst = NamedRadio(typeBox, 1482, "Nernst Slope /");
    polarographic = NamedRadio(typeBox, 1483, "Polarographic Electrode");
    auto* types = new QButtonGroup(this);
    types->addButton(nernst);
    types->addButton(polarographic);
    typeRow->addWidget(nernst);
    typeRow->addWidget(polarographic);
    typeRow->addStretch(1);
    layout->addWidget(typeBox);

    auto* sampling = new QGridLayout;
    sampleFor = NamedEdit(this, 1361, session.sampleFor);
    sampling->addWidget(new QLabel("Sample for", this), 0, 0);
    sampling->addWidget(sampleFor, 0, 1);
    sampling->addWidget(new QLabel("seconds", this), 0, 2);
    autoBath = NamedCheck(this, 1697, "Auto Bath Offset Update", session.AutoBath());
    sampling->addWidget(autoBath, 0, 3, 1, 2);
    QPushButton* zero = NamedButton(this, "button1375", "Zero Bath Offset");
    bathOffset = NamedLabel(this, "bathOffset");
    sampling->addWidget(zero, 1, 3);
    sampling->addWidget(bathOffset, 1, 4);

    const int concIds[3] = {1365, 1371, 1362};
    const char* buttonNames[3] = {"solution1", "solution2", "solution3"};
    const char* buttonTexts[3] = {"Solution 1", "Solution 2", "Solution 3"};
    QPushButton* solutions[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int row = 2 + i;
        if (i < 2) {
            sampling->addWidget(new QLabel(QString("Solution %1:").arg(i + 1), this), row, 0);
        } else {
            use3 = NamedCheck(this, 1550, "Solution 3:", session.Use3());
            sampling->addWidget(use3, row, 0);
        }
        conc[i] = NamedEdit(this, concIds[i], session.conc[i]);
        concUnit[i] = new QLabel(this);
        solutions[i] = NamedButton(this, buttonNames[i], buttonTexts[i]);
        value[i] = NamedLabel(this, QString("value%1").arg(i + 1).toLatin1().constData());
        sampling->addWidget(conc[i], row, 1);
        sampling->addWidget(concUnit[i], row, 2);
        sampling->addWidget(solutions[i], row, 3);
        sampling->addWidget(value[i], row, 4);
    }
    solution3 = solutions[2];
    layout->addLayout(sampling);

    auto* amps = new QGridLayout;
    preampGain = NamedEdit(this, 1485, session.preampGain);
    preampChannel = NamedEdit(this, 1838, session.preampChannel, 40);
    mainGain = NamedEdit(this, 1484, session.mainGain);
    mainChannel = NamedEdit(this, 1376, session.mainChannel, 40);
    daChannel = NamedEdit(this, 1370, session.daChannel, 40);
    amps->addWidget(new QLabel("Preamp", this), 0, 0);
    amps->addWidget(new QLabel("Gain:", this), 0, 1);
    amps->addWidget(preampGain, 0, 2);
    amps->addWidget(new QLabel("A/D Chan:", this), 0, 3);
    amps->addWidget(preampChannel, 0, 4);
    amps->addWidget(new QLabel("Main Amp", this), 1, 0);
    amps->addWidget(new QLabel("Gain:", this), 1, 1);
    amps->addWidget(mainGain, 1, 2);
    amps->addWidget(new QLabel("A/D Chan:", this), 1, 3);
    amps->addWidget(mainChannel, 1, 4);
    amps->addWidget(new QLabel("D/A Chan:", this), 1, 5);
    amps->addWidget(daChannel, 1, 6);
    layout->addLayout(amps);

    auto* results = new QGridLayout;
    slopeCaption = NamedLabel(this, "slopeCaption");
    slope = NamedLabel(this, "slope");
    slopeUnit = new QLabel(this);
    intercept = NamedLabel(this, "intercept");
    results->addWidget(slopeCaption, 0, 0);
    results->addWidget(slope, 0, 1);
    results->addWidget(slopeUnit, 0, 2);
    results->addWidget(new QLabel("Intercept:", this), 1, 0);
    results->addWidget(intercept, 1, 1);
    watchButton = NamedButton(this, "button1100", "Watch");
    interval = NamedEdit(this, 1101, session.watchInterval, 50);
    tip = NamedLabel(this, "tip");
    results->addWidget(watchButton, 0, 3);
    results->addWidget(interval, 0, 4);
    results->addWidget(new QLabel("sec   Tip:", this), 0, 5);
    results->addWidget(tip, 0, 6);
    layout->addLayout(results);

    polarographicSetup = new QGroupBox("Polarographic Electrode Setup", this);
    polarographicSetup->setObjectName("polarographicSetup");
    auto* polar = new QGridLayout(polarographicSetup);
    QPushButton* vpol = NamedButton(polarographicSetup, "setVpol", "Set Vpol");
    // Spelt as the station always spelt it; it has no behaviour of its own.
    QPushButton* curve =
        NamedButton(polarographicSetup, "characteristicCurve", "Chararacteristic Curve");
    curve->setEnabled(false);
    polarizationCaption = NamedLabel(polarographicSetup, "polarizationCaption");
    polarization = NamedLabel(polarographicSetup, "polarization");
    polar->addWidget(vpol, 0, 0);
    polar->addWidget(curve, 0, 1);
    polar->addWidget(polarizationCaption, 1, 0);
    polar->addWidget(polarization, 1, 1);
    layout->addWidget(polarographicSetup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(nernst, &QRadioButton::clicked, this, [this] {
        Transfer();
        session.SetType(kIonNernst);
        Refresh();
    });
    connect(polarographic, &QRadioButton::clicked, this, [this] {
        Transfer();
        session.SetType(kIonPolarographic);
        Refresh();
    });
    connect(autoBath, &QCheckBox::toggled, this, [this](bool on) { session.SetAutoBath(on); });
    connect(use3, &QCheckBox::toggled, this, [this](bool on) {
        session.SetUse3(on);
        Refresh();
    });
    for (int i = 0; i < 3; ++i) {
        connect(conc[i], &QLineEdit::editingFinished, this, [this, i] {
            session.ConcentrationEdited(i + 1, Text(conc[i]));
            Refresh();
        });
        connect(solutions[i], &QPushButton::clicked, this, [this, i] {
            Transfer();
            session.SampleSolution(i + 1);
            Refresh();
        });
    }
    connect(zero, &QPushButton::clicked, this, [this] {
        Transfer();
        session.ZeroBathOffset();
        Refresh();
    });
    connect(vpol, &QPushButton::clicked, this, [this] {
        session.SetVpol();
        Refresh();
    });
    connect(watchButton, &QPushButton::clicked, this, &CIonCalibrationDialog::ToggleWatch);
    connect(&watch, &QTimer::timeout, this, [this] {
        Transfer();
        if (session.WatchTick()) tip->setText(ToQ(session.TipText()));
    });
    Refresh();
}

void CIonCalibrationDialog::Transfer() {
    session.sampleFor = Text(sampleFor);
    for (int i = 0; i < 3; ++i)
        session.conc[i] = Text(conc[i]);
    session.preampGain = Text(preampGain);
    session.preampChannel = Text(preampChannel);
    session.mainGain = Text(mainGain);
    session.mainChannel = Text(mainChannel);
    session.daChannel = Text(daChannel);
    session.watchInterval = Text(interval);
}

void CIonCalibrationDialog::Refresh() {
    (session.Type() == kIonPolarographic ? polarographic : nernst)->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        if (Text(conc[i]) != session.conc[i]) conc[i]->setText(ToQ(session.conc[i]));
        concUnit[i]->setText(session.ConcentrationUnit());
        const std::string v = session.ValueText(i + 1);
        value[i]->setText(v.empty() ? QString() : ToQ(v + " " + session.ValueUnit()));
    }
    conc[2]->setEnabled(session.Use3());
    solution3->setEnabled(session.Use3());
    slopeCaption->setText(QString(session.SlopeCaption()) + ":");
    slope->setText(ToQ(session.SlopeText()));
    slopeUnit->setText(session.SlopeUnit());
    intercept->setText(ToQ(session.InterceptText()));
    bathOffset->setText(ToQ(session.BathOffsetText() + " " + session.ValueUnit()));
    polarographicSetup->setEnabled(session.PolarographicSetup());
    polarizationCaption->setText(ToQ(session.PolarizationCaption()));
    polarization->setText(ToQ(session.PolarizationText()));
}

void CIonCalibrationDialog::ToggleWatch() {
    if (watch.isActive()) {
        watch.stop();
        watchButton->setText("Watch");
        return;
    }
    Transfer();
    const int ms = session.WatchPeriodMs();
    if (ms <= 0) return;
    watch.start(ms);
    watchButton->setText("Watch Off");
}

void CIonCalibrationDialog::accept() {
    Transfer();
    watch.stop();
    if (session.Ok()) {
        QDialog::accept();
        return;
    }
    Refresh();
}

void CIonCalibrationDialog::reject() {
    const bool watching = watch.isActive();
    watch.stop();
    if (session.Cancel()) {
        QDialog::reject();
        return;
    }
    if (watching) watch.start();
}

// ---- "Edit ISP/PVP Calibration" ---------------------------------------------------------------

CIonCalibrationEditDialog::CIonCalibrationEditDialog(CIonCalibrationEditLogic& logic,
                                                     QWidget* parent)
    : CLogicDialog("Edit ISP/PVP Calibration", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Gradient:", this), 0, 0);
    grid->addWidget(NamedLabel(this, "label1570", logic.probeName), 0, 1);
    QLineEdit* slope = NewEdit(1363, logic.slope);
    grid->addWidget(new QLabel("Nernst Slope:", this), 1, 0);
    grid->addWidget(slope, 1, 1);
    grid->addWidget(new QLabel("mV/decade", this), 1, 2);
    const char* concNames[3] = {"label1365", "label1371", "label1362"};
    const char* valueNames[3] = {"label1368", "label1373", "label1367"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString("Solution %1:").arg(i + 1), this), 2 + i, 0);
        grid->addWidget(NamedLabel(this, concNames[i], logic.concentrations[i] + " mM"), 2 + i, 1);
        grid->addWidget(NamedLabel(this, valueNames[i], logic.values[i] + " mV"), 2 + i, 2);
    }
    layout->addLayout(grid);
    AddButtons(layout);
    slope->setFocus();
    slope->selectAll();
    SetAccept([=, &logic] { logic.slope = Text(slope); },
              [&logic](std::string& error) { return logic.Accept(error); });
}

// ---- Rotation and tilt previews --------------------------------------------------------------

CPathPreview::CPathPreview(std::vector<SIonPreviewPoint> shown, bool tilt, QWidget* parent)
    : QWidget(parent), points(std::move(shown)), tiltView(tilt) {
    setObjectName("pathPreview");
    setMinimumSize(240, 200);
}

void CPathPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    double extent = 1.0;
    for (const SIonPreviewPoint& p : points)
        extent = std::max({extent, std::fabs(p.across), std::fabs(p.up)});
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double scale = (std::min(width(), height()) / 2.0 - 30.0) / extent;
    auto at = [&](const SIonPreviewPoint& p) {
        return QPointF(centre.x() + p.across * scale, centre.y() - p.up * scale);
    };
    painter.setPen(QPen(Qt::lightGray, 1, Qt::DashLine));
    painter.drawLine(QPointF(0, centre.y()), QPointF(width(), centre.y()));
    painter.drawLine(QPointF(centre.x(), 0), QPointF(centre.x(), height()));
    painter.setPen(Qt::darkGray);
    painter.drawText(QPointF(width() - 16, centre.y() - 4), tiltView ? "X" : "X");
    painter.drawText(QPointF(centre.x() + 4, 14), tiltView ? "Z" : "Y");
    painter.setPen(QPen(QColor(0, 90, 160), 1.5));
    for (size_t i = 1; i < points.size(); ++i)
        painter.drawLine(at(points[i - 1]), at(points[i]));
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF p = at(points[i]);
        painter.setBrush(i == 0 ? QColor(200, 40, 40) : QColor(0, 90, 160));
        painter.drawEllipse(p, 3.5, 3.5);
        painter.setPen(Qt::black);
        painter.drawText(p + QPointF(6, -6), ToQ(points[i].name));
        painter.setPen(QPen(QColor(0, 90, 160), 1.5));
    }
}

// ---- "ISP/PVP Sampling Rules" ----------------------------------------------------------------

CIonRulesDialog::CIonRulesDialog(CIonRulesLogic& l, QWidget* parent)
    : QDialog(DialogParent(parent)), logic(l) {
    setWindowTitle("ISP/PVP Sampling Rules");
    setObjectName("ionRulesDialog");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;

    auto* universe = new QGroupBox(ToQ(logic.ProbeName() + " path"), this);
    auto* angles = new QGridLayout(universe);
    rotation = NamedEdit(universe, 1251, logic.rotation);
    tilt = NamedEdit(universe, 1252, logic.tilt);
    QPushButton* showRotation = NamedButton(universe, "showRotation", "Show");
    QPushButton* showTilt = NamedButton(universe, "showTilt", "Show");
    angles->addWidget(new QLabel("Rotation", universe), 0, 0);
    angles->addWidget(rotation, 0, 1);
    angles->addWidget(new QLabel("degrees from 3 o'clock", universe), 0, 2);
    angles->addWidget(showRotation, 0, 3);
    angles->addWidget(new QLabel("Tilt", universe), 1, 0);
    angles->addWidget(tilt, 1, 1);
    angles->addWidget(new QLabel("degrees from horizontal", universe), 1, 2);
    angles->addWidget(showTilt, 1, 3);
    top->addWidget(universe);

    auto* bath = new QGroupBox("Update Bath", this);
    auto* bathGrid = new QGridLayout(bath);
    bathWait = NamedEdit(bath, 1389, logic.bathWait, 50);
    bathAverage = NamedEdit(bath, 1390, logic.bathAverage, 50);
    auto* timing = new QHBoxLayout;
    timing->addWidget(new QLabel("Wait", bath));
    timing->addWidget(bathWait);
    timing->addWidget(new QLabel("sec, average for", bath));
    timing->addWidget(bathAverage);
    timing->addWidget(new QLabel("sec", bath));
    bathGrid->addLayout(timing, 0, 0, 1, 2);
    da0From = NamedCheck(bath, 1722, "D/A chan 0 from A/D chan", logic.da0From);
    da0Channel = NamedEdit(bath, 1723, logic.da0Channel, 40);
    da1From = NamedCheck(bath, 1725, "D/A chan 1 from A/D chan", logic.da1From);
    da1Channel = NamedEdit(bath, 1724, logic.da1Channel, 40);
    bathGrid->addWidget(da0From, 1, 0);
    bathGrid->addWidget(da0Channel, 1, 1);
    bathGrid->addWidget(da1From, 2, 0);
    bathGrid->addWidget(da1Channel, 2, 1);
    bathBefore = NamedCheck(bath, 1259, "At Beginning of Path", logic.bathBefore);
    bathAfter = NamedCheck(bath, 1388, "At End of Path", logic.bathAfter);
    bathGrid->addWidget(bathBefore, 3, 0);
    bathGrid->addWidget(bathAfter, 3, 1);
    top->addWidget(bath);
    layout->addLayout(top);

    pathHeader = NamedLabel(this, "pathHeader");
    UseFixedFont(pathHeader);
    layout->addWidget(pathHeader);
    auto* pathRow = new QHBoxLayout;
    path = new QListWidget(this);
    path->setObjectName("list1247");
    UseFixedFont(path);
    path->setMinimumWidth(620);
    pathRow->addWidget(path, 1);
    auto* pathButtons = new QVBoxLayout;
    QPushButton* addPoint = NamedButton(this, "addPoint", "Add ...");
    QPushButton* deletePoint = NamedButton(this, "deletePoint", "Delete ...");
    pathButtons->addWidget(addPoint);
    pathButtons->addWidget(deletePoint);
    pathButtons->addStretch(1);
    pathRow->addLayout(pathButtons);
    layout->addLayout(pathRow);

    auto* options = new QHBoxLayout;
    auto* coordinates = new QGroupBox("Coordinate system:", this);
    auto* coordinateRow = new QHBoxLayout(coordinates);
    absolute = NamedRadio(coordinates, 1470, "Absolute /");
    relative = NamedRadio(coordinates, 1471, "Relative");
    auto* coordinateGroup = new QButtonGroup(this);
    coordinateGroup->addButton(absolute);
    coordinateGroup->addButton(relative);
    (logic.csys == kCoordRelative ? relative : absolute)->setChecked(true);
    coordinateRow->addWidget(absolute);
    coordinateRow->addWidget(relative);
    options->addWidget(coordinates);
    auto* moves = new QGroupBox("Move Type:", this);
    auto* moveRow = new QHBoxLayout(moves);
    linear = NamedRadio(moves, 1048, "Linear Interp");
    tracking = NamedRadio(moves, 1049, "Tracking");
    auto* moveGroup = new QButtonGroup(this);
    moveGroup->addButton(linear);
    moveGroup->addButton(tracking);
    (logic.moveType == kMoveLinear ? linear : tracking)->setChecked(true);
    moveRow->addWidget(linear);
    moveRow->addWidget(tracking);
    options->addWidget(moves);
    repetitions = NamedEdit(this, 1484, logic.repetitions, 60);
    options->addWidget(new QLabel("Repetitions:", this));
    options->addWidget(repetitions);
    options->addStretch(1);
    layout->addLayout(options);

    layout->addWidget(new QLabel("Gradient Calculations:    Initial #    Final #", this));
    auto* calcRow = new QHBoxLayout;
    calcs = new QListWidget(this);
    calcs->setObjectName("list1248");
    UseFixedFont(calcs);
    calcs->setMaximumHeight(110);
    calcRow->addWidget(calcs, 1);
    auto* calcButtons = new QVBoxLayout;
    QPushButton* addCalc = NamedButton(this, "addCalc", "Add ...");
    QPushButton* deleteCalc = NamedButton(this, "deleteCalc", "Delete ...");
    calcButtons->addWidget(addCalc);
    calcButtons->addWidget(deleteCalc);
    calcButtons->addStretch(1);
    calcRow->addLayout(calcButtons);
    layout->addLayout(calcRow);

    auto* checks = new QHBoxLayout;
    useRef = NamedCheck(this, 1258, "Subtract Reference Gradient", logic.useRef);
    applyCal = NamedCheck(this, 1663, "Apply Calibration", logic.applyCal);
    checks->addWidget(useRef);
    checks->addWidget(applyCal);
    checks->addStretch(1);
    layout->addLayout(checks);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    auto selection = [this] {
        logic.selectedPoint = path->currentRow();
        logic.selectedCalc = calcs->currentRow();
    };
    connect(addPoint, &QPushButton::clicked, this, [this, selection] {
        Transfer();
        selection();
        if (logic.AddPoint()) FillLists();
    });
    connect(deletePoint, &QPushButton::clicked, this, [this, selection] {
        selection();
        if (logic.DeletePoint()) FillLists();
    });
    connect(path, &QListWidget::itemDoubleClicked, this, [this, selection] {
        selection();
        if (logic.EditPoint(path->currentRow())) FillLists();
    });
    connect(addCalc, &QPushButton::clicked, this, [this, selection] {
        selection();
        if (logic.AddCalc()) FillLists();
    });
    connect(deleteCalc, &QPushButton::clicked, this, [this, selection] {
        selection();
        if (logic.DeleteCalc()) FillLists();
    });
    connect(calcs, &QListWidget::itemDoubleClicked, this, [this, selection] {
        selection();
        if (logic.EditCalc(calcs->currentRow())) FillLists();
    });
    connect(absolute, &QRadioButton::toggled, this, [this] {
        logic.csys = absolute->isChecked() ? kCoordAbsolute : kCoordRelative;
        pathHeader->setText(ToQ(logic.PathHeader()));
    });
    connect(showRotation, &QPushButton::clicked, this, [this] { ShowPreview(false); });
    connect(showTilt, &QPushButton::clicked, this, [this] { ShowPreview(true); });
    FillLists();
}

void CIonRulesDialog::FillLists() {
    pathHeader->setText(ToQ(logic.PathHeader()));
    path->clear();
    for (const std::string& line : logic.PointLines())
        path->addItem(ToQ(line));
    path->setCurrentRow(logic.selectedPoint);
    calcs->clear();
    for (const std::string& line : logic.CalcLines())
        calcs->addItem(ToQ(line));
    calcs->setCurrentRow(logic.selectedCalc);
}

void CIonRulesDialog::Transfer() {
    logic.rotation = Text(rotation);
    logic.tilt = Text(tilt);
    logic.bathWait = Text(bathWait);
    logic.bathAverage = Text(bathAverage);
    logic.da0From = da0From->isChecked();
    logic.da0Channel = Text(da0Channel);
    logic.da1From = da1From->isChecked();
    logic.da1Channel = Text(da1Channel);
    logic.bathBefore = bathBefore->isChecked();
    logic.bathAfter = bathAfter->isChecked();
    logic.csys = relative->isChecked() ? kCoordRelative : kCoordAbsolute;
    logic.moveType = linear->isChecked() ? kMoveLinear : kMoveTrack;
    logic.repetitions = Text(repetitions);
    logic.useRef = useRef->isChecked();
    logic.applyCal = applyCal->isChecked();
}

void CIonRulesDialog::ShowPreview(bool tiltView) {
    Transfer();
    std::vector<SIonPreviewPoint> shown = logic.Preview(tiltView);
    if (shown.empty()) {
        Prompt().Message("Please enter the rotation and the tilt in degrees.",
                         EPromptIcon::Exclamation);
        return;
    }
    QDialog preview(this);
    preview.setObjectName("pathPreviewDialog");
    preview.setWindowTitle(tiltView ? "Show universe tilt ..." : "Show universe rotation ...");
    auto* layout = new QVBoxLayout(&preview);
    layout->addWidget(new CPathPreview(std::move(shown), tiltView, &preview));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &preview);
    connect(close, &QDialogButtonBox::rejected, &preview, &QDialog::reject);
    layout->addWidget(close);
    preview.exec();
}

void CIonRulesDialog::accept() {
    Transfer();
    std::string error;
    if (!logic.Accept(error)) {
        Prompt().Message(error, EPromptIcon::Exclamation, CIonRulesLogic::kCheckCaption);
        return;
    }
    QDialog::accept();
}

// ---- "Add Cartesian Point to Path" -------------------------------------------------------------

CIonPointDialog::CIonPointDialog(CIonPointLogic& logic, QWidget* parent)
    : CLogicDialog("Add Cartesian Point to Path", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QLineEdit* name = NewEdit(1714, logic.name);
    grid->addWidget(new QLabel("Sample Name:", this), 0, 0);
    grid->addWidget(name, 0, 1, 1, 3);
    grid->addWidget(new QLabel("Move By (microns):", this), 1, 0);
    QLineEdit* move[4];
    for (int i = 0; i < 4; ++i) {
        move[i] = NewEdit(1260 + i, logic.move[i]);
        grid->addWidget(move[i], 1, 1 + i);
    }
    QLineEdit* wait = NewEdit(1265, logic.wait);
    QLineEdit* average = NewEdit(1266, logic.average);
    grid->addWidget(new QLabel("Wait", this), 2, 0);
    grid->addWidget(wait, 2, 1);
    grid->addWidget(new QLabel("seconds, average for", this), 2, 2);
    grid->addWidget(average, 2, 3);
    QLineEdit* ad = NewEdit(1369, logic.adChannel);
    QLineEdit* da = NewEdit(1370, logic.daChannel);
    grid->addWidget(new QLabel("Read A/D channel", this), 3, 0);
    grid->addWidget(ad, 3, 1);
    grid->addWidget(new QLabel("(-1 for none), add D/A channel", this), 3, 2);
    grid->addWidget(da, 3, 3);
    grid->addWidget(new QLabel("(-1 for none)", this), 3, 4);
    QLineEdit* adGain = NewEdit(1371, logic.adGain);
    QLineEdit* daGain = NewEdit(1372, logic.daGain);
    grid->addWidget(new QLabel("A/D channel gain:", this), 4, 0);
    grid->addWidget(adGain, 4, 1);
    grid->addWidget(new QLabel("D/A channel gain:", this), 4, 2);
    grid->addWidget(daGain, 4, 3);
    auto* write = new QCheckBox("Write", this);
    write->setObjectName("check1739");
    write->setChecked(logic.write);
    QLineEdit* assertData = NewEdit(1740, logic.assertData);
    QLineEdit* standby = NewEdit(1742, logic.standbyData);
    QLineEdit* port = NewEdit(1741, logic.port);
    grid->addWidget(write, 5, 0);
    grid->addWidget(assertData, 5, 1);
    grid->addWidget(new QLabel("hex (assert)", this), 5, 2);
    grid->addWidget(standby, 6, 1);
    grid->addWidget(new QLabel("(hex) standby to port", this), 6, 2);
    grid->addWidget(port, 6, 3);
    grid->addWidget(new QLabel("hex", this), 6, 4);
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.name = Text(name);
            for (int i = 0; i < 4; ++i)
                logic.move[i] = Text(move[i]);
            logic.wait = Text(wait);
            logic.average = Text(average);
            logic.adChannel = Text(ad);
            logic.daChannel = Text(da);
            logic.adGain = Text(adGain);
            logic.daGain = Text(daGain);
            logic.write = write->isChecked();
            logic.assertData = Text(assertData);
            logic.standbyData = Text(standby);
            logic.port = Text(port);
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

// ---- "Add Gradient Calculation" ---------------------------------------------------------------

CGradCalcDialog::CGradCalcDialog(CGradCalcLogic& logic, QWidget* parent)
    : CLogicDialog("Add Gradient Calculation", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QLineEdit* name = NewEdit(1715, logic.name);
    grid->addWidget(new QLabel("Gradient Calculation Name:", this), 0, 0);
    grid->addWidget(name, 0, 1);
    auto* header = new QLabel(CGradCalcLogic::kPointHeader, this);
    UseFixedFont(header);
    grid->addWidget(header, 1, 1);
    QComboBox* combos[2];
    const char* labels[2] = {"First Sample:", "Minus Second Sample:"};
    const int selected[2] = {logic.first, logic.second};
    for (int i = 0; i < 2; ++i) {
        combos[i] = new QComboBox(this);
        combos[i]->setObjectName(QString("combo%1").arg(1266 + i));
        UseFixedFont(combos[i]);
        for (const std::string& choice : logic.choices)
            combos[i]->addItem(ToQ(choice));
        combos[i]->setCurrentIndex(selected[i]);
        grid->addWidget(new QLabel(labels[i], this), 2 + i, 0);
        grid->addWidget(combos[i], 2 + i, 1);
    }
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.name = Text(name);
            logic.first = combos[0]->currentIndex();
            logic.second = combos[1]->currentIndex();
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

// ---- The dialogs in use -----------------------------------------------------------------------

bool CQtIonDialogs::SelectProbe(CSelectProbeLogic& logic) {
    CSelectProbeDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtIonDialogs::NewProbeName(CNewProbeNameLogic& logic) {
    CNewProbeNameDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtIonDialogs::Calibrate(CIonCalibrationSession& session) {
    session.setDaOutput = setDaOutput;
    CIonCalibrationDialog dialog(session);
    dialog.exec();
    return session.Kept();
}
bool CQtIonDialogs::EditCalibration(CIonCalibrationEditLogic& logic) {
    CIonCalibrationEditDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtIonDialogs::EditRules(CIonRulesLogic& logic) {
    CIonRulesDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtIonDialogs::EditPoint(CIonPointLogic& logic) {
    CIonPointDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtIonDialogs::EditCalc(CGradCalcLogic& logic) {
    CGradCalcDialog dialog(logic);
    return RunDialog(dialog);
}

void InstallIonDialogs(std::function<void()> setDaOutput, std::function<bool()> escapePressed) {
    static CQtIonDialogs dialogs;
    dialogs.setDaOutput = std::move(setDaOutput);
    SetIonDialogs(&dialogs);
    SetEscapeCheck(std::move(escapePressed));
}
