#pragma once
// "Show Area on Image" on CShowAreaLogic, and Scan > "Show A&rea on Image" (Shift+F9) of the
// scan documents' windows: the drawn copy opens as a new, unsaved image document.

#include <QDialog>

#include "scan/ShowArea.h"

class CMainWindow;
class QComboBox;
class QLineEdit;

class CShowAreaDialog : public QDialog {
    Q_OBJECT
  public:
    CShowAreaDialog(CShowAreaLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    void ShowOffset();

    CShowAreaLogic& logic;
    QComboBox* image = nullptr;
    QLineEdit* pen = nullptr;
    QLineEdit* rgb[3] = {};
    QComboBox* system = nullptr;
    QLineEdit* offsets[4] = {};
};

void AttachShowAreaCommand(CMainWindow& window);
