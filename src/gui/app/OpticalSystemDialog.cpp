#include "gui/app/OpticalSystemDialog.h"

#include <QComboBox>
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
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Prompt.h"
#include "platform/Services.h"

namespace {
QString Value(double v) {
    return ToQ(StrPrintf("%.4lf", v));
}
}  // namespace

std::optional<std::string> AskNewOpticalSystemName(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(COpticalSystemDefinition::kNewTitle);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(COpticalSystemDefinition::kNewPrompt, &dialog));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName("newName");
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FromQ(edit->text());
}

COpticalSystemDialog::COpticalSystemDialog(COpticalSystemDefinition& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(COpticalSystemDefinition::kTitle);
    setObjectName("opticalSystemDialog");
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Name:"), this));
    name = new QComboBox(this);
    name->setObjectName("systemName");
    top->addWidget(name, 1);
    auto* newButton = new QPushButton(tr("New ..."), this);
    auto* removeButton = new QPushButton(tr("Remove"), this);
    auto* saveButton = new QPushButton(tr("Save Definition"), this);
    newButton->setObjectName("newSystem");
    removeButton->setObjectName("removeSystem");
    saveButton->setObjectName("saveDefinition");
    top->addWidget(newButton);
    top->addWidget(removeButton);
    top->addWidget(saveButton);
    layout->addLayout(top);

    auto* field = new QHBoxLayout;
    auto* fromGrabber = new QPushButton(tr("<< From Frame Grabber"), this);
    field->addWidget(new QLabel(tr("Image field (pixels):"), this));
    width = new QLineEdit(this);
    height = new QLineEdit(this);
    aspect = new QLineEdit(this);
    for (auto [label, edit] : {std::pair{"Width", width}, std::pair{"Height", height},
                               std::pair{"Aspect (Y/X)", aspect}}) {
        field->addWidget(new QLabel(tr(label), this));
        edit->setMinimumWidth(70);
        edit->setMaximumWidth(90);
        field->addWidget(edit);
    }
    field->addWidget(fromGrabber);
    layout->addLayout(field);

    auto* using_ = new QHBoxLayout;
    using_->addWidget(new QLabel(tr("Define using"), this));
    useProbe = new QRadioButton(tr("probe system /"), this);
    useSample = new QRadioButton(tr("sample system /"), this);
    auto* reticule = new QRadioButton(tr("reticule"), this);
    reticule->setEnabled(false);
    using_->addWidget(useProbe);
    using_->addWidget(useSample);
    using_->addWidget(reticule);
    using_->addStretch(1);
    layout->addLayout(using_);

    const char* titles[2] = {"Camera 0 (X-Y Plane)", "Camera 1 (X-Z or Y-Z Plane)"};
    for (int c = 0; c < 2; ++c) {
        auto* box = new QGroupBox(tr(titles[c]), this);
        auto* grid = new QGridLayout(box);
        const int n = c == 0 ? 3 : 4;
        const char* labels0[3] = {"X", "Y", "CCW Twist"};
        const char* labels1[4] = {"X:", "Y:", "Z", "CCW Tilt"};
        for (int i = 0; i < n; ++i) {
            auto* edit = new QLineEdit(box);
            edit->setMaximumWidth(90);
            edit->setObjectName(QString("cam%1_%2").arg(c).arg(i));
            (c == 0 ? cam0[static_cast<size_t>(i)] : cam1[static_cast<size_t>(i)]) = edit;
            grid->addWidget(new QLabel(tr(c == 0 ? labels0[i] : labels1[i]), box), 0, 2 * i);
            grid->addWidget(edit, 0, 2 * i + 1);
        }
        grid->addWidget(new QLabel(tr("um/pixel"), box), 0, 2 * n);
        define[static_cast<size_t>(c)] = new QPushButton(tr("Define"), box);
        define[static_cast<size_t>(c)]->setObjectName(QString("define%1").arg(c));
        grid->addWidget(define[static_cast<size_t>(c)], 1, 0);
        auto& labels = readOut[static_cast<size_t>(c)];
        for (size_t i = 0; i < labels.size(); ++i)
            labels[i] = new QLabel(box);
        for (int i = 0; i < 3; ++i) {
            grid->addWidget(labels[static_cast<size_t>(i)], 1, 1 + 2 * i);
            grid->addWidget(labels[static_cast<size_t>(3 + i)], 2, 1 + 2 * i);
        }
        grid->addWidget(labels[6], 1, 7);
        grid->addWidget(labels[7], 2, 7);
        layout->addWidget(box);
        connect(define[static_cast<size_t>(c)], &QPushButton::clicked, this, [this, c] {
            if (!ReadValues()) return;
            this->logic.Define(c);
            ShowValues();
        });
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(name, &QComboBox::activated, this, [this](int index) {
        this->logic.Select(index);
        ShowValues();
    });
    connect(newButton, &QPushButton::clicked, this, [this] {
        if (std::optional<std::string> typed = AskNewOpticalSystemName(this))
            this->logic.New(*typed);
        FillNames();
        ShowValues();
    });
    connect(removeButton, &QPushButton::clicked, this, [this] {
        this->logic.Remove();
        FillNames();
        ShowValues();
    });
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (ReadValues()) this->logic.SaveDefinition();
    });
    connect(fromGrabber, &QPushButton::clicked, this, [this] {
        if (!ReadValues()) return;
        this->logic.FromFrameGrabber();
        ShowValues();
    });
    for (QRadioButton* r : {useProbe, useSample})
        connect(r, &QRadioButton::toggled, this, [this] {
            this->logic.defineUsing = useSample->isChecked()
                                          ? COpticalSystemDefinition::EDefineUsing::Sample
                                          : COpticalSystemDefinition::EDefineUsing::Probe;
            ShowValues();
        });
    useProbe->setChecked(true);
    FillNames();
    ShowValues();
}

void COpticalSystemDialog::FillNames() {
    const QSignalBlocker block(name);
    name->clear();
    for (const std::string& n : logic.names)
        name->addItem(ToQ(n));
    name->setCurrentIndex(logic.selected);
}

void COpticalSystemDialog::ShowValues() {
    const COpticalSystem& s = logic.system;
    width->setText(QString::number(s.frameWidth));
    height->setText(QString::number(s.frameHeight));
    aspect->setText(Value(s.aspect));
    cam0[0]->setText(Value(s.umPerPixelX));
    cam0[1]->setText(Value(s.umPerPixelY));
    cam0[2]->setText(Value(s.twist));
    cam1[0]->setText(Value(s.cam1UmPerPixelX));
    cam1[1]->setText(Value(s.cam1UmPerPixelY));
    cam1[2]->setText(Value(s.cam1UmPerPixelZ));
    cam1[3]->setText(Value(s.tilt));
    for (size_t c = 0; c < 2; ++c) {
        define[c]->setEnabled(logic.DefineEnabled());
        const auto& corners = logic.corners[c];
        for (size_t i = 0; i < 3; ++i) {
            readOut[c][i]->setText(ToQ(corners.stage[i]));
            readOut[c][3 + i]->setText(ToQ(corners.pixel[i]));
        }
        readOut[c][6]->setText(ToQ(corners.stageDistance));
        readOut[c][7]->setText(ToQ(corners.pixelDistance));
    }
}

bool COpticalSystemDialog::ReadValues() {
    COpticalSystem& s = logic.system;
    struct SEntry {
        QLineEdit* edit;
        double* value;
    };
    double w = s.frameWidth, h = s.frameHeight;
    const SEntry entries[] = {{cam0[0], &s.umPerPixelX},
                              {cam0[1], &s.umPerPixelY},
                              {cam0[2], &s.twist},
                              {cam1[0], &s.cam1UmPerPixelX},
                              {cam1[1], &s.cam1UmPerPixelY},
                              {cam1[2], &s.cam1UmPerPixelZ},
                              {cam1[3], &s.tilt},
                              {aspect, &s.aspect},
                              {width, &w},
                              {height, &h}};
    for (const SEntry& e : entries) {
        const std::optional<double> v = ParseNumberEntry(FromQ(e.edit->text()));
        if (!v) {
            Prompt().Message("'" + FromQ(e.edit->text()) + "' is not a number.",
                             EPromptIcon::Exclamation, COpticalSystemDefinition::kTitle);
            e.edit->setFocus();
            return false;
        }
        *e.value = *v;
    }
    s.frameWidth = w >= 0 && w <= 65535 ? static_cast<int>(w) : 0;
    s.frameHeight = h >= 0 && h <= 65535 ? static_cast<int>(h) : 0;
    return true;
}

void COpticalSystemDialog::accept() {
    if (!ReadValues() || !logic.SaveDefinition()) return;
    QDialog::accept();
}
