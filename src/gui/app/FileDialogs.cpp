#include "gui/app/FileDialogs.h"

#include <QFileDialog>

#include "app/DocTemplates.h"

SFileDialogs& FileDialogs() {
    static SFileDialogs dialogs{
        [](QWidget* parent, const QString& caption, const QString& start, const QString& filters) {
            return QFileDialog::getOpenFileName(parent, caption, start, filters);
        },
        [](QWidget* parent, const QString& caption, const QString& start, const QString& filters) {
            return QFileDialog::getSaveFileName(parent, caption, start, filters);
        }};
    return dialogs;
}

QString DocumentFilters(const SDocTemplate* only) {
    if (only) return QString::fromStdString(OpenFilter(*only));
    QStringList filters;
    for (const SDocTemplate& t : DocTemplates())
        filters << QString::fromStdString(OpenFilter(t));
    filters << QStringLiteral("All Files (*)");
    return filters.join(QStringLiteral(";;"));
}
