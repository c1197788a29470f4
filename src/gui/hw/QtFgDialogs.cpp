#include "gui/hw/QtFgDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/hw/ImageView.h"
#include "gui/platform/QtText.h"
#include "hw/FgBoard.h"
#include "hw/fg/AdjustInputLogic.h"
#include "hw/fg/FgSetupLogic.h"
#include "hw/fg/PickOnImageLogic.h"

QLineEdit* CFgSetupDialog::Edit(const char* objectName, const std::string& text) {
    auto* edit = new QLineEdit(ToQ(text), this);
    edit->setObjectName(objectName);
    edit->setMaximumWidth(80);
    return edit;
}

CFgSetupDialog::CFgSetupDialog(CFgSetupLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(CFgSetupLogic::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* board = new QGridLayout;
    type = new QComboBox(this);
    type->setObjectName("type");
    for (int id : CFgBoard::OfferedTypes())
        type->addItem(CFgBoard::TypeName(id), id);
    type->setCurrentIndex(std::max(0, type->findData(logic.type)));
    board->addWidget(new QLabel("Board:", this), 0, 0);
    board->addWidget(type, 0, 1, 1, 3);
    port = Edit("controlPort", logic.controlPort);
    memory = Edit("memoryBase", logic.memoryBase);
    board->addWidget(new QLabel("Port:", this), 1, 0);
    board->addWidget(port, 1, 1);
    board->addWidget(new QLabel("Memory:", this), 1, 2);
    board->addWidget(memory, 1, 3);
    layout->addLayout(board);

    auto* video = new QGroupBox("Video", this);
    auto* vg = new QGridLayout(video);
    ntsc = new QRadioButton("NTSC", video);
    pal = new QRadioButton("PAL/CCIR", video);
    (logic.tvStandard == kTvStandardPal ? pal : ntsc)->setChecked(true);
    vg->addWidget(ntsc, 0, 0);
    vg->addWidget(pal, 0, 1);
    auto* modes = new QButtonGroup(video);
    grey = new QRadioButton("8 bit greyscale /", video);
    colour8 = new QRadioButton("8 bit color /", video);
    rgb24 = new QRadioButton("24 bit RGB", video);
    for (QRadioButton* b : {grey, colour8, rgb24})
        modes->addButton(b);
    (logic.pixelMode == kPixelModeColour8 ? colour8
     : logic.pixelMode == kPixelModeRgb24 ? rgb24
                                          : grey)
        ->setChecked(true);
    vg->addWidget(grey, 1, 0);
    vg->addWidget(colour8, 1, 1);
    vg->addWidget(rgb24, 1, 2);
    captureWidth = Edit("captureWidth", logic.captureWidth);
    captureHeight = Edit("captureHeight", logic.captureHeight);
    previewWidth = Edit("previewWidth", logic.previewWidth);
    previewHeight = Edit("previewHeight", logic.previewHeight);
    average = Edit("averageFrames", logic.averageFrames);
    aspect = Edit("aspect", logic.aspect);
    vg->addWidget(new QLabel("Capture:", video), 2, 0);
    vg->addWidget(captureWidth, 2, 1);
    vg->addWidget(captureHeight, 2, 2);
    vg->addWidget(new QLabel("Preview:", video), 3, 0);
    vg->addWidget(previewWidth, 3, 1);
    vg->addWidget(previewHeight, 3, 2);
    vg->addWidget(new QLabel("Average:", video), 4, 0);
    vg->addWidget(average, 4, 1);
    vg->addWidget(new QLabel("Aspect (Y/X):", video), 5, 0);
    vg->addWidget(aspect, 5, 1);
    layout->addWidget(video);

    auto* c0 = new QGroupBox("Camera 0 (X-Y Plane)", this);
    auto* c0g = new QGridLayout(c0);
    cam0 = new QCheckBox("Installed", c0);
    cam0->setObjectName("cam0Installed");
    cam0->setChecked(logic.cam0Installed);
    cam0InvX = new QCheckBox("Invert X", c0);
    cam0InvX->setChecked(logic.cam0InvX);
    cam0InvY = new QCheckBox("Invert Y", c0);
    cam0InvY->setChecked(logic.cam0InvY);
    cam0Channel = Edit("cam0Channel", logic.cam0Channel);
    c0g->addWidget(cam0, 0, 0);
    c0g->addWidget(cam0InvX, 0, 1);
    c0g->addWidget(cam0InvY, 0, 2);
    c0g->addWidget(new QLabel("Channel:", c0), 1, 0);
    c0g->addWidget(cam0Channel, 1, 1);
    auto* cam0Device = new QLabel(ToQ(logic.CameraDeviceText(0)), c0);
    cam0Device->setObjectName("cam0Device");
    c0g->addWidget(cam0Device, 1, 2, 1, 2);
    layout->addWidget(c0);

    auto* c1 = new QGroupBox("Camera 1 (X-Z or Y-Z Plane)", this);
    auto* c1g = new QGridLayout(c1);
    cam1 = new QCheckBox("Installed", c1);
    cam1->setObjectName("cam1Installed");
    cam1->setChecked(logic.cam1Installed);
    cam1InvXY = new QCheckBox("Invert X/Y", c1);
    cam1InvXY->setChecked(logic.cam1InvXY);
    cam1InvZ = new QCheckBox("Invert Z", c1);
    cam1InvZ->setChecked(logic.cam1InvZ);
    cam1ZOnly = new QCheckBox("Z only", c1);
    cam1ZOnly->setChecked(logic.cam1ZOnly);
    auto* planes = new QButtonGroup(c1);
    planeXZ = new QRadioButton("X-Z", c1);
    planeYZ = new QRadioButton("Y-Z", c1);
    planes->addButton(planeXZ);
    planes->addButton(planeYZ);
    (logic.cam1Axis == kCameraPlaneXZ ? planeXZ : planeYZ)->setChecked(true);
    cam1Channel = Edit("cam1Channel", logic.cam1Channel);
    c1g->addWidget(cam1, 0, 0);
    c1g->addWidget(cam1InvXY, 0, 1);
    c1g->addWidget(cam1InvZ, 0, 2);
    c1g->addWidget(cam1ZOnly, 0, 3);
    c1g->addWidget(planeXZ, 1, 0);
    c1g->addWidget(planeYZ, 1, 1);
    c1g->addWidget(new QLabel("Channel:", c1), 2, 0);
    c1g->addWidget(cam1Channel, 2, 1);
    auto* cam1Device = new QLabel(ToQ(logic.CameraDeviceText(1)), c1);
    cam1Device->setObjectName("cam1Device");
    c1g->addWidget(cam1Device, 2, 2, 1, 2);
    layout->addWidget(c1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFgSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(type, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    UpdateEnabled();
}

void CFgSetupDialog::UpdateEnabled() {
    logic.type = type->currentData().toInt();
    port->setEnabled(logic.PortsUsed());
    memory->setEnabled(logic.PortsUsed());
    colour8->setEnabled(logic.ColourModesUsed());
    rgb24->setEnabled(logic.ColourModesUsed());
    if (!logic.ColourModesUsed()) grey->setChecked(true);
    average->setEnabled(logic.AveragingUsed());
    ntsc->setEnabled(logic.TvStandardUsed());
    pal->setEnabled(logic.TvStandardUsed());
}

void CFgSetupDialog::ToLogic() {
    logic.type = type->currentData().toInt();
    logic.controlPort = FromQ(port->text());
    logic.memoryBase = FromQ(memory->text());
    logic.tvStandard = pal->isChecked() ? kTvStandardPal : kTvStandardNtsc;
    logic.pixelMode = colour8->isChecked() ? kPixelModeColour8
                      : rgb24->isChecked() ? kPixelModeRgb24
                                           : kPixelModeGrey;
    logic.captureWidth = FromQ(captureWidth->text());
    logic.captureHeight = FromQ(captureHeight->text());
    logic.previewWidth = FromQ(previewWidth->text());
    logic.previewHeight = FromQ(previewHeight->text());
    logic.averageFrames = FromQ(average->text());
    logic.aspect = FromQ(aspect->text());
    logic.cam0Installed = cam0->isChecked();
    logic.cam0InvX = cam0InvX->isChecked();
    logic.cam0InvY = cam0InvY->isChecked();
    logic.cam0Channel = FromQ(cam0Channel->text());
    logic.cam1Installed = cam1->isChecked();
    logic.cam1InvXY = cam1InvXY->isChecked();
    logic.cam1InvZ = cam1InvZ->isChecked();
    logic.cam1ZOnly = cam1ZOnly->isChecked();
    logic.cam1Axis = planeXZ->isChecked() ? kCameraPlaneXZ : kCameraPlaneYZ;
    logic.cam1Channel = FromQ(cam1Channel->text());
}

void CFgSetupDialog::accept() {
    ToLogic();
    if (!logic.Accept()) {
        if (auto* bad = findChild<QWidget*>(ToQ(logic.badEntry))) bad->setFocus();
        return;
    }
    QDialog::accept();
}

CAdjustInputDialog::CAdjustInputDialog(CAdjustInputLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(CAdjustInputLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    const char* names[4] = {"gain", "offset", "hue", "saturation"};
    for (int i = 0; i < 4; ++i) {
        const auto control = static_cast<CAdjustInputLogic::EControl>(i);
        rows[i] = new QWidget(this);
        auto* row = new QHBoxLayout(rows[i]);
        row->setContentsMargins(0, 0, 0, 0);
        labels[i] = new QLabel(rows[i]);
        labels[i]->setMinimumWidth(80);
        values[i] = new QLineEdit(rows[i]);
        values[i]->setObjectName(names[i]);
        values[i]->setMaximumWidth(50);
        auto* down10 = new QToolButton(rows[i]);
        down10->setArrowType(Qt::LeftArrow);
        down10->setObjectName(QString(names[i]) + ".down10");
        auto* minus = new QPushButton("-", rows[i]);
        minus->setObjectName(QString(names[i]) + ".minus");
        auto* plus = new QPushButton("+", rows[i]);
        plus->setObjectName(QString(names[i]) + ".plus");
        auto* up10 = new QToolButton(rows[i]);
        up10->setArrowType(Qt::RightArrow);
        up10->setObjectName(QString(names[i]) + ".up10");
        for (QAbstractButton* b :
             {static_cast<QAbstractButton*>(minus), static_cast<QAbstractButton*>(plus)}) {
            b->setMaximumWidth(30);
            static_cast<QPushButton*>(b)->setAutoDefault(false);
        }
        row->addWidget(labels[i]);
        row->addWidget(down10);
        row->addWidget(minus);
        row->addWidget(values[i]);
        row->addWidget(plus);
        row->addWidget(up10);
        layout->addWidget(rows[i]);
        auto step = [this, control](int delta) {
            this->logic.Step(control, delta);
            Refresh();
        };
        connect(down10, &QToolButton::clicked, this, [step] { step(-10); });
        connect(minus, &QPushButton::clicked, this, [step] { step(-1); });
        connect(plus, &QPushButton::clicked, this, [step] { step(1); });
        connect(up10, &QToolButton::clicked, this, [step] { step(10); });
        connect(values[i], &QLineEdit::editingFinished, this, [this, control, i] {
            if (closing) return;
            this->logic.Type(control, FromQ(values[i]->text()));
            Refresh();
        });
    }
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton("Apply", this);
    auto* defaults = new QPushButton("Defaults", this);
    defaults->setObjectName("defaults");
    preview = new QPushButton("Preview", this);
    auto* ok = new QPushButton("OK", this);
    auto* cancel = new QPushButton("Cancel", this);
    for (QPushButton* b : {apply, defaults, preview, ok, cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(apply, &QPushButton::clicked, this, [this] { this->logic.Apply(); });
    connect(defaults, &QPushButton::clicked, this, [this] {
        this->logic.Defaults();
        Refresh();
    });
    connect(preview, &QPushButton::clicked, this, [this] { this->logic.Preview(); });
    connect(ok, &QPushButton::clicked, this, &CAdjustInputDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CAdjustInputDialog::reject);
    Refresh();
}

void CAdjustInputDialog::Refresh() {
    const bool colour = logic.ColourControls();
    for (int i = 0; i < 4; ++i) {
        const auto control = static_cast<CAdjustInputLogic::EControl>(i);
        labels[i]->setText(ToQ(logic.Label(control)));
        values[i]->setText(QString::number(logic.Value(control)));
        if (i >= 2) rows[i]->setEnabled(colour);
    }
    preview->setEnabled(logic.PreviewEnabled());
}

void CAdjustInputDialog::accept() {
    closing = true;
    logic.Ok();
    QDialog::accept();
}

void CAdjustInputDialog::reject() {
    closing = true;
    logic.Cancel();
    QDialog::reject();
}

CPickOnImageDialog::CPickOnImageDialog(CPickOnImageLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(CPickOnImageLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(ToQ(logic.PromptText()), this);
    prompt->setObjectName("prompt");
    layout->addWidget(prompt);
    view = new CImageView(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(view);
    scroll->setWidgetResizable(false);
    scroll->setMinimumSize(360, 280);
    layout->addWidget(scroll, 1);
    auto* bottom = new QHBoxLayout;
    auto* camera0 = new QPushButton("0", this);
    camera0->setObjectName("camera0");
    camera1 = new QPushButton("1", this);
    camera1->setObjectName("camera1");
    cameraLabel = new QLabel(this);
    position = new QLabel(this);
    position->setObjectName("position");
    auto* cancel = new QPushButton("Cancel", this);
    for (QPushButton* b : {camera0, camera1, cancel}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);  // keys 0 and 1 reach the dialog
    }
    bottom->addWidget(camera0);
    bottom->addWidget(camera1);
    bottom->addWidget(cameraLabel);
    bottom->addWidget(new QLabel(CPickOnImageLogic::kPositionLabel, this));
    bottom->addWidget(position, 1);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);

    connect(camera0, &QPushButton::clicked, this, [this] { Switch(0); });
    connect(camera1, &QPushButton::clicked, this, [this] { Switch(1); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(view, &CImageView::Moved, this,
            [this](SPixel p) { position->setText(ToQ(this->logic.PositionText(p))); });
    connect(view, &CImageView::Clicked, this, [this](SPixel p, Qt::KeyboardModifiers modifiers) {
        if (modifiers & Qt::ShiftModifier) {
            if (this->logic.SwitchToOtherCamera()) ShowCamera();
            return;
        }
        this->logic.Click(p);
        QDialog::accept();
    });
    ShowCamera();
}

void CPickOnImageDialog::ShowCamera() {
    view->SetImage(logic.Image());
    view->resize(view->sizeHint());
    const SPixel marker = logic.Marker();
    view->SetMarker(marker);
    camera1->setEnabled(logic.Camera1Installed());
    cameraLabel->setText(QString("Camera %1").arg(logic.Camera()));
    if (isVisible()) QCursor::setPos(view->mapToGlobal(QPoint(marker.x, marker.y)));
}

void CPickOnImageDialog::Switch(int camera) {
    if (logic.SwitchCamera(camera)) ShowCamera();
}

void CPickOnImageDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_0) return Switch(0);
    if (event->key() == Qt::Key_1) return Switch(1);
    QDialog::keyPressEvent(event);
}

bool CQtFgDialogs::EditFgSetup(CFgSetupLogic& logic) {
    CFgSetupDialog dialog(logic, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

void CQtFgDialogs::AdjustInput(CAdjustInputLogic& logic) {
    CAdjustInputDialog dialog(logic, QApplication::activeWindow());
    dialog.exec();
}

bool CQtFgDialogs::PickOnImage(CPickOnImageLogic& logic) {
    CPickOnImageDialog dialog(logic, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted && logic.result.has_value();
}
