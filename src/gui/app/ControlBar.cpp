#include "gui/app/ControlBar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/MotionInput.h"
#include "gui/platform/QtText.h"
#include "hw/MsWcmc.h"
#include "obs/OpticalSystem.h"
#include "platform/Format.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "tech/Station.h"

namespace {
constexpr const char* kAxisNames[4] = {"X", "Y", "Z", "W"};
}

CControlBar::CControlBar(CMainFrame& frame, QWidget* parent) : QWidget(parent), frame(frame) {
    setObjectName("controlBar");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    enable = new QPushButton(ToQ(frame.EnableButtonText()), this);
    enable->setObjectName("enableKbdMouse");
    enable->setCheckable(true);
    enable->setToolTip(
        tr("While on, the arrow keys, Home/End, Page Up/Down and the mouse drive "
           "the stages chosen below. Esc ends it."));
    connect(enable, &QPushButton::toggled, this, [this](bool on) {
        if (on != this->frame.kbdMouseEnabled) this->frame.EnableKbdMouse(on);
    });
    layout->addWidget(enable);

    auto* sensitivity = new QFormLayout;
    sensitivity->setContentsMargins(0, 0, 0, 0);
    micronsPerKey = new QLineEdit(this);
    micronsPerKey->setObjectName("micronsPerKey");
    micronsPer50Pix = new QLineEdit(this);
    micronsPer50Pix->setObjectName("micronsPer50Pix");
    for (QLineEdit* edit : {micronsPerKey, micronsPer50Pix})
        edit->setMaximumWidth(90);
    sensitivity->addRow(tr("um/keyhit"), micronsPerKey);
    sensitivity->addRow(tr("um/50pix"), micronsPer50Pix);
    layout->addLayout(sensitivity);
    // What the user types counts at the next key press or movement, Enter or not.
    connect(micronsPerKey, &QLineEdit::textEdited, this,
            [this](const QString& text) { this->frame.micronsPerKeyEntry = FromQ(text); });
    connect(micronsPer50Pix, &QLineEdit::textEdited, this,
            [this](const QString& text) { this->frame.micronsPer50PixEntry = FromQ(text); });
    for (QLineEdit* edit : {micronsPerKey, micronsPer50Pix})
        connect(edit, &QLineEdit::editingFinished, this, [this] { this->frame.ReadSensitivity(); });

    layout->addWidget(BuildStage(EStage::Probe, tr("Probe"), "probe"));
    layout->addWidget(BuildStage(EStage::Sample, tr("Sample"), "sample"));

    layout->addWidget(new QLabel(tr("Optical system:"), this));
    opticalSystem = new QComboBox(this);
    opticalSystem->setObjectName("opticalSystem");
    layout->addWidget(opticalSystem);
    connect(opticalSystem, &QComboBox::activated, this, [this](int) {
        COpticalSystem chosen;
        const std::string name = FromQ(opticalSystem->currentText());
        if (chosen.Load(name))
            this->frame.Station().SetOpticalSystem(chosen);
        else
            Prompt().Message(StrPrintf("Cannot load optical system %s from profile.", name.c_str()),
                             EPromptIcon::Exclamation);
        ShowOpticalSystems();
    });
    layout->addStretch(1);

    auto* memoryLine = new QHBoxLayout;
    memoryLine->addWidget(new QLabel(tr("Memory in use:"), this));
    memory = new QLabel(this);
    memory->setObjectName("memoryLoad");
    memoryLine->addWidget(memory);
    memoryLine->addStretch(1);
    layout->addLayout(memoryLine);
    ShowAll();
}

QWidget* CControlBar::BuildStage(EStage stage, const QString& title, const QString& prefix) {
    SStageWidgets& w = stages[static_cast<int>(stage)];
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);

    w.kbd = new QCheckBox(tr("Kbd"), box);
    w.kbd->setObjectName(prefix + "Kbd");
    w.mouse = new QCheckBox(tr("Mouse"), box);
    w.mouse->setObjectName(prefix + "Mouse");
    grid->addWidget(w.kbd, 0, 0, 1, 2);
    grid->addWidget(w.mouse, 0, 2, 1, 2);
    connect(w.kbd, &QCheckBox::clicked, this, [this, stage](bool on) { frame.SetKbd(stage, on); });
    connect(w.mouse, &QCheckBox::clicked, this,
            [this, stage](bool on) { frame.SetMouse(stage, on); });

    w.linear = new QRadioButton(tr("Linear"), box);
    w.linear->setObjectName(prefix + "Linear");
    w.track = new QRadioButton(tr("Track"), box);
    w.track->setObjectName(prefix + "Track");
    auto* group = new QButtonGroup(box);
    group->addButton(w.linear, kSpeedModeLinear);
    group->addButton(w.track, kSpeedModeTrack);
    grid->addWidget(w.linear, 1, 0, 1, 2);
    grid->addWidget(w.track, 1, 2, 1, 2);
    connect(group, &QButtonGroup::idClicked, this,
            [this, stage](int id) { frame.SetSpeedMode(stage, static_cast<unsigned>(id)); });

    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(kAxisNames[i], box);
        w.position[i] = new QLineEdit(box);
        w.position[i]->setObjectName(prefix + kAxisNames[i]);
        w.position[i]->setReadOnly(true);
        w.position[i]->setFocusPolicy(Qt::NoFocus);
        w.position[i]->setAlignment(Qt::AlignRight);
        w.position[i]->setMinimumWidth(70);
        grid->addWidget(label, 2 + i / 2, (i % 2) * 2);
        grid->addWidget(w.position[i], 2 + i / 2, (i % 2) * 2 + 1);
    }

    w.zMinimumOn = new QCheckBox(tr("Zmin:"), box);
    w.zMinimumOn->setObjectName(prefix + "ZMinimumOn");
    w.zMinimum = new QLineEdit(box);
    w.zMinimum->setObjectName(prefix + "ZMinimum");
    w.zMinimum->setAlignment(Qt::AlignRight);
    grid->addWidget(w.zMinimumOn, 4, 0, 1, 2);
    grid->addWidget(w.zMinimum, 4, 2, 1, 2);
    const int s = static_cast<int>(stage);
    connect(w.zMinimum, &QLineEdit::textEdited, this,
            [this, s](const QString& text) { frame.zMinimumEntry[s] = FromQ(text); });
    connect(w.zMinimum, &QLineEdit::editingFinished, this, [this, stage] {
        SStageWidgets& sw = stages[static_cast<int>(stage)];
        if (sw.zMinimum->isModified()) {
            sw.zMinimum->setModified(false);
            frame.ApplyZMinimum(stage, sw.zMinimumOn->isChecked());
        }
    });
    connect(w.zMinimumOn, &QCheckBox::clicked, this,
            [this, stage](bool on) { frame.ApplyZMinimum(stage, on); });

    w.moveTo = new QPushButton(box);
    w.moveTo->setObjectName(prefix + "MoveTo");
    w.locate = new QPushButton(tr("Locate"), box);
    w.locate->setObjectName(prefix + "Locate");
    grid->addWidget(w.moveTo, 5, 0, 1, 2);
    grid->addWidget(w.locate, 5, 2, 1, 2);
    connect(w.moveTo, &QPushButton::clicked, this, [this, stage] { frame.OnMoveTo(stage); });
    connect(w.locate, &QPushButton::clicked, this, [this, stage] { frame.Locate(stage); });
    return box;
}

void CControlBar::ShowOpticalSystems() {
    const QSignalBlocker block(opticalSystem);
    opticalSystem->clear();
    for (const std::string& name : OpticalSystemNames())
        opticalSystem->addItem(ToQ(name));
    opticalSystem->setCurrentIndex(FindOpticalSystem(frame.Station().opticalSystem.name));
}

void CControlBar::ShowSensitivity() {
    micronsPerKey->setText(ToQ(frame.micronsPerKeyEntry));
    micronsPer50Pix->setText(ToQ(frame.micronsPer50PixEntry));
}

void CControlBar::ShowPosition(EStage stage) {
    CDVector4 at = frame.Stage(stage).Position();
    for (int i = 0; i < 4; ++i)
        stages[static_cast<int>(stage)].position[i]->setText(ToQ(StrPrintf("%.1lf", at[i])));
}

void CControlBar::ShowMotionControl() {
    const QSignalBlocker block(enable);
    enable->setChecked(frame.kbdMouseEnabled);
    // While on, the button says how to end it and stands out in the highlight colour.
    enable->setText(ToQ(frame.EnableButtonText()));
    QPalette colours = palette();
    if (frame.kbdMouseEnabled) {
        colours.setColor(QPalette::Button, colours.color(QPalette::Highlight));
        colours.setColor(QPalette::ButtonText, colours.color(QPalette::HighlightedText));
    }
    enable->setPalette(colours);
    // Turned on while typing in a field: the keys go to the stages from here on, not to the
    // field (where they would stay the field's).
    if (frame.kbdMouseEnabled && !shownOn && TypingInTextField()) enable->setFocus();
    shownOn = frame.kbdMouseEnabled;
    stages[0].kbd->setChecked(frame.probeKbd);
    stages[1].kbd->setChecked(frame.sampleKbd);
    stages[0].mouse->setChecked(frame.probeMouse);
    stages[1].mouse->setChecked(frame.sampleMouse);
    stages[0].linear->setChecked(frame.probeSpeedMode == kSpeedModeLinear);
    stages[0].track->setChecked(frame.probeSpeedMode == kSpeedModeTrack);
    stages[1].linear->setChecked(frame.sampleSpeedMode == kSpeedModeLinear);
    stages[1].track->setChecked(frame.sampleSpeedMode == kSpeedModeTrack);
}

void CControlBar::ShowZMinimum(EStage stage) {
    SStageWidgets& w = stages[static_cast<int>(stage)];
    w.zMinimum->setText(ToQ(frame.zMinimumEntry[static_cast<int>(stage)]));
    w.zMinimumOn->setChecked(frame.Stage(stage).zMinimumOn != 0);
}

void CControlBar::ShowMoveToButton(EStage stage) {
    stages[static_cast<int>(stage)].moveTo->setText(ToQ(frame.MoveToButtonText(stage)));
}

void CControlBar::ShowMemoryLoad(const QString& text) {
    memory->setText(text);
}

void CControlBar::ShowAll() {
    ShowSensitivity();
    ShowMotionControl();
    for (EStage stage : {EStage::Probe, EStage::Sample}) {
        ShowPosition(stage);
        ShowZMinimum(stage);
        ShowMoveToButton(stage);
    }
    ShowOpticalSystems();
}
