#pragma once
// "VELM File Locations", "VELM Root Directory", "Create New Root Directory" and "Default
// Filenames". The logic behind them is in app/RootDirectory.h; these only bind widgets.

#include <QDialog>
#include <optional>
#include <string>

#include "settings/RootDirectory.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QGridLayout;

// The start-up dialog: where data files go, and how to start.
class CFileLocationsDialog : public QDialog {
    Q_OBJECT
  public:
    CFileLocationsDialog(const std::string& root, QWidget* parent = nullptr);
    // The button that closed the dialog; nullopt when it was closed otherwise.
    std::optional<EStartChoice> Choice() const { return choice; }
    const std::string& Root() const { return root; }

  private:
    void ShowLayout();
    void Finish(EStartChoice how);
    void ChangeDirectory();

    std::string root;
    std::optional<EStartChoice> choice;
    QGridLayout* layoutGrid = nullptr;
    QWidget* layoutBox = nullptr;
};

class CRootDirectoryDialog : public QDialog {
    Q_OBJECT
  public:
    CRootDirectoryDialog(const std::string& path, QWidget* parent = nullptr);
    const std::string& Result() const { return result; }

    void accept() override;
    // Cancel records the experiment number as used and starts the four counters again.
    void reject() override;

  private:
    void Refresh();
    void NewFolder(bool inParent);

    CRootDirectoryDialogLogic logic;
    std::string result;
    QLineEdit* edit = nullptr;
    QLabel* current = nullptr;
    QListWidget* paths = nullptr;
    QListWidget* files = nullptr;
};

class CCreateRootDirectoryDialog : public QDialog {
    Q_OBJECT
  public:
    CCreateRootDirectoryDialog(const std::string& currentPath, const std::string& proposed,
                               QWidget* parent = nullptr);
    std::string Name() const;

  private:
    QLineEdit* name = nullptr;
};

class CDefaultFilenamesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CDefaultFilenamesDialog(QWidget* parent = nullptr);
    void accept() override;

  private:
    CDefaultFilenamesLogic logic;
    QLineEdit* images = nullptr;
    QLineEdit* exports = nullptr;
    QLabel* imageNumber = nullptr;
    QLabel* exportNumber = nullptr;
};
