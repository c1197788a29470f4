#pragma once
// The observation document's dialogs in Qt: "Log Entry", "Auto Save Feature", "Define Time
// Range", "Open Observations With ...", "Edit Current Density Probe Reference" and "Edit
// ISP/PVP Reference", each bound to its logic object.

#include "app/ObsDocDialogs.h"
#include "gui/tech/LogicDialog.h"

class QDateTimeEdit;
class QLabel;

class CLogEntryDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CLogEntryDialog(CLogEntryLogic& logic, QWidget* parent = nullptr);

  private:
    QLabel* timeLabel = nullptr;
};

class CAutoSaveDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CAutoSaveDialog(CAutoSaveLogic& logic, QWidget* parent = nullptr);
};

class CTimeRangeDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CTimeRangeDialog(CTimeRangeLogic& logic, QWidget* parent = nullptr);
};

class COpenWithDialog : public CLogicDialog {
    Q_OBJECT
  public:
    COpenWithDialog(COpenWithLogic& logic, QWidget* parent = nullptr);
};

class CWireReferenceDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CWireReferenceDialog(CWireReferenceLogic& logic, QWidget* parent = nullptr);
};

class CIonReferenceDialog : public CLogicDialog {
    Q_OBJECT
  public:
    CIonReferenceDialog(CIonReferenceLogic& logic, QWidget* parent = nullptr);
};

class CQtObsDocDialogs : public CObsDocDialogs {
  public:
    bool EditLogEntry(CLogEntryLogic& logic) override;
    bool EditAutoSave(CAutoSaveLogic& logic) override;
    bool DefineTimeRange(CTimeRangeLogic& logic) override;
    bool EditOpenWith(COpenWithLogic& logic) override;
    bool EditWireReference(CWireReferenceLogic& logic) override;
    bool EditIonReference(CIonReferenceLogic& logic) override;
};

// Installs the Qt dialogs behind ObsDocDialogs() and makes export log entries open their file
// with the "Open With" program. The main window calls it once.
void InstallObsDocDialogs();
