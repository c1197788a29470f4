#pragma once
// The motion systems' dialogs: the two "!!! Motion System Warning !!!" boxes, "Motion Control
// Setup" and "Go To A Position". The logic behind each lives in src/hw/motion/.

#include <QDialog>
#include <array>
#include <vector>

#include "hw/motion/GoToPositionLogic.h"
#include "hw/motion/MotionDialogs.h"

class QLineEdit;
class QCheckBox;
class QPushButton;
class CMotionSetupLogic;

// A warning with a heading, labelled values and a column of answer buttons. Closing it is the
// last button's answer.
class CZMinimumWarningDialog : public QDialog {
    Q_OBJECT
  public:
    CZMinimumWarningDialog(const QString& heading,
                           const std::vector<std::pair<QString, double>>& values,
                           const QStringList& buttons, QWidget* parent = nullptr);
    // Index of the button pressed; the last one when the dialog was closed.
    int Choice() const { return choice; }

    static EZMinimumMoveAnswer AskViolation(const SZMinimumViolation& values,
                                            QWidget* parent = nullptr);
    static EZMinimumSetAnswer AskAboveCurrent(const SZMinimumAboveCurrent& values,
                                              QWidget* parent = nullptr);

  private:
    int choice;
};

class CMotionSetupDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CMotionSetupDialog(CMotionSetupLogic& logic, QWidget* parent = nullptr);
    // OK: the entries go to the logic; a bad one keeps the dialog open with it focused.
    void accept() override;

  private:
    QLineEdit* AddEdit(const QString& objectName, const std::string& text, bool enabled = true);
    void ToLogic();

    CMotionSetupLogic& logic;
    QLineEdit* name;
    QLineEdit* boardId;
    std::array<QLineEdit*, 4> resolution{}, positive{}, maxSpeed{}, tracking{}, distance{};
    QCheckBox* zMinimumOn;
    QLineEdit* zMinimum;
};

class CGoToPositionDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CGoToPositionDialog(CGoToPositionLogic& logic, QWidget* parent = nullptr);
    CGoToPositionLogic::EResult Result() const { return result; }
    CDVector4 Target() const { return target; }
    // Escape ends a running jog before it closes the dialog.
    void reject() override;

  private:
    void Finish(CGoToPositionLogic::EResult how);
    void ToLogic();
    void FromLogic();

    CGoToPositionLogic& logic;
    std::array<QLineEdit*, 4> edits{};
    QPushButton* jog;
    CGoToPositionLogic::EResult result = CGoToPositionLogic::EResult::Cancel;
    CDVector4 target;
};

// The Qt dialogs behind the motion operations' hooks.
class CQtMotionDialogs : public CMotionDialogs {
  public:
    EZMinimumMoveAnswer AskZMinimumViolation(const SZMinimumViolation& values) override;
    EZMinimumSetAnswer AskZMinimumAboveCurrent(const SZMinimumAboveCurrent& values) override;
    bool EditMotionSetup(CMotionSetupLogic& logic) override;
};
