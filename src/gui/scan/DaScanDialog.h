#pragma once
// "D/A Output Scan" on its logic (CDaScanSetupLogic). OK copies the entries into the logic and
// keeps the dialog open, with the refused entry focused, while the logic refuses them; the
// rules buttons edit the station's sampling rules at once.

#include <QDialog>

#include "scan/DaScanSetup.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CDaScanDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CDaScanDialog(CDaScanSetupLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    void Transfer();

    CDaScanSetupLogic& logic;
    QLineEdit* channel = nullptr;
    QLineEdit* start = nullptr;
    QLineEdit* end = nullptr;
    QLineEdit* points = nullptr;
    QRadioButton* manual = nullptr;
    QRadioButton* automatic = nullptr;
    QLineEdit* interval = nullptr;
    QCheckBox* recordRawAD = nullptr;
    QCheckBox* recordCDP = nullptr;
    QCheckBox* reset = nullptr;
    QLineEdit* resetVolts = nullptr;
    QCheckBox* cycle = nullptr;
    QLineEdit* times = nullptr;
};
