#pragma once
// The frame grabber's dialogs: "Frame Grabber Setup", "Adjust Frame Grabber Input Signal" and
// "Show Position on Frame Grabber". The logic behind each lives in src/hw/fg/.

#include <QDialog>
#include <array>

#include "hw/fg/FgDialogs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class CAdjustInputLogic;
class CFgSetupLogic;
class CImageView;
class CPickOnImageLogic;

class CFgSetupDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CFgSetupDialog(CFgSetupLogic& logic, QWidget* parent = nullptr);
    void accept() override;

  private:
    QLineEdit* Edit(const char* objectName, const std::string& text);
    void ToLogic();
    void UpdateEnabled();

    CFgSetupLogic& logic;
    QComboBox* type;
    QLineEdit *port, *memory, *captureWidth, *captureHeight, *previewWidth, *previewHeight,
        *average, *aspect, *cam0Channel, *cam1Channel;
    QRadioButton *ntsc, *pal, *grey, *colour8, *rgb24, *planeXZ, *planeYZ;
    QCheckBox *cam0, *cam0InvX, *cam0InvY, *cam1, *cam1InvXY, *cam1InvZ, *cam1ZOnly;
};

class CAdjustInputDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAdjustInputDialog(CAdjustInputLogic& logic, QWidget* parent = nullptr);
    void accept() override;
    void reject() override;

  private:
    void Refresh();

    CAdjustInputLogic& logic;
    std::array<QLineEdit*, 4> values{};
    std::array<QLabel*, 4> labels{};
    std::array<QWidget*, 4> rows{};
    QPushButton* preview;
    bool closing = false;  // an entry losing focus as the dialog closes is not a change
};

class CPickOnImageDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CPickOnImageDialog(CPickOnImageLogic& logic, QWidget* parent = nullptr);
    CImageView* View() const { return view; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Switch(int camera);
    void ShowCamera();

    CPickOnImageLogic& logic;
    CImageView* view;
    QLabel* cameraLabel;
    QLabel* position;
    QPushButton* camera1;
};

class CQtFgDialogs : public CFgDialogs {
  public:
    bool EditFgSetup(CFgSetupLogic& logic) override;
    void AdjustInput(CAdjustInputLogic& logic) override;
    bool PickOnImage(CPickOnImageLogic& logic) override;
};
