#pragma once
// "Surface Export Definition": binds its widgets to CSurfaceExportLogic.

#include <QDialog>

#include "obs/SurfaceExport.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

class CSurfaceExportDialog : public QDialog {
    Q_OBJECT
  public:
    CSurfaceExportDialog(CSurfaceExportLogic& logic, QWidget* parent = nullptr);

    void accept() override;

  private:
    QLineEdit* AddEdit(const char* name, const std::string& text);
    // The choices (not the typed numbers, which OK checks) into the logic.
    void TakeChoices();
    void OnTimeRange();

    CSurfaceExportLogic& logic;
    QLabel* rangeLabel = nullptr;
    QLineEdit* outputEdit = nullptr;
    QCheckBox* loadInto = nullptr;
    QLineEdit* commandEdit = nullptr;
    QCheckBox* matrix = nullptr;
    QButtonGroup* xValue = nullptr;
    QButtonGroup* yValue = nullptr;
    QButtonGroup* positionOf = nullptr;
    QButtonGroup* quantity = nullptr;
    QListWidget* probeList = nullptr;
    QCheckBox* applyReference = nullptr;
    QLineEdit *sampleEdit = nullptr, *fromEdit = nullptr, *toEdit = nullptr;
    QLineEdit *repFirstEdit = nullptr, *repLastEdit = nullptr, *channelEdit = nullptr;
};
