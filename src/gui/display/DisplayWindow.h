#pragma once
// The display document's window: the layer list (the selected row, a double click edits the
// layer) beside the picture the layers draw, with the Layer and Display menus' commands.

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "display/DispDoc.h"
#include "display/DisplayDraw.h"
#include "gui/app/DocumentWindow.h"

class QListWidget;
class QScrollArea;
class CDataDocument;

class CDisplayCanvas : public QWidget {
    Q_OBJECT
  public:
    CDisplayCanvas(CDispDoc& doc, QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CDispDoc& doc;
};

class CDispDocWindow : public CDocumentWindow {
    Q_OBJECT
  public:
    explicit CDispDocWindow(QWidget* parent = nullptr);
    ~CDispDocWindow() override;

    CDispDoc& Document() { return *doc; }
    bool Load(const std::string& path) override;
    bool IsModified() const override { return doc->IsModified(); }
    bool CanSave() const override { return true; }
    bool SaveTo(const std::string& path) override;
    QString ProposedName() const override;

    // Where an open data document is found by path (the main window installs it), so that a
    // display shows the document the user is working on rather than a copy.
    static std::function<CDataDocument*(const std::string& path)> findOpenDocument;
    // The drawing context of the station (active optical system, camera origin).
    static SDrawContext StationContext();

    // ---- Commands (menu "Layer" and "Display") -----------------------------------------------
    void RaiseUp();
    void SendDown();
    void ToTop();
    void ToBottom();
    void NewLayer();
    void DeleteLayer();
    void TileGraphs();
    void EditLayer(int row);
    void WindowSize();
    void ExportDib();
    void ExportPng();
    void ExportSvg();
    // Adds layers (from "&Display" / "&Add To Display"); the last becomes selected.
    void AddLayers(std::vector<std::unique_ptr<CDispLayer>> layers);

    // The picture as the window draws it.
    QImage Render() const;
    // After any change: modified, the list and the picture redrawn.
    void Changed(bool modified = true);

  private:
    void ShowList();

    std::unique_ptr<CDispDoc> doc;
    QListWidget* list = nullptr;
    CDisplayCanvas* canvas = nullptr;
    QScrollArea* scroll = nullptr;
};
