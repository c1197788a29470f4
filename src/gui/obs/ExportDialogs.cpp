#include "gui/obs/ExportDialogs.h"

#include <QPointer>

#include "gui/obs/ExportTextDialog.h"
#include "gui/obs/MageExportDialog.h"
#include "gui/obs/SurfaceExportDialog.h"

void InstallExportDialogs(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    SetTextExportDialog([owner](CTextExportLogic& logic) {
        CExportTextDialog dialog(logic, owner.data());
        return dialog.exec() == QDialog::Accepted;
    });
    SetSurfaceExportDialog([owner](CSurfaceExportLogic& logic) {
        CSurfaceExportDialog dialog(logic, owner.data());
        return dialog.exec() == QDialog::Accepted;
    });
    SetMageExportDialog([owner](CMageExportLogic& logic) {
        CMageExportDialog dialog(logic, owner.data());
        return dialog.exec() == QDialog::Accepted;
    });
}
