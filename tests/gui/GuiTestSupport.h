#pragma once
// Helpers of the Qt tests: reaching into dialogs by object name, and acting on a modal dialog
// once its own event loop shows it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// The child `name` of `parent`, of type T (a failed expectation when there is none).
template <typename T = QWidget>
T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}
template <typename T = QWidget>
T* Child(QWidget& parent, const char* name) {
    return Child<T>(&parent, name);
}

// Runs `action` on the first visible top-level widget of type T once a modal loop shows it.
template <typename T>
void OnNext(std::function<void(T*)> action, int triesLeft = 200) {
    QTimer::singleShot(5, [action, triesLeft] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<T*>(w); found && found->isVisible()) {
                action(found);
                return;
            }
        if (triesLeft > 0) OnNext<T>(action, triesLeft - 1);
    });
}
