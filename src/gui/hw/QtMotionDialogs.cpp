#include "gui/hw/QtMotionDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "hw/MsWcmc.h"
#include "hw/motion/MotionSetupLogic.h"
#include "platform/Format.h"

namespace {
const char* const kAxisNames[4] = {"X", "Y", "Z", "W"};
}

CZMinimumWarningDialog::CZMinimumWarningDialog(
    const QString& heading, const std::vector<std::pair<QString, double>>& values,
    const QStringList& buttons, QWidget* parent)
    : QDialog(parent), choice(static_cast<int>(buttons.size()) - 1) {
    setWindowTitle(kMotionWarningCaption);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(heading, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    auto* grid = new QGridLayout;
    int row = 0;
    for (const auto& [label, value] : values) {
        grid->addWidget(new QLabel(label, this), row, 0);
        auto* number = new QLabel(ToQ(StrPrintf("%.1lf", value)), this);
        number->setObjectName(QString("value%1").arg(row));
        grid->addWidget(number, row++, 1);
    }
    layout->addLayout(grid);
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new QPushButton(buttons[i], this);
        button->setObjectName(QString("answer%1").arg(i));
        button->setAutoDefault(i == 0);
        button->setDefault(i == 0);
        connect(button, &QPushButton::clicked, this, [this, i] {
            choice = i;
            QDialog::accept();
        });
        layout->addWidget(button);
        if (i == 0) button->setFocus();
    }
}

EZMinimumMoveAnswer CZMinimumWarningDialog::AskViolation(const SZMinimumViolation& v,
                                                         QWidget* parent) {
    CZMinimumWarningDialog dialog(kZMinimumViolationText,
                                  {{"Current Z Coordinate:", v.currentZ},
                                   {"Requested Z Coordinate:", v.requestedZ},
                                   {"Minimum Z Coordinate:", v.minimumZ}},
                                  {"Move and Reset Z Coordinate to Minimum",
                                   "Truncate Move to Stop at Z Minimum", "Cancel Move"},
                                  parent);
    dialog.exec();
    switch (dialog.Choice()) {
        case 0:
            return EZMinimumMoveAnswer::MoveAndResetZ;
        case 1:
            return EZMinimumMoveAnswer::TruncateMove;
        default:
            return EZMinimumMoveAnswer::CancelMove;
    }
}

EZMinimumSetAnswer CZMinimumWarningDialog::AskAboveCurrent(const SZMinimumAboveCurrent& v,
                                                           QWidget* parent) {
    CZMinimumWarningDialog dialog(
        kZMinimumAboveText,
        {{"Requested Minimum:", v.requestedMinimum},
         {"Current Minimum:", v.currentMinimum},
         {"Current Z Coordinate:", v.currentZ}},
        {"Set Z Minimum to Current Z Coordinate", "Set Current Z Coordinate to Requested Z Minimum",
         "Cancel   (Keep Current Z Minimum)"},
        parent);
    dialog.exec();
    switch (dialog.Choice()) {
        case 0:
            return EZMinimumSetAnswer::SetMinimumToCurrentZ;
        case 1:
            return EZMinimumSetAnswer::SetCurrentZToRequested;
        default:
            return EZMinimumSetAnswer::KeepMinimum;
    }
}

QLineEdit* CMotionSetupDialog::AddEdit(const QString& objectName, const std::string& text,
                                       bool enabled) {
    auto* edit = new QLineEdit(ToQ(text), this);
    edit->setObjectName(objectName);
    edit->setEnabled(enabled);
    edit->setMaximumWidth(90);
    return edit;
}

CMotionSetupDialog::CMotionSetupDialog(CMotionSetupLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(CMotionSetupLogic::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    name = AddEdit("name", logic.name);
    name->setMaxLength(static_cast<int>(CMsWcmc::kMaxNameLength));
    name->setMaximumWidth(260);
    auto* nameLabel = new QLabel("System N&ame:", this);
    nameLabel->setBuddy(name);
    top->addWidget(nameLabel, 0, 0);
    top->addWidget(name, 0, 1);
    boardId = AddEdit("boardId", logic.boardId);
    boardId->setMaxLength(static_cast<int>(CMotionSetupLogic::kMaxBoardIdDigits));
    top->addWidget(new QLabel("Board ID:", this), 0, 2);
    top->addWidget(boardId, 0, 3);
    layout->addLayout(top);

    // The axes and the (unused) encoders side by side, so that the dialog fits a small screen.
    auto* groups = new QHBoxLayout;
    layout->addLayout(groups);
    auto* axesColumn = new QVBoxLayout;
    groups->addLayout(axesColumn);
    auto* axes = new QGroupBox("Axes", this);
    auto* grid = new QGridLayout(axes);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(new QLabel(kAxisNames[i], axes), 0, i + 1, Qt::AlignCenter);
    int row = 1;
    auto addRow = [&](const QString& label, const QString& key,
                      const std::array<std::string, 4>& texts, bool enabled,
                      std::array<QLineEdit*, 4>* into) {
        auto* caption = new QLabel(label, axes);
        grid->addWidget(caption, row, 0);
        for (int i = 0; i < 4; ++i) {
            QLineEdit* edit = AddEdit(QString("%1.%2").arg(key).arg(i), texts[i], enabled);
            grid->addWidget(edit, row, i + 1);
            if (into) (*into)[i] = edit;
            if (i == 0) caption->setBuddy(edit);
        }
        ++row;
    };
    addRow("&Resolution: (steps/micron)", "resolution", logic.resolution, true, &resolution);
    addRow("P&ositive Motion:", "positiveMotion", logic.positiveMotion, true, &positive);
    addRow("Mi&nimum: (microns/sec)", "minSpeed", logic.minSpeed, false, nullptr);
    addRow("Ma&ximum: (microns/sec)", "maxSpeed", logic.maxSpeed, true, &maxSpeed);
    addRow("&Tracking: (microns/sec)", "trackingSpeed", logic.trackingSpeed, true, &tracking);
    addRow("&Distance: (microns)", "accelDistance", logic.accelDistance, true, &distance);
    addRow("Pro&file Type:", "accelType", logic.accelType, false, nullptr);
    axesColumn->addWidget(axes);

    auto* zRow = new QHBoxLayout;
    zMinimumOn = new QCheckBox("Z Minimum:", this);
    zMinimumOn->setObjectName("zMinimumOn");
    zMinimumOn->setChecked(logic.zMinimumOn);
    zMinimum = AddEdit("zMinimum", logic.zMinimum);
    zRow->addWidget(zMinimumOn);
    zRow->addWidget(zMinimum);
    zRow->addWidget(new QLabel("microns", this));
    zRow->addStretch();
    axesColumn->addLayout(zRow);

    // Encoder-checked moves and the PDMA board are kept in the settings but not used.
    auto* encoders = new QGroupBox("Encoders", this);
    encoders->setEnabled(false);
    auto* eg = new QGridLayout(encoders);
    row = 0;
    auto encoderEdit = [encoders](const std::string& text) {
        auto* edit = new QLineEdit(ToQ(text), encoders);
        edit->setMaximumWidth(60);
        return edit;
    };
    auto addEncoderRow = [&](const QString& label, const std::array<std::string, 4>& texts) {
        eg->addWidget(new QLabel(label, encoders), row, 0);
        for (int i = 0; i < 4; ++i)
            eg->addWidget(encoderEdit(texts[i]), row, i + 1);
        ++row;
    };
    addEncoderRow("Enabled:", logic.encoderOn);
    addEncoderRow("Resolution:", logic.encoderResolution);
    addEncoderRow("Counter Card:", logic.encoderBoard);
    addEncoderRow("Plus Counter:", logic.encoderPlusCtr);
    addEncoderRow("Minus Counter:", logic.encoderMinusCtr);
    addEncoderRow("Tolerance:", logic.encoderTolerance);
    eg->addWidget(new QLabel("Retries:", encoders), row, 0);
    eg->addWidget(encoderEdit(logic.encoderRetries), row, 1);
    eg->addWidget(new QLabel("Speed Reduction:", encoders), row + 1, 0);
    eg->addWidget(encoderEdit(logic.speedReduction), row + 1, 1);
    auto* encoderColumn = new QVBoxLayout;
    groups->addLayout(encoderColumn);
    encoderColumn->addWidget(encoders);
    auto* pdmaRow = new QHBoxLayout;
    auto* pdma = new QCheckBox("PDMA-16 Board", this);
    pdma->setChecked(logic.pdmaBoard);
    pdma->setEnabled(false);
    auto* rate = new QLineEdit(ToQ(logic.pdmaRate), this);
    rate->setEnabled(false);
    pdmaRow->addWidget(pdma);
    pdmaRow->addWidget(rate);
    pdmaRow->addWidget(new QLabel("Hz", this));
    pdmaRow->addStretch();
    encoderColumn->addLayout(pdmaRow);
    encoderColumn->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMotionSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CMotionSetupDialog::ToLogic() {
    logic.name = FromQ(name->text());
    logic.boardId = FromQ(boardId->text());
    for (int i = 0; i < 4; ++i) {
        logic.resolution[i] = FromQ(resolution[i]->text());
        logic.positiveMotion[i] = FromQ(positive[i]->text());
        logic.maxSpeed[i] = FromQ(maxSpeed[i]->text());
        logic.trackingSpeed[i] = FromQ(tracking[i]->text());
        logic.accelDistance[i] = FromQ(distance[i]->text());
    }
    logic.zMinimumOn = zMinimumOn->isChecked();
    logic.zMinimum = FromQ(zMinimum->text());
}

void CMotionSetupDialog::accept() {
    ToLogic();
    if (!logic.Accept()) {
        if (auto* bad = findChild<QWidget*>(ToQ(logic.badEntry))) bad->setFocus();
        return;
    }
    QDialog::accept();
}

CGoToPositionDialog::CGoToPositionDialog(CGoToPositionLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(CGoToPositionLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(CGoToPositionLogic::kPositionLabel, this));
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        edits[i] = new QLineEdit(ToQ(logic.entries[i]), this);
        edits[i]->setObjectName(kAxisNames[i]);
        row->addWidget(new QLabel(kAxisNames[i], this));
        row->addWidget(edits[i]);
    }
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* show = new QPushButton("Show", this);
    show->setObjectName("show");
    jog = new QPushButton(ToQ(logic.JogButtonText()), this);
    jog->setObjectName("jog");
    auto* moveTo = new QPushButton("Move To", this);
    moveTo->setObjectName("moveTo");
    moveTo->setDefault(true);
    auto* stay = new QPushButton("Go  To and Stay", this);
    stay->setObjectName("goToAndStay");
    auto* cancel = new QPushButton("Cancel", this);
    for (QPushButton* b : {show, jog, moveTo, stay, cancel})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    jog->setEnabled(static_cast<bool>(logic.startJog));
    show->setEnabled(static_cast<bool>(logic.show));

    connect(show, &QPushButton::clicked, this, [this] {
        ToLogic();
        this->logic.Show();
    });
    connect(jog, &QPushButton::clicked, this, [this] {
        this->logic.ToggleJog();
        FromLogic();
    });
    connect(moveTo, &QPushButton::clicked, this,
            [this] { Finish(CGoToPositionLogic::EResult::MoveTo); });
    connect(stay, &QPushButton::clicked, this,
            [this] { Finish(CGoToPositionLogic::EResult::GoToAndStay); });
    connect(cancel, &QPushButton::clicked, this, &CGoToPositionDialog::reject);
}

void CGoToPositionDialog::ToLogic() {
    for (int i = 0; i < 4; ++i)
        logic.entries[i] = FromQ(edits[i]->text());
}

void CGoToPositionDialog::FromLogic() {
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(ToQ(logic.entries[i]));
    jog->setText(ToQ(logic.JogButtonText()));
}

void CGoToPositionDialog::Finish(CGoToPositionLogic::EResult how) {
    ToLogic();
    CDVector4 read;
    const bool ok = logic.Finish(how, read);
    FromLogic();
    if (!ok) return;
    result = how;
    target = read;
    QDialog::accept();
}

void CGoToPositionDialog::reject() {
    if (logic.Escape()) {
        FromLogic();
        return;
    }
    result = CGoToPositionLogic::EResult::Cancel;
    QDialog::reject();
}

EZMinimumMoveAnswer CQtMotionDialogs::AskZMinimumViolation(const SZMinimumViolation& values) {
    return CZMinimumWarningDialog::AskViolation(values, QApplication::activeWindow());
}

EZMinimumSetAnswer CQtMotionDialogs::AskZMinimumAboveCurrent(const SZMinimumAboveCurrent& values) {
    return CZMinimumWarningDialog::AskAboveCurrent(values, QApplication::activeWindow());
}

bool CQtMotionDialogs::EditMotionSetup(CMotionSetupLogic& logic) {
    CMotionSetupDialog dialog(logic, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}
