#pragma once
// The measurement techniques' dialogs in Qt: "Current Density Probe Sampling Rules", "Raw A/D
// Sampling Rules" and "Set CDP Resistivity", each bound to its logic object.

#include "gui/tech/LogicDialog.h"
#include "tech/TechDialogs.h"

class QLineEdit;
class QRadioButton;

class CWireRulesDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CWireRulesDialog(CWireRulesLogic& logic, QWidget* parent = nullptr);
};

class CRawADRulesDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CRawADRulesDialog(CRawADRulesLogic& logic, QWidget* parent = nullptr);
};

class CResistivityDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CResistivityDialog(CResistivityLogic& logic, QWidget* parent = nullptr);
};

class CQtTechDialogs : public CTechDialogs {
  public:
    bool EditWireRules(CWireRulesLogic& logic) override;
    bool EditRawADRules(CRawADRulesLogic& logic) override;
    bool SetResistivity(CResistivityLogic& logic) override;
};

// Installs the Qt dialogs behind TechDialogs() and the busy cursor shown while an acquisition
// holds the user interface. The main window calls it once.
void InstallTechDialogs();
