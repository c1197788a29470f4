#include "gui/app/ObsViewFactory.h"

#include "gui/app/DocumentWindow.h"
#include "gui/obs/ObsView.h"
#include "obs/ObsDoc.h"

QWidget* CreateObsView(CObsDocWindow& window) {
    auto* view = new CObsView(window.Document(), &window);
    view->setObjectName("obsView");
    QObject::connect(&window, &CDocumentWindow::DocumentChanged, view, &CObsView::DocumentChanged);
    QObject::connect(view, &CObsView::selectionChanged, &window,
                     &CDocumentWindow::CommandStateChanged);
    return view;
}
