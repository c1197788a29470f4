#pragma once
// The main frame's smaller dialogs: "Set D/A Output", "Open Observations With ...", File >
// New's choice of document type, the About box and the keys page of Help. Also the program's
// icon.

#include <QDialog>
#include <QIcon>
#include <array>
#include <optional>

#include "app/DaOutputLogic.h"
#include "app/DocTemplates.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;

class CSetDaOutputDialog : public QDialog {
    Q_OBJECT
  public:
    CSetDaOutputDialog(CSetDaOutputLogic& logic, QWidget* parent = nullptr);
    // The values confirmed with OK.
    const SDaOutput& Values() const { return values; }
    void accept() override;

  private:
    void ToLogic();

    CSetDaOutputLogic& logic;
    std::array<QButtonGroup*, 2> choice{};
    std::array<QLineEdit*, 2> volts{};
    std::array<QLineEdit*, 2> channel{};
    QLineEdit* window = nullptr;
    QLineEdit* period = nullptr;
    SDaOutput values;
};

// File > New: the five document types by their New-list names.
class CNewDocumentDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CNewDocumentDialog(QWidget* parent = nullptr);
    std::optional<EDocType> Choice() const;

  private:
    QListWidget* list = nullptr;
};

class CAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};

// Help > Index (F1): the keys of the program, taken from the menus themselves, and how the
// stages and the observation list are driven from the keyboard.
class CKeysHelpDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = "VELM Keys";
    explicit CKeysHelpDialog(QWidget* parent = nullptr);
    // The page shown (HTML).
    static QString Page();
};

// The program's icon, drawn here so that it needs no image plugin.
QIcon VelmIcon();
