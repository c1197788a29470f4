#pragma once
// "A/D Board Setup": binds its widgets to CAdBoardSetupLogic, which holds the values, checks
// the entries and carries out OK.

#include <QDialog>

#include "hw/ad/AdBoardSetupLogic.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

class CAdBoardSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CAdBoardSetupDialog(CAdBoardSetupLogic& logic, QWidget* parent = nullptr);

    void accept() override;

  private:
    void OnTypeChosen();
    void UpdateEnabled();

    CAdBoardSetupLogic& logic;
    QListWidget* typeList = nullptr;
    QLabel* baseLabel = nullptr;
    QLineEdit* baseEdit = nullptr;
    QCheckBox* initCheck = nullptr;
    QLineEdit* portEdit = nullptr;
    QLineEdit* valueEdit = nullptr;
    QLineEdit* adRangeEdit = nullptr;
    QLineEdit* daRangeEdit = nullptr;
    QLineEdit* freqEdit = nullptr;
};

// Makes CAdBoard::Setup() show this dialog over `parent` (the main window calls it once).
void InstallAdBoardSetupDialog(QWidget* parent);
