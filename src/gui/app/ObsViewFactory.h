#pragma once
// Where the observation document's window gets its list view. The window shows whatever widget
// this function makes, and emits CDocumentWindow::DocumentChanged whenever the document asks
// its views to redraw.

class QWidget;
class CObsDocWindow;

QWidget* CreateObsView(CObsDocWindow& window);
