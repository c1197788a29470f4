#include "gui/hw/SimStationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "platform/Services.h"

namespace {

using EKind = SSimField::EKind;

QWidget* MakeWidget(const SSimField& field, QWidget* parent) {
    QWidget* widget = nullptr;
    if (field.kind == EKind::Check) {
        auto* check = new QCheckBox(ToQ(field.label), parent);
        check->setChecked(field.text == "1");
        widget = check;
    } else if (field.kind == EKind::Choice) {
        auto* combo = new QComboBox(parent);
        for (const std::string& choice : field.choices)
            combo->addItem(ToQ(choice));
        combo->setCurrentIndex(ToQ(field.text).toInt());
        widget = combo;
    } else {
        auto* edit = new QLineEdit(ToQ(field.text), parent);
        edit->setMaximumWidth(140);
        widget = edit;
    }
    widget->setObjectName(ToQ(field.name));
    return widget;
}

}  // namespace

CSimStationDialog::CSimStationDialog(CAdBoard& board, QWidget* parent)
    : QDialog(parent), board(board), logic(board) {
    setObjectName("simStation");
    setWindowTitle(CSimStationLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("pages");
    QGridLayout* grids[2] = {};
    int counts[2] = {0, 0};
    for (int page = 0; page < 2; ++page) {
        auto* widget = new QWidget(tabs);
        grids[page] = new QGridLayout(widget);
        tabs->addTab(widget, ToQ(CSimStationLogic::kPageTitles[page]));
    }
    for (const SSimGroup& group : logic.groups) {
        const int page = group.page == 1 ? 1 : 0;
        auto* box = new QGroupBox(ToQ(group.title), tabs->widget(page));
        auto* form = new QFormLayout(box);
        for (const SSimField& field : group.fields) {
            QWidget* widget = MakeWidget(field, box);
            if (field.kind == EKind::Check)
                form->addRow(widget);
            else
                form->addRow(ToQ(field.label), widget);
        }
        const int n = counts[page]++;
        grids[page]->addWidget(box, n / 2, n % 2, Qt::AlignTop);
    }
    // Spare height goes below the groups, not between them.
    for (int page = 0; page < 2; ++page)
        grids[page]->setRowStretch((counts[page] + 1) / 2, 1);
    layout->addWidget(tabs);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSimStationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSimStationDialog::reject);
    layout->addWidget(buttons);
}

void CSimStationDialog::ToLogic() {
    for (SSimGroup& group : logic.groups) {
        for (SSimField& field : group.fields) {
            QWidget* widget = findChild<QWidget*>(ToQ(field.name));
            if (auto* check = qobject_cast<QCheckBox*>(widget))
                field.text = std::string(1, check->isChecked() ? '1' : '0');
            else if (auto* combo = qobject_cast<QComboBox*>(widget))
                field.text = std::to_string(combo->currentIndex());
            else if (auto* edit = qobject_cast<QLineEdit*>(widget))
                field.text = FromQ(edit->text());
        }
    }
}

void CSimStationDialog::accept() {
    ToLogic();
    std::string error;
    if (!logic.Check(error)) {
        Prompt().Message(error, EPromptIcon::Exclamation);
        return;
    }
    logic.Apply(board);
    QDialog::accept();
}
