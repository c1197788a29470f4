#pragma once
// "Mage Export Definition": binds its widgets to CMageExportLogic. Nothing it shows is kept.

#include <QDialog>

#include "obs/MageExport.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class CMageExportDialog : public QDialog {
    Q_OBJECT
  public:
    CMageExportDialog(CMageExportLogic& logic, QWidget* parent = nullptr);

    void accept() override;

  private:
    CMageExportLogic& logic;
    QLabel* rangeLabel = nullptr;
    QLineEdit* outputEdit = nullptr;
    QCheckBox* includeContour = nullptr;
    QComboBox* contour = nullptr;
    QCheckBox* contourOn = nullptr;
    QPlainTextEdit* text = nullptr;
    QCheckBox* thinline = nullptr;
    QCheckBox* perspective = nullptr;
    QLineEdit* scaleEdits[3] = {};
    QLineEdit* angleEdits[3] = {};
    QButtonGroup* calculateFrom = nullptr;
};
