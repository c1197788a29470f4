#include "gui/hw/AdBoardSetupDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "hw/AdBoard.h"

CAdBoardSetupDialog::CAdBoardSetupDialog(CAdBoardSetupLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("adBoardSetup");
    auto* layout = new QVBoxLayout(this);

    typeList = new QListWidget(this);
    typeList->setObjectName("typeList");
    for (const auto& name : CAdBoardSetupLogic::TypeList())
        typeList->addItem(ToQ(name));
    const auto matches = typeList->findItems(ToQ(logic.typeName), Qt::MatchExactly);
    typeList->setCurrentItem(matches.isEmpty() ? typeList->item(0) : matches.front());
    layout->addWidget(typeList);

    auto* form = new QFormLayout;
    auto addEdit = [&](const char* name, const std::string& text) {
        auto* edit = new QLineEdit(ToQ(text), this);
        edit->setObjectName(name);
        return edit;
    };
    baseLabel = new QLabel(this);
    baseLabel->setObjectName("baseLabel");
    baseEdit = addEdit("baseEdit", logic.baseText);
    baseLabel->setBuddy(baseEdit);
    form->addRow(baseLabel, baseEdit);

    initCheck = new QCheckBox(tr("Initialization"), this);
    initCheck->setObjectName("initCheck");
    initCheck->setChecked(logic.initOn);
    form->addRow(initCheck);
    portEdit = addEdit("portEdit", logic.portText);
    form->addRow(tr("Por&t (hex):"), portEdit);
    valueEdit = addEdit("valueEdit", logic.valueText);
    form->addRow(tr("&Value (hex):"), valueEdit);

    adRangeEdit = addEdit("adRangeEdit", logic.adRangeText);
    form->addRow(tr("A/D (+/- volts):"), adRangeEdit);
    daRangeEdit = addEdit("daRangeEdit", logic.daRangeText);
    form->addRow(tr("D/A (+/- volts):"), daRangeEdit);
    freqEdit = addEdit("freqEdit", logic.freqText);
    form->addRow(tr("Pace (samples/second)"), freqEdit);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAdBoardSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAdBoardSetupDialog::reject);
    layout->addWidget(buttons);

    connect(typeList, &QListWidget::currentRowChanged, this, &CAdBoardSetupDialog::OnTypeChosen);
    connect(initCheck, &QCheckBox::toggled, this, &CAdBoardSetupDialog::UpdateEnabled);
    OnTypeChosen();
    UpdateEnabled();
}

void CAdBoardSetupDialog::OnTypeChosen() {
    if (auto* item = typeList->currentItem()) logic.typeName = FromQ(item->text());
    setWindowTitle(ToQ(logic.Title()));
    baseLabel->setText(ToQ(logic.BaseLabel()));
}

void CAdBoardSetupDialog::UpdateEnabled() {
    portEdit->setEnabled(initCheck->isChecked());
    valueEdit->setEnabled(initCheck->isChecked());
}

void CAdBoardSetupDialog::accept() {
    logic.baseText = FromQ(baseEdit->text());
    logic.initOn = initCheck->isChecked();
    logic.portText = FromQ(portEdit->text());
    logic.valueText = FromQ(valueEdit->text());
    logic.adRangeText = FromQ(adRangeEdit->text());
    logic.daRangeText = FromQ(daRangeEdit->text());
    logic.freqText = FromQ(freqEdit->text());
    // A bad entry has been named in a message; the dialog stays open for the correction.
    if (!logic.CheckEntries()) return;
    QDialog::accept();
}

void InstallAdBoardSetupDialog(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    CAdBoard::setupDialog = [owner](CAdBoardSetupLogic& logic) {
        CAdBoardSetupDialog dialog(logic, owner.data());
        return dialog.exec() == QDialog::Accepted;
    };
}
