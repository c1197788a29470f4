#include "gui/tech/TechDialogsQt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "tech/Acquisition.h"

namespace {
std::string Text(const QLineEdit* edit) {
    return FromQ(edit->text());
}
}  // namespace

CWireRulesDialog::CWireRulesDialog(CWireRulesLogic& logic, QWidget* parent)
    : CLogicDialog("Current Density Probe Sampling Rules", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QLineEdit* wait = NewEdit(1038, logic.waitFor);
    QLineEdit* average = NewEdit(1042, logic.averageFor);
    QLineEdit* reference = NewEdit(1037, logic.referenceAverageFor);
    QLineEdit* channel = NewEdit(1101, logic.firstChannel);
    int row = 0;
    for (auto [label, edit, unit] :
         {std::tuple{"Wait for", wait, "seconds"}, std::tuple{"Average for", average, "seconds"},
          std::tuple{"Reference average for ", reference, "seconds"},
          std::tuple{"First A/D Channel:", channel, ""}}) {
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(edit, row, 1);
        if (*unit) grid->addWidget(new QLabel(unit, this), row, 2);
        ++row;
    }
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.waitFor = Text(wait);
            logic.averageFor = Text(average);
            logic.referenceAverageFor = Text(reference);
            logic.firstChannel = Text(channel);
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

CRawADRulesDialog::CRawADRulesDialog(CRawADRulesLogic& logic, QWidget* parent)
    : CLogicDialog("Raw A/D Sampling Rules", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QLineEdit* first = NewEdit(1039, logic.firstChannel);
    QLineEdit* last = NewEdit(1040, logic.lastChannel);
    grid->addWidget(new QLabel("First Channel:", this), 0, 0);
    grid->addWidget(first, 0, 1);
    grid->addWidget(new QLabel("Last Channel:", this), 0, 2);
    grid->addWidget(last, 0, 3);

    auto* interleave = new QRadioButton("Interleave /", this);
    interleave->setObjectName("radio1348");
    auto* sequential = new QRadioButton("Sequential", this);
    sequential->setObjectName("radio1349");
    auto* order = new QButtonGroup(this);
    order->addButton(interleave);
    order->addButton(sequential);
    (logic.interleave ? interleave : sequential)->setChecked(true);
    grid->addWidget(interleave, 1, 0);
    grid->addWidget(sequential, 1, 1);

    QLineEdit* wait = NewEdit(1038, logic.waitFor);
    grid->addWidget(new QLabel("Wait for", this), 2, 0);
    grid->addWidget(wait, 2, 1);
    grid->addWidget(new QLabel("seconds,", this), 2, 2);

    auto* average = new QRadioButton("Average for", this);
    average->setObjectName("radio1343");
    QLineEdit* avgSec = NewEdit(1345, logic.averageFor);
    grid->addWidget(average, 3, 0);
    grid->addWidget(avgSec, 3, 1);
    grid->addWidget(new QLabel("seconds", this), 3, 2);

    auto* burst = new QRadioButton("Burst record", this);
    burst->setObjectName("radio1344");
    QLineEdit* samples = NewEdit(1347, logic.burstSamples);
    QLineEdit* rate = NewEdit(1350, logic.burstRate);
    grid->addWidget(burst, 4, 0);
    grid->addWidget(samples, 4, 1);
    grid->addWidget(new QLabel("samples at", this), 4, 2);
    grid->addWidget(rate, 4, 3);
    grid->addWidget(new QLabel("samples/sec", this), 4, 4);
    auto* mode = new QButtonGroup(this);
    mode->addButton(average);
    mode->addButton(burst);
    (logic.average ? average : burst)->setChecked(true);
    layout->addLayout(grid);
    AddButtons(layout);
    SetAccept(
        [=, &logic] {
            logic.firstChannel = Text(first);
            logic.lastChannel = Text(last);
            logic.interleave = interleave->isChecked();
            logic.waitFor = Text(wait);
            logic.average = average->isChecked();
            logic.averageFor = Text(avgSec);
            logic.burstSamples = Text(samples);
            logic.burstRate = Text(rate);
        },
        [&logic](std::string& error) { return logic.Accept(error); });
}

CResistivityDialog::CResistivityDialog(CResistivityLogic& logic, QWidget* parent)
    : CLogicDialog("Set CDP Resistivity", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    QLineEdit* rho = NewEdit(1107, logic.resistivity);
    row->addWidget(new QLabel("Enter CDP media resistivity:", this));
    row->addWidget(rho);
    row->addWidget(new QLabel("ohm-cm", this));
    layout->addLayout(row);
    AddButtons(layout);
    rho->setFocus();
    rho->selectAll();
    SetAccept([=, &logic] { logic.resistivity = Text(rho); },
              [&logic](std::string& error) { return logic.Accept(error); });
}

bool CQtTechDialogs::EditWireRules(CWireRulesLogic& logic) {
    CWireRulesDialog dialog(logic);
    return RunDialog(dialog);
}

bool CQtTechDialogs::EditRawADRules(CRawADRulesLogic& logic) {
    CRawADRulesDialog dialog(logic);
    return RunDialog(dialog);
}

bool CQtTechDialogs::SetResistivity(CResistivityLogic& logic) {
    CResistivityDialog dialog(logic);
    return RunDialog(dialog);
}

void InstallTechDialogs() {
    static CQtTechDialogs dialogs;
    SetTechDialogs(&dialogs);
    SAcquisitionHooks hooks;
    hooks.busyCursor = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    SetAcquisitionHooks(std::move(hooks));
}
