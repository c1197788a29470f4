#include "gui/platform/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>

#include "gui/platform/QtText.h"

EPromptAnswer CQtPrompt::Show(const std::string& text, const std::string& caption,
                              EPromptButtons buttons, EPromptIcon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(ToQ(text));
    box.setWindowTitle(ToQ(caption.empty() ? std::string(kAppShortTitle) : caption));
    switch (icon) {
        case EPromptIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case EPromptIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case EPromptIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case EPromptIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case EPromptIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
        case EPromptButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case EPromptButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            escape = QMessageBox::Cancel;
            break;
        case EPromptButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            escape = QMessageBox::No;
            break;
        case EPromptButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            escape = QMessageBox::Cancel;
            break;
    }
    box.setEscapeButton(escape);
    int result = box.exec();
    switch (result) {
        case QMessageBox::Yes:
            return EPromptAnswer::Yes;
        case QMessageBox::No:
            return EPromptAnswer::No;
        case QMessageBox::Cancel:
            return EPromptAnswer::Cancel;
        case QMessageBox::Ok:
            return EPromptAnswer::Ok;
        default:
            break;
    }
    if (escape == QMessageBox::No) return EPromptAnswer::No;
    return escape == QMessageBox::Cancel ? EPromptAnswer::Cancel : EPromptAnswer::Ok;
}
