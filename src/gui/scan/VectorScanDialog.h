#pragma once
// "Vector Scan Definition": the widgets of CVectorScanDefinition. Every button reads the
// entries into the logic, runs the logic's command and shows the logic again.

#include <QDialog>
#include <functional>

#include "scan/VectorScanDefinition.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

class CVectorScanDialog : public QDialog {
    Q_OBJECT
  public:
    CVectorScanDialog(CVectorScanDefinition& logic, QWidget* parent = nullptr);

    void accept() override;

  private:
    // Entries into the logic, and the logic into the widgets.
    void ReadBack();
    void Refresh();
    void Run(const std::function<void()>& command);

    CVectorScanDefinition& logic;
    QLineEdit* interval = nullptr;
    QButtonGroup* units = nullptr;
    QLineEdit* reps = nullptr;
    QCheckBox* autoSave = nullptr;
    QLineEdit* autoSaveEvery = nullptr;
    QCheckBox* showStatus = nullptr;
    QLabel* estimate = nullptr;
    QLineEdit* rows[2][4] = {};
    QButtonGroup* prompts = nullptr;
    QCheckBox* moveWithMouse = nullptr;
    QListWidget* gradients = nullptr;
    QCheckBox* probeCol = nullptr;
    QCheckBox* sampleCol = nullptr;
    QListWidget* list = nullptr;
};
