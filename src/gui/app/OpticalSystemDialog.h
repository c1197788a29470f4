#pragma once
// "Optical System Definition" and "New Optical System Name": the Qt faces of
// COpticalSystemDefinition.

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "app/OpticalSystemDefinition.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class COpticalSystemDialog : public QDialog {
    Q_OBJECT
  public:
    COpticalSystemDialog(COpticalSystemDefinition& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    void ShowValues();
    // Reads the edits into the logic; false (after a message) when one is not a number.
    bool ReadValues();
    void FillNames();

    COpticalSystemDefinition& logic;
    QComboBox* name = nullptr;
    QLineEdit* width = nullptr;
    QLineEdit* height = nullptr;
    QLineEdit* aspect = nullptr;
    QRadioButton* useProbe = nullptr;
    QRadioButton* useSample = nullptr;
    std::array<QLineEdit*, 3> cam0{};  // X, Y, twist
    std::array<QLineEdit*, 4> cam1{};  // X, Y, Z, tilt
    std::array<QPushButton*, 2> define{};
    std::array<std::array<QLabel*, 8>, 2> readOut{};  // 3 stage, 3 pixel, 2 distances
};

// "New Optical System Name": the name typed, or nothing when cancelled.
std::optional<std::string> AskNewOpticalSystemName(QWidget* parent);
