#include "gui/tech/WireCalibrationDialogQt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/MainWindow.h"
#include "gui/platform/QtText.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {

constexpr const char* kComponents[4] = {"xInPh", "xQuad", "yInPh", "yQuad"};
constexpr const char* kAxes[4] = {"X", "Y", "Z", "W"};

QString Fixed(const char* format, double value) {
    return ToQ(StrPrintf(format, value));
}

// Gains are shown divided by resistivity and system gain, phases and angles in degrees.
QString GainText(const CWireCalibration& c, double gain) {
    return Fixed("%.2lf", gain / c.Resistivity / c.SystemGain);
}
QString DegreesText(const char* format, double radians) {
    return Fixed(format, radians * kDegreesPerRadian);
}

}  // namespace

// ---- "Current Density Probe Calibration"
// ---------------------------------------------------------

CWireCalibrationDialog::CWireCalibrationDialog(CWireCalibrationSession& s, QWidget* parent)
    : QDialog(parent ? parent : QApplication::activeWindow()), session(s) {
    setObjectName("wireCalibration");
    setWindowTitle(CWireCalibrationSession::kTitle);
    auto* layout = new QVBoxLayout(this);

    // Positions, the move modes and the Locate buttons.
    auto* positions = new QGroupBox("Positions (microns)", this);
    auto* grid = new QGridLayout(positions);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(new QLabel(kAxes[i], positions), 0, i + 1, Qt::AlignRight);
    const char* rows[4] = {"Source:", "Probe:", "Sample:", "Probe - Source:"};
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(new QLabel(rows[r], positions), r + 1, 0);
        for (int i = 0; i < 4; ++i)
            grid->addWidget(Static(QString("static%1").arg(1072 + r * 4 + i)), r + 1, i + 1,
                            Qt::AlignRight);
    }
    const bool canLocate = static_cast<bool>(session.imageToStage);
    QPushButton* locateSource = Button(1059, "Locate", [this] { session.LocateSource(); });
    locateSource->setEnabled(canLocate);
    grid->addWidget(locateSource, 1, 5);
    moveProbe = Button(1055, "Move Probe", [this] { session.ToggleMove(EStage::Probe); });
    moveSample = Button(1056, "Move Sample", [this] { session.ToggleMove(EStage::Sample); });
    moveProbe->setEnabled(static_cast<bool>(session.startJog));
    moveSample->setEnabled(static_cast<bool>(session.startJog));
    grid->addWidget(moveProbe, 2, 5);
    grid->addWidget(Button(1754, "Locate", [this] { session.LocateStage(EStage::Probe); }), 2, 6);
    grid->addWidget(moveSample, 3, 5);
    grid->addWidget(Button(1755, "Locate", [this] { session.LocateStage(EStage::Sample); }), 3, 6);
    layout->addWidget(positions);

    // One group per detector: its axis, current and distance, Get, Go and Sample.
    auto detector = [this](EPsd psd) {
        const bool isX = psd == EPsd::X;
        auto* box = new QGroupBox(isX ? "X PSD" : "Y PSD", this);
        auto* g = new QGridLayout(box);
        auto* axes = new QButtonGroup(box);
        const int first = isX ? kXVibAxisX : kYVibAxisX;
        const char* captions[3] = {"X /", "Y /", "Z"};
        auto* radios = new QHBoxLayout;
        radios->addWidget(new QLabel("Vibration axis:", box));
        for (int i = 0; i < 3; ++i) {
            auto* radio = new QRadioButton(captions[i], box);
            radio->setObjectName(QString("radio%1").arg(first + i));
            axes->addButton(radio, first + i);
            radios->addWidget(radio);
        }
        radios->addStretch();
        g->addLayout(radios, 0, 0, 1, 6);
        connect(axes, &QButtonGroup::idClicked, this,
                [this, psd](int id) { session.SetAxis(psd, static_cast<uint16_t>(id)); });
        (isX ? xAxes : yAxes) = axes;

        g->addWidget(Static(isX ? "static1604" : "yRowLabel"), 1, 0);
        auto* current = new QLineEdit(box);
        current->setObjectName(isX ? "edit1021" : "yCurrent");
        auto* distance = new QLineEdit(box);
        distance->setObjectName(isX ? "edit1031" : "yDistance");
        current->setMaximumWidth(90);
        distance->setMaximumWidth(90);
        edits[isX ? EWireCalField::XCurrent : EWireCalField::YCurrent] = current;
        edits[isX ? EWireCalField::XDistance : EWireCalField::YDistance] = distance;
        g->addWidget(current, 1, 1);
        g->addWidget(new QLabel("nA at", box), 1, 2);
        g->addWidget(distance, 1, 3);
        g->addWidget(new QLabel("microns:", box), 1, 4);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(Button(isX ? 1069 : 1070, "Get", [this, psd] { session.Get(psd); }));
        buttons->addWidget(Button(isX ? 1071 : 1109, "Go", [this, psd] { session.Go(psd); }));
        buttons->addWidget(Button(isX ? 1355 : 1058, isX ? "Sample X PSD" : "Sample Y PSD",
                                  [this, psd] { session.Sample(psd); }));
        g->addLayout(buttons, 2, 0, 1, 6);
        return box;
    };
    auto* detectors = new QHBoxLayout;
    detectors->addWidget(detector(EPsd::X));
    detectors->addWidget(detector(EPsd::Y));
    layout->addLayout(detectors);

    // The results: per current direction (rows) and detector the gain and phase, and the
    // vibration angle each sample found.
    auto* results = new QGroupBox("Calibration", this);
    auto* r = new QGridLayout(results);
    r->addWidget(new QLabel("X PSD mV per uA/cm^2", results), 0, 1, Qt::AlignRight);
    r->addWidget(new QLabel("phase", results), 0, 2, Qt::AlignRight);
    r->addWidget(new QLabel("Y PSD mV per uA/cm^2", results), 0, 3, Qt::AlignRight);
    r->addWidget(new QLabel("phase", results), 0, 4, Qt::AlignRight);
    r->addWidget(new QLabel("Vibration angle", results), 0, 5, Qt::AlignRight);
    r->addWidget(Static("static1611"), 1, 0);
    r->addWidget(Static("yResultLabel"), 2, 0);
    const int ids[2][5] = {{1599, 1600, 1605, 1606, 1601}, {1602, 1603, 1608, 1609, 1607}};
    for (int row = 0; row < 2; ++row)
        for (int c = 0; c < 5; ++c)
            r->addWidget(Static(QString("static%1").arg(ids[row][c])), row + 1, c + 1,
                         Qt::AlignRight);
    layout->addWidget(results);

    // Medium, rules and the Z plane.
    auto* medium = new QHBoxLayout;
    auto* rho = new QLineEdit(this);
    rho->setObjectName("edit1107");
    auto* sg = new QLineEdit(this);
    sg->setObjectName("edit1106");
    edits[EWireCalField::Resistivity] = rho;
    edits[EWireCalField::SystemGain] = sg;
    medium->addWidget(new QLabel("Resistivity:", this));
    medium->addWidget(rho);
    medium->addWidget(new QLabel("System Gain:", this));
    medium->addWidget(sg);
    medium->addWidget(Button(1325, "Sampling Rules", [this] { session.SamplingRules(); }));
    medium->addWidget(Button(1618, "Find Z Plane ...", [this] { session.FindZPlane(); }));
    layout->addLayout(medium);

    // Readings: the last sample and the watch at the tip, the reference at the A/D input.
    auto* readings = new QGroupBox("Readings", this);
    auto* rg = new QGridLayout(readings);
    for (int i = 0; i < 4; ++i)
        rg->addWidget(new QLabel(kComponents[i], readings), 0, i + 1, Qt::AlignRight);
    rg->addWidget(new QLabel("Most Recent Sample (microvolts at tip):", readings), 1, 0);
    rg->addWidget(new QLabel("Watch (microvolts at tip):", readings), 2, 0);
    rg->addWidget(new QLabel("Reference (volts at A/D input):", readings), 3, 0);
    const int sampleIds[4] = {1555, 1556, 1096, 1097};
    const int referenceIds[4] = {1557, 1558, 1104, 1105};
    for (int i = 0; i < 4; ++i) {
        rg->addWidget(Static(QString("static%1").arg(sampleIds[i])), 1, i + 1, Qt::AlignRight);
        rg->addWidget(Static(QString("watch%1").arg(i)), 2, i + 1, Qt::AlignRight);
        rg->addWidget(Static(QString("static%1").arg(referenceIds[i])), 3, i + 1, Qt::AlignRight);
    }
    auto* watchRow = new QHBoxLayout;
    watchRow->addWidget(
        Button(1061, "Reference Observation", [this] { session.ReferenceObservation(); }));
    watchButton = Button(1100, "Watch", [this] { session.ToggleWatch(); });
    watchRow->addWidget(watchButton);
    auto* interval = new QLineEdit(readings);
    interval->setObjectName("edit1484");
    interval->setMaximumWidth(70);
    edits[EWireCalField::WatchInterval] = interval;
    watchRow->addWidget(new QLabel("every", readings));
    watchRow->addWidget(interval);
    watchRow->addWidget(new QLabel("seconds", readings));
    watchRow->addStretch();
    rg->addLayout(watchRow, 4, 0, 1, 5);
    layout->addWidget(readings);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // A value typed and left (Tab, a click elsewhere) is taken at once.
    for (auto& [field, edit] : edits)
        connect(edit, &QLineEdit::editingFinished, this,
                [this, field = field] { TakeField(field); });

    session.SetView(this);
    connect(&watchTimer, &QTimer::timeout, this, [this] { session.WatchTick(); });
    connect(&positionTimer, &QTimer::timeout, this, [this] { RefreshPositions(); });
    positionTimer.start(kPositionRefreshMs);
    ShowFields();
    Refresh();
    QTimer::singleShot(kOpeningQuestionMs, this, [this] {
        if (isVisible()) session.Opened();
    });
}

CWireCalibrationDialog::~CWireCalibrationDialog() {
    watchTimer.stop();
    positionTimer.stop();
    session.SetView(nullptr);
}

QPushButton* CWireCalibrationDialog::Button(int id, const char* caption,
                                            const std::function<void()>& action) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString("button%1").arg(id));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, action] { Act(action); });
    return button;
}

QLabel* CWireCalibrationDialog::Static(const QString& name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setMinimumWidth(60);
    statics[name] = label;
    return label;
}

bool CWireCalibrationDialog::TakeField(EWireCalField field) {
    // The message box of a refused entry takes the focus, which would finish the editing
    // again and ask again.
    if (taking) return false;
    QLineEdit* edit = edits[field];
    const std::string text = FromQ(edit->text());
    if (text == session.FieldText(field)) return true;
    taking = true;
    const bool ok = session.SetField(field, text);
    taking = false;
    if (!ok) return false;
    edit->setText(ToQ(session.FieldText(field)));
    return true;
}

bool CWireCalibrationDialog::ToSession() {
    for (auto& [field, edit] : edits) {
        if (!TakeField(field)) {
            edit->setFocus();
            return false;
        }
    }
    return true;
}

void CWireCalibrationDialog::Act(const std::function<void()>& action) {
    if (!ToSession()) return;
    action();
    Refresh();
}

void CWireCalibrationDialog::ShowFields() {
    for (auto& [field, edit] : edits)
        edit->setText(ToQ(session.FieldText(field)));
}

void CWireCalibrationDialog::RefreshPositions() {
    const CDVector4 shown[4] = {session.work.srcpos, session.ProbePosition(),
                                session.SamplePosition(), session.Offset()};
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 4; ++i)
            statics[QString("static%1").arg(1072 + r * 4 + i)]->setText(
                Fixed("%.1lf", shown[r][i]));
    if (findZPlane) findZPlane->Refresh();
}

void CWireCalibrationDialog::Refresh() {
    const CWireCalibration& c = session.work;
    RefreshPositions();
    const QString xLabel = ToQ(session.AxisLabel(EPsd::X));
    const QString yLabel = ToQ(session.AxisLabel(EPsd::Y));
    statics["static1604"]->setText(xLabel);
    statics["static1611"]->setText(xLabel);
    statics["yRowLabel"]->setText(yLabel);
    statics["yResultLabel"]->setText(yLabel);
    if (QAbstractButton* b = xAxes->button(c.xVibAxis)) b->setChecked(true);
    if (QAbstractButton* b = yAxes->button(c.yVibAxis)) b->setChecked(true);

    statics["static1599"]->setText(GainText(c, c.XXuAperV));
    statics["static1600"]->setText(DegreesText("%.1lf", c.XXphase));
    statics["static1601"]->setText(DegreesText("%.0lf", c.xVibAng));
    statics["static1602"]->setText(GainText(c, c.XYuAperV));
    statics["static1603"]->setText(DegreesText("%.1lf", c.XYphase));
    statics["static1605"]->setText(GainText(c, c.YXuAperV));
    statics["static1606"]->setText(DegreesText("%.1lf", c.YXphase));
    statics["static1607"]->setText(DegreesText("%.0lf", c.yVibAng));
    statics["static1608"]->setText(GainText(c, c.YYuAperV));
    statics["static1609"]->setText(DegreesText("%.1lf", c.YYphase));

    const int sampleIds[4] = {1555, 1556, 1096, 1097};
    const int referenceIds[4] = {1557, 1558, 1104, 1105};
    for (int i = 0; i < 4; ++i) {
        statics[QString("static%1").arg(sampleIds[i])]->setText(
            Fixed("%.2lf", session.MicrovoltsAtTip(session.lastSample[i])));
        statics[QString("watch%1").arg(i)]->setText(
            Fixed("%.2lf", session.MicrovoltsAtTip(session.lastWatch[i])));
        statics[QString("static%1").arg(referenceIds[i])]->setText(
            Fixed("%.4lf", session.reference[i]));
    }
    watchButton->setText(ToQ(session.WatchButtonText()));
    moveProbe->setText(ToQ(session.MoveButtonText(EStage::Probe)));
    moveSample->setText(ToQ(session.MoveButtonText(EStage::Sample)));
}

void CWireCalibrationDialog::RunWatchTimer(bool on, int periodMs) {
    if (on)
        watchTimer.start(periodMs);
    else
        watchTimer.stop();
}

bool CWireCalibrationDialog::FindZPlaneDialog() {
    CFindZPlaneDialog dialog(session, this);
    findZPlane = &dialog;
    const bool ok = dialog.exec() == QDialog::Accepted;
    findZPlane = nullptr;
    return ok;
}

void CWireCalibrationDialog::keyPressEvent(QKeyEvent* event) {
    // Enter in a box takes its value; it does not close the dialog.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        qobject_cast<QLineEdit*>(focusWidget())) {
        ToSession();
        Refresh();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CWireCalibrationDialog::accept() {
    if (!ToSession()) return;
    if (session.Ok()) QDialog::accept();
}

void CWireCalibrationDialog::reject() {
    // Esc ends a move mode first; only a second one reaches the dialog.
    if (session.Escape()) {
        Refresh();
        return;
    }
    if (session.Cancel()) QDialog::reject();
}

// ---- "Find Z Plane" ----------------------------------------------------------------------------

CFindZPlaneDialog::CFindZPlaneDialog(CWireCalibrationSession& s, QWidget* parent)
    : QDialog(parent), session(s) {
    setObjectName("findZPlane");
    setWindowTitle("Find Z Plane");
    auto* layout = new QVBoxLayout(this);
    for (const char* line :
         {"To find Z plane:", "1) Turn current on", "2) Move probe up/down for max response",
          "3) Press enter or click OK when finished"})
        layout->addWidget(new QLabel(line, this));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(kComponents[i], this), 0, i, Qt::AlignRight);
        watch[i] = new QLabel(this);
        watch[i]->setObjectName(QString("watch%1").arg(i));
        grid->addWidget(watch[i], 1, i, Qt::AlignRight);
    }
    layout->addWidget(new QLabel("Watch (microvolts at tip):", this));
    layout->addLayout(grid);
    probe = new QLabel(this);
    probe->setObjectName("probe");
    layout->addWidget(probe);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Refresh();
}

void CFindZPlaneDialog::Refresh() {
    for (int i = 0; i < 4; ++i)
        watch[i]->setText(Fixed("%.2lf", session.MicrovoltsAtTip(session.lastWatch[i])));
    const CDVector4 p = session.ProbePosition();
    probe->setText(
        ToQ(StrPrintf("Probe: ( %.1lf, %.1lf, %.1lf, %.1lf ) microns", p.x, p.y, p.z, p.w)));
}

void CFindZPlaneDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

// ---- "Edit Current Density Probe Calibration"
// ----------------------------------------------------

CWireCalibrationEditDialog::CWireCalibrationEditDialog(CWireCalibrationEditLogic& l,
                                                       QWidget* parent)
    : CLogicDialog(CWireCalibrationEditLogic::kTitle, parent), logic(l) {
    setObjectName("editWireCalibration");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("mV per uA/cm^2", this), 0, 1);
    grid->addWidget(new QLabel("degrees", this), 0, 2);
    const char* pairs[4] = {
        "X PSD, X current:", "X PSD, Y current:", "Y PSD, X current:", "Y PSD, Y current:"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(pairs[i], this), i + 1, 0);
        gains[i] = new QLineEdit(this);
        gains[i]->setObjectName(QString("gain%1").arg(i));
        phases[i] = new QLineEdit(this);
        phases[i]->setObjectName(QString("phase%1").arg(i));
        grid->addWidget(gains[i], i + 1, 1);
        grid->addWidget(phases[i], i + 1, 2);
    }
    layout->addLayout(grid);

    auto* geometry = new QGridLayout;
    const char* heads[3] = {"Vibration angle", "nA", "microns"};
    for (int c = 0; c < 3; ++c)
        geometry->addWidget(new QLabel(heads[c], this), 0, c + 1, Qt::AlignRight);
    for (int p = 0; p < 2; ++p) {
        geometry->addWidget(new QLabel(p == 0 ? "X PSD:" : "Y PSD:", this), p + 1, 0);
        for (int c = 0; c < 3; ++c) {
            shown[p * 3 + c] = new QLabel(this);
            shown[p * 3 + c]->setObjectName(QString("shown%1").arg(p * 3 + c));
            geometry->addWidget(shown[p * 3 + c], p + 1, c + 1, Qt::AlignRight);
        }
    }
    layout->addLayout(geometry);

    auto* medium = new QHBoxLayout;
    systemGain = NewEdit(1835, logic.systemGain);
    resistivity = NewEdit(1107, logic.resistivity);
    medium->addWidget(new QLabel("System Gain:", this));
    medium->addWidget(systemGain);
    medium->addWidget(new QLabel("Resistivity:", this));
    medium->addWidget(resistivity);
    layout->addLayout(medium);

    auto* rescale = new QHBoxLayout;
    auto* setToButton = new QPushButton("Set to", this);
    setToButton->setObjectName("button1836");
    setToButton->setAutoDefault(false);
    setTo = NewEdit(1745, logic.setTo);
    assumingWas = NewEdit(1746, logic.assumingWas);
    rescale->addWidget(setToButton);
    rescale->addWidget(setTo);
    rescale->addWidget(new QLabel("ohm-cm assuming this was", this));
    rescale->addWidget(assumingWas);
    layout->addLayout(rescale);
    auto* load = new QPushButton("Load current settings from .INI file", this);
    load->setObjectName("button1592");
    load->setAutoDefault(false);
    layout->addWidget(load);
    AddButtons(layout);

    connect(setToButton, &QPushButton::clicked, this, [this] {
        ToLogic();
        std::string error;
        if (!logic.SetTo(error)) Prompt().Message(error, EPromptIcon::Exclamation);
        FromLogic();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        logic.LoadFromSettings();
        FromLogic();
    });
    FromLogic();
    SetAccept([this] { ToLogic(); }, [this](std::string& error) { return logic.Accept(error); });
}

void CWireCalibrationEditDialog::ToLogic() {
    for (int i = 0; i < 4; ++i) {
        logic.gain[i] = FromQ(gains[i]->text());
        logic.phase[i] = FromQ(phases[i]->text());
    }
    logic.systemGain = FromQ(systemGain->text());
    logic.resistivity = FromQ(resistivity->text());
    logic.setTo = FromQ(setTo->text());
    logic.assumingWas = FromQ(assumingWas->text());
}

void CWireCalibrationEditDialog::FromLogic() {
    for (int i = 0; i < 4; ++i) {
        gains[i]->setText(ToQ(logic.gain[i]));
        phases[i]->setText(ToQ(logic.phase[i]));
    }
    systemGain->setText(ToQ(logic.systemGain));
    resistivity->setText(ToQ(logic.resistivity));
    setTo->setText(ToQ(logic.setTo));
    assumingWas->setText(ToQ(logic.assumingWas));
    for (int p = 0; p < 2; ++p) {
        const EPsd psd = p == 0 ? EPsd::X : EPsd::Y;
        shown[p * 3]->setText(ToQ(logic.VibAngleText(psd)));
        shown[p * 3 + 1]->setText(ToQ(logic.CurrentText(psd)));
        shown[p * 3 + 2]->setText(ToQ(logic.DistanceText(psd)));
    }
}

// ---- Installation ------------------------------------------------------------------------------

void CQtWireCalibrationDialogs::Calibrate(CWireCalibrationSession& session) {
    CWireCalibrationDialog dialog(session);
    dialog.exec();
}

bool CQtWireCalibrationDialogs::Edit(CWireCalibrationEditLogic& logic) {
    CWireCalibrationEditDialog dialog(logic);
    return RunDialog(dialog);
}

void InstallWireCalibrationDialogs() {
    static CQtWireCalibrationDialogs dialogs;
    SetWireCalibrationDialogs(&dialogs);
}
