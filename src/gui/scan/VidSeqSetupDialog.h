#pragma once
// "Video Image Sequence Setup" on its logic (CVidSeqSetupLogic). OK copies the entries into the
// logic and keeps the dialog open while it refuses them; what OK then does to the document is
// the logic's Apply, run by the caller.

#include <QDialog>
#include <array>

#include "scan/VidSeqSetup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

class CVidSeqSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CVidSeqSetupDialog(CVidSeqSetupLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    using CRow = std::array<QLineEdit*, 4>;
    CRow AddRow(class QGridLayout* grid, int row, const char* label, const char* name,
                const std::string values[4]);

    CVidSeqSetupLogic& logic;
    QLineEdit* wait = nullptr;
    QLineEdit* average = nullptr;
    QLineEdit* refCount = nullptr;
    QRadioButton* sample = nullptr;
    QRadioButton* probe = nullptr;
    QRadioButton* linear = nullptr;
    QRadioButton* tracking = nullptr;
    QRadioButton* background = nullptr;
    QRadioButton* ratio = nullptr;
    QRadioButton* ignore = nullptr;
    CRow reference{}, start{}, end{}, steps{}, probeHome{}, sampleHome{};
    QCheckBox* homeProbe = nullptr;
    QCheckBox* homeSample = nullptr;
    QComboBox* opticalSystem = nullptr;
    QPlainTextEdit* preComment = nullptr;
    QPlainTextEdit* postComment = nullptr;
};
