#include "gui/app/ObsDocDialogsQt.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ObsDocCommands.h"
#include "gui/platform/QtText.h"

namespace {

std::string Text(const QLineEdit* edit) {
    return FromQ(edit->text());
}

// The times a document can store (32-bit seconds), as shown in local time.
QDateTimeEdit* NewTimeEdit(QWidget* parent, int64_t seconds, const char* name) {
    auto* edit = new QDateTimeEdit(QDateTime::fromSecsSinceEpoch(seconds), parent);
    edit->setObjectName(name);
    edit->setDisplayFormat("MM/dd/yyyy HH:mm:ss");
    edit->setCalendarPopup(true);
    edit->setMinimumDateTime(QDateTime::fromSecsSinceEpoch(INT32_MIN));
    edit->setMaximumDateTime(QDateTime::fromSecsSinceEpoch(INT32_MAX));
    return edit;
}

}  // namespace

CLogEntryDialog::CLogEntryDialog(CLogEntryLogic& logic, QWidget* parent)
    : CLogicDialog("Log Entry", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel("Log Time:", this));
    timeLabel = new QLabel(ToQ(logic.TimeText()), this);
    timeLabel->setObjectName("logTime");
    timeRow->addWidget(timeLabel, 1);
    layout->addLayout(timeRow);
    layout->addWidget(new QLabel("Log Text:", this));
    auto* text = new QPlainTextEdit(ToQ(logic.text), this);
    text->setObjectName("logText");
    layout->addWidget(text);
    QDialogButtonBox* buttons = AddButtons(layout);
    QPushButton* update = buttons->addButton("Update Time && Save", QDialogButtonBox::ActionRole);
    update->setObjectName("updateTime");
    connect(update, &QPushButton::clicked, this, [this, &logic] {
        logic.TakeTime();
        timeLabel->setText(ToQ(logic.TimeText()));
        accept();
    });
    text->setFocus();
    // A log text is free text; every line of it is kept as typed.
    SetAccept([=, &logic] { logic.text = FromQ(text->toPlainText()); }, nullptr);
}

CAutoSaveDialog::CAutoSaveDialog(CAutoSaveLogic& logic, QWidget* parent)
    : CLogicDialog("Auto Save Feature", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    QLineEdit* count = NewEdit(1000, logic.observations);
    count->setObjectName("observations");
    row->addWidget(new QLabel("Automatic document save every", this));
    row->addWidget(count);
    row->addWidget(new QLabel("observations", this));
    layout->addLayout(row);
    AddButtons(layout);
    count->setFocus();
    count->selectAll();
    SetAccept([=, &logic] { logic.observations = Text(count); },
              [&logic](std::string& error) { return logic.Accept(error); });
}

CTimeRangeDialog::CTimeRangeDialog(CTimeRangeLogic& logic, QWidget* parent)
    : CLogicDialog("Define Time Range", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QDateTimeEdit* start = NewTimeEdit(this, logic.start, "start");
    QDateTimeEdit* end = NewTimeEdit(this, logic.end, "end");
    grid->addWidget(new QLabel("Start:", this), 0, 0);
    grid->addWidget(start, 0, 1);
    grid->addWidget(new QLabel("End:", this), 1, 0);
    grid->addWidget(end, 1, 1);
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.start = start->dateTime().toSecsSinceEpoch();
            logic.end = end->dateTime().toSecsSinceEpoch();
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

COpenWithDialog::COpenWithDialog(COpenWithLogic& logic, QWidget* parent)
    : CLogicDialog("Open Observations With ...", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* types = new QListWidget(this);
    types->setObjectName("types");
    types->addItem(ToQ(logic.type));
    types->setCurrentRow(0);
    types->setMaximumHeight(types->sizeHintForRow(0) * 3);
    grid->addWidget(new QLabel("Type:", this), 0, 0);
    grid->addWidget(types, 0, 1);
    auto* command = new QLineEdit(ToQ(logic.command), this);
    command->setObjectName("command");
    command->setMinimumWidth(320);
    grid->addWidget(new QLabel("Command:", this), 1, 0);
    grid->addWidget(command, 1, 1);
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept([=, &logic] { logic.command = Text(command); },
              [&logic](std::string& error) { return logic.Accept(error); });
}

CWireReferenceDialog::CWireReferenceDialog(CWireReferenceLogic& logic, QWidget* parent)
    : CLogicDialog("Edit Current Density Probe Reference", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QLineEdit* edits[4] = {NewEdit(1, logic.xInPh), NewEdit(2, logic.xQuad),
                           NewEdit(3, logic.yInPh), NewEdit(4, logic.yQuad)};
    const char* labels[4] = {"X In-Ph", "X Quad", "Y In-Ph", "Y Quad"};
    for (int i = 0; i < 4; ++i) {
        edits[i]->setObjectName(labels[i]);
        grid->addWidget(new QLabel(labels[i], this), 0, i);
        grid->addWidget(edits[i], 1, i);
    }
    grid->addWidget(new QLabel("volts at A/D input", this), 1, 4);
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.xInPh = Text(edits[0]);
            logic.xQuad = Text(edits[1]);
            logic.yInPh = Text(edits[2]);
            logic.yQuad = Text(edits[3]);
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

CIonReferenceDialog::CIonReferenceDialog(CIonReferenceLogic& logic, QWidget* parent)
    : CLogicDialog("Edit ISP/PVP Reference", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Gradient:", this), 0, 0);
    grid->addWidget(new QLabel(ToQ(logic.gradient), this), 0, 1);
    QLineEdit* da0 = NewEdit(0, logic.daChannel0);
    da0->setObjectName("da0");
    QLineEdit* da1 = NewEdit(1, logic.daChannel1);
    da1->setObjectName("da1");
    grid->addWidget(new QLabel("D/A Channel 0:", this), 1, 0);
    grid->addWidget(da0, 1, 1);
    grid->addWidget(new QLabel("D/A Channel 1:", this), 2, 0);
    grid->addWidget(da1, 2, 1);
    grid->addWidget(new QLabel("Number of Samples:", this), 3, 0);
    grid->addWidget(new QLabel(ToQ(logic.numberOfSamples), this), 3, 1);
    QLineEdit* samples = NewEdit(2, logic.samples);
    samples->setObjectName("samples");
    samples->setMinimumWidth(360);
    grid->addWidget(new QLabel("Samples:", this), 4, 0);
    grid->addWidget(samples, 4, 1);
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.daChannel0 = Text(da0);
            logic.daChannel1 = Text(da1);
            logic.samples = Text(samples);
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

bool CQtObsDocDialogs::EditLogEntry(CLogEntryLogic& logic) {
    CLogEntryDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtObsDocDialogs::EditAutoSave(CAutoSaveLogic& logic) {
    CAutoSaveDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtObsDocDialogs::DefineTimeRange(CTimeRangeLogic& logic) {
    CTimeRangeDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtObsDocDialogs::EditOpenWith(COpenWithLogic& logic) {
    COpenWithDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtObsDocDialogs::EditWireReference(CWireReferenceLogic& logic) {
    CWireReferenceDialog dialog(logic);
    return RunDialog(dialog);
}
bool CQtObsDocDialogs::EditIonReference(CIonReferenceLogic& logic) {
    CIonReferenceDialog dialog(logic);
    return RunDialog(dialog);
}

void InstallObsDocDialogs() {
    static CQtObsDocDialogs dialogs;
    SetObsDocDialogs(&dialogs);
    InstallOpenWithRunner();
}
