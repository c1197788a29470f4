#pragma once
// The window of a scan document (.scn): the scan's observations in the observation list on the
// left, and beside it the live map: the scan's grid in stage coordinates, an arrow for every
// CDP point and a coloured dot for every gradient or raw A/D point. Both follow the document
// as it changes, so while a scan runs into it the map fills in point by point.

#include <QWidget>
#include <memory>

#include "gui/app/DocumentWindow.h"
#include "scan/ScanMap.h"

class CScanDoc;
class CObsView;
class QSplitter;

// Paints what BuildScanMap returns for the document.
class CScanMapView : public QWidget {
    Q_OBJECT
  public:
    explicit CScanMapView(CScanDoc& doc, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {360, 300}; }
    // The document changed: the map is rebuilt at the next paint.
    void Refresh();
    const SScanMap& Map();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CScanDoc& doc;
    SScanMap map;
    bool stale = true;
};

class CScanDocWindow : public CDocumentWindow {
    Q_OBJECT
  public:
    explicit CScanDocWindow(QWidget* parent = nullptr);
    ~CScanDocWindow() override;

    CScanDoc& Document() { return *doc; }
    CObsView* ListView() const { return list; }
    CScanMapView* MapView() const { return mapView; }

    bool Load(const std::string& path) override;
    // A saved scan is read-only: neither saved nor asked about when it closes.
    bool IsModified() const override;
    bool CanSave() const override;
    bool SaveTo(const std::string& path) override;
    // Refused while a scan group acquires into the document.
    bool CanClose() override;

    // The document's views redraw; called whenever the document says its views are stale.
    void DocumentUpdated();

  private:
    std::unique_ptr<CScanDoc> doc;
    QSplitter* splitter = nullptr;
    CObsView* list = nullptr;
    CScanMapView* mapView = nullptr;
};

class CMainWindow;
// The scan window's own commands: "&Review" (the scan's definition) and "&Interrupt".
void AttachScanDocCommands(CMainWindow& window);
