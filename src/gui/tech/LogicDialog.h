#pragma once
// A dialog whose OK is checked by its logic object: a refused entry is shown through Prompt()
// and the dialog stays open with the entries as typed. The measurement and document dialogs
// build on it.

#include <QDialog>
#include <functional>
#include <string>

class QDialogButtonBox;
class QLineEdit;
class QBoxLayout;

class CLogicDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CLogicDialog(const char* title, QWidget* parent = nullptr);

    // OK copies the widgets into the logic (`transfer`) and runs its check (`check`).
    void SetAccept(std::function<void()> transfer, std::function<bool(std::string&)> check);
    void accept() override;

  protected:
    // An edit named "edit<id>" (the control number the station's dialogs gave it).
    QLineEdit* NewEdit(int id, const std::string& text);
    // OK and Cancel at the bottom of `layout`.
    QDialogButtonBox* AddButtons(QBoxLayout* layout);

  private:
    std::function<void()> transfer;
    std::function<bool(std::string&)> check;
};

// Runs `dialog` modally; true when it was closed with an accepted OK.
bool RunDialog(QDialog& dialog);
