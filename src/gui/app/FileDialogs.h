#pragma once
// The file dialogs, replaceable so that tests can answer them. Each returns the chosen path,
// or an empty string when the user cancelled.

#include <QString>
#include <functional>

class QWidget;

struct SFileDialogs {
    // Open: the file must exist.
    std::function<QString(QWidget* parent, const QString& caption, const QString& start,
                          const QString& filters)>
        open;
    std::function<QString(QWidget* parent, const QString& caption, const QString& start,
                          const QString& filters)>
        save;
};

// The dialogs in use (Qt's by default).
SFileDialogs& FileDialogs();

// The filters of every document type in File > New order, then "All Files (*)"; with `only`
// set, that type's alone.
QString DocumentFilters(const struct SDocTemplate* only = nullptr);
