#include "gui/tech/LogicDialog.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QLineEdit>

#include "gui/platform/QtText.h"
#include "platform/Services.h"

CLogicDialog::CLogicDialog(const char* title, QWidget* parent)
    : QDialog(parent ? parent : QApplication::activeWindow()) {
    setWindowTitle(title);
}

void CLogicDialog::SetAccept(std::function<void()> t, std::function<bool(std::string&)> c) {
    transfer = std::move(t);
    check = std::move(c);
}

void CLogicDialog::accept() {
    if (transfer) transfer();
    std::string error;
    if (check && !check(error)) {
        Prompt().Message(error, EPromptIcon::Exclamation);
        return;
    }
    QDialog::accept();
}

QLineEdit* CLogicDialog::NewEdit(int id, const std::string& text) {
    auto* edit = new QLineEdit(ToQ(text), this);
    edit->setObjectName(QString("edit%1").arg(id));
    return edit;
}

QDialogButtonBox* CLogicDialog::AddButtons(QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}

bool RunDialog(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}
