#include "gui/app/MotionInput.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

EMotionKey MotionKeyOf(const QKeyEvent& event) {
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    switch (event.key()) {
        case Qt::Key_Left:
            return EMotionKey::Left;
        case Qt::Key_Right:
            return EMotionKey::Right;
        case Qt::Key_Up:
            return EMotionKey::Up;
        case Qt::Key_Down:
            return EMotionKey::Down;
        case Qt::Key_Home:
            return EMotionKey::Home;
        case Qt::Key_End:
            return EMotionKey::End;
        case Qt::Key_PageUp:
            return EMotionKey::PageUp;
        case Qt::Key_PageDown:
            return EMotionKey::PageDown;
        case Qt::Key_Escape:
            return EMotionKey::Escape;
        // Only the numeric keypad's plus and minus change the sensitivities, so that both
        // can still be typed into the boxes from the main keyboard.
        case Qt::Key_Plus:
            return keypad ? EMotionKey::KeypadPlus : EMotionKey::Other;
        case Qt::Key_Minus:
            return keypad ? EMotionKey::KeypadMinus : EMotionKey::Other;
        default:
            return EMotionKey::Other;
    }
}

bool TypingInTextField() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return false;
    if (auto* edit = qobject_cast<QLineEdit*>(focus)) return !edit->isReadOnly();
    if (auto* edit = qobject_cast<QTextEdit*>(focus)) return !edit->isReadOnly();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(focus)) return !edit->isReadOnly();
    if (auto* box = qobject_cast<QAbstractSpinBox*>(focus)) return !box->isReadOnly();
    if (auto* combo = qobject_cast<QComboBox*>(focus)) return combo->isEditable();
    return false;
}

CMotionInputFilter::CMotionInputFilter(CMainFrame& frame, QObject* parent)
    : QObject(parent), frame(frame) {}

CMotionInputFilter::~CMotionInputFilter() {
    SetActive(false);
}

void CMotionInputFilter::SetActive(bool on) {
    if (on == active || !qApp) return;
    active = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool CMotionInputFilter::eventFilter(QObject* watched, QEvent* event) {
    // A move blocks until the stage has arrived and may show a message box meanwhile; input
    // arriving inside that wait is not offered again.
    if (busy) return QObject::eventFilter(watched, event);
    struct SBusy {
        bool& flag;
        explicit SBusy(bool& f) : flag(f) { flag = true; }
        ~SBusy() { flag = false; }
    };
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            EMotionKey motionKey = MotionKeyOf(*key);
            if (motionKey == EMotionKey::Other) break;
            // The arrows, Home, End and the keypad signs move the cursor or type in a field
            // (a sensitivity box, a dialog's number): there they are the field's. Escape still
            // ends the control, and a jog from "Go To A Position" takes every key (its fields
            // only show where the stage is meanwhile).
            if (motionKey != EMotionKey::Escape && !frame.Jogging() && TypingInTextField()) break;
            SBusy guard(busy);
            if (frame.OnKey(motionKey, key->count(),
                            key->modifiers().testFlag(Qt::ControlModifier)))
                return true;
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint at = mouse->globalPosition().toPoint();
            SBusy guard(busy);
            if (frame.OnMouseMove(at.x(), at.y())) return true;
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            if (frame.OnLButtonDown()) return true;
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

CQtPointer::CQtPointer(std::function<QPoint()> centre) : centre(std::move(centre)) {}

CQtPointer::~CQtPointer() {
    SetHidden(false);
}

bool CQtPointer::CanWarp() const {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

SScreenPoint CQtPointer::Position() const {
    QPoint at = QCursor::pos();
    return {at.x(), at.y()};
}

void CQtPointer::MoveTo(SScreenPoint point) {
    QCursor::setPos(point.x, point.y);
}

void CQtPointer::SetHidden(bool on) {
    if (on == hidden || !qApp) return;
    hidden = on;
    if (on)
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

SScreenPoint CQtPointer::Centre() const {
    QPoint at = centre ? centre() : QPoint();
    return {at.x(), at.y()};
}
