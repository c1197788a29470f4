#include "gui/app/MainWindow.h"

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>

CMainWindow::CMainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kTitle);
    mdiArea = new QMdiArea(this);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea);
    CreateMenus();
}

void CMainWindow::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* exit = file->addAction(tr("E&xit"));
    exit->setObjectName("fileExit");
    connect(exit, &QAction::triggered, this, &QWidget::close);
}
