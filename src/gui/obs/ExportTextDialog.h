#pragma once
// "Export Observations To Text File": binds its widgets to CTextExportLogic, which holds the
// options, checks the entries and takes the time range.

#include <QDialog>
#include <functional>
#include <vector>

#include "obs/TextExport.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

class CExportTextDialog : public QDialog {
    Q_OBJECT
  public:
    CExportTextDialog(CTextExportLogic& logic, QWidget* parent = nullptr);

    void accept() override;

    // "Browse ...": asks for the output file (a file dialog; tests put their own answer here).
    // An empty answer keeps the path.
    static std::function<QString(QWidget* parent, const QString& path, const QString& filter)>
        chooseFile;

    // The Qt form of an MFC filter string ("Text Files (*.txt)|*.txt|...||").
    static QString QtFilter(const char* mfcFilter);

  private:
    struct SCheck {
        QCheckBox* box;
        int* field;
    };
    QCheckBox* AddCheck(const char* name, const QString& caption, int* field);
    void ShowValues();
    void TakeValues();
    void OnBrowse();
    void OnObservationsFrom();
    void OnMidnight();
    void OnSetForViewer();

    CTextExportLogic& logic;
    std::vector<SCheck> checks;
    QCheckBox* concentrations = nullptr;
    QButtonGroup* separators = nullptr;
    QButtonGroup* timeTypes = nullptr;
    QLineEdit* timeEdits[6] = {};
    QLineEdit* outputEdit = nullptr;
    QLabel* rangeLabel = nullptr;
    QListWidget* probeList = nullptr;
};
