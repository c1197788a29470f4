#pragma once
// The window of an image sequence document: the frames listed on the left (one line each, as
// the observation list describes them) and on the right either the selected frame with a
// slider through the sequence ("Join") or every frame of the selected frame's plane laid out
// by its x and y steps ("Split"), each labelled with its X, Y position.

#include <QWidget>
#include <memory>

#include "gui/app/DocumentWindow.h"

class CVidSeqDoc;
class CVidSeqViewLogic;
class QLabel;
class QListWidget;
class QScrollArea;
class QSlider;
class QStackedWidget;
class CImageView;

class CVidSeqDocWindow : public CDocumentWindow {
    Q_OBJECT
  public:
    explicit CVidSeqDocWindow(QWidget* parent = nullptr);
    ~CVidSeqDocWindow() override;

    CVidSeqDoc& Document() { return *doc; }

    bool Load(const std::string& path) override;
    bool IsModified() const override;
    bool CanSave() const override { return true; }
    bool SaveTo(const std::string& path) override;

    // "S&plit" and "&Join" of the Sequence menu.
    bool IsSplit() const { return split; }
    void SetSplit(bool on);
    // Selects frame `frame` (of the view logic's list).
    void SelectFrame(int frame);
    int SelectedFrame() const;
    // Tiles shown by Split at most; a larger plane is named instead.
    static constexpr int kMaxSplitTiles = 400;

  private:
    void Rebuild();
    void ShowFrame();
    void ShowPlane();

    std::unique_ptr<CVidSeqDoc> doc;
    std::unique_ptr<CVidSeqViewLogic> logic;
    QListWidget* list = nullptr;
    QStackedWidget* pages = nullptr;
    CImageView* frameView = nullptr;
    QLabel* frameLabel = nullptr;
    QSlider* slider = nullptr;
    QScrollArea* planeArea = nullptr;
    bool split = false;
};
