#pragma once
// CDispDoc: a display document (.vpd), a stack of image and data layers drawn over each other
// (bottom layer first). The file holds the layer list's extent, the window size and the
// layers; the layers' sources are opened after the whole file has been read, never from inside
// the reading, and a display is never the source of another display.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "display/DispLayer.h"
#include "obs/Archive.h"

class CDataDocument;

// The layer rectangle of a value graph, in window pixels.
struct SPixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const SPixelRect&) const = default;
};

class CDispDoc {
  public:
    CDispDoc();
    ~CDispDoc();
    CDispDoc(const CDispDoc&) = delete;
    CDispDoc& operator=(const CDispDoc&) = delete;

    // ---- Stored fields ------------------------------------------------------------------------
    int32_t listWidth = 260;
    int32_t listLines = 4;  // the layer count plus 4 once a view asked; kept as read
    int windowWidth = 640;
    int windowHeight = 480;
    std::vector<std::unique_ptr<CDispLayer>> layers;

    void Serialize(CArchive& ar);
    std::string SaveToBytes();
    EArchiveError LoadFromBytes(std::string_view bytes);
    // Reads `path` (the record only; OpenSources follows). False with the message.
    bool LoadFile(const std::string& path, std::string& message);
    // Saves through a temporary file that replaces `path` only when complete.
    bool SaveFile(const std::string& path, std::string& message);

    // ---- Sources ------------------------------------------------------------------------------
    // Finds an already open data document for a resolved path (the desktop program's open
    // documents); null: the file is read by the display itself.
    std::function<CDataDocument*(const std::string& path)> findOpenDocument;
    // Opens every layer's source: data layers a data document by its extension (resolved like
    // a linked file next to this document), image layers their bitmap. Sources that cannot be
    // had are listed in `problems` (one line each); their layers draw nothing.
    void OpenSources(std::string& problems);
    // Gives the data layers the display's optical system: the lowest image layer's, else
    // `active`.
    void ShareOpticalSystem(const COpticalSystem& active);
    // Whether any data layer draws from `document`.
    bool DependsOn(const CDataDocument* document) const;

    // ---- The layer list (selected rows count from 1; 0 = none) -----------------------------
    int selected = 0;
    int Count() const { return static_cast<int>(layers.size()); }
    bool CanRaise() const { return selected >= 1 && selected < Count(); }
    bool CanLower() const { return selected > 1 && selected <= Count(); }
    bool CanDelete() const { return selected >= 1 && selected <= Count(); }
    // "Raise &Up", "Send &Down", "To &Top", "To &Bottom", "&Delete": false when disabled.
    bool RaiseUp();
    bool SendDown();
    bool ToTop();
    bool ToBottom();
    bool DeleteSelected();
    // "&New": before the selected row, appended when none; the new row is selected.
    void Insert(std::unique_ptr<CDispLayer> layer);
    // The row under a click at y (list text starting 10 pixels down); 0 for none.
    int RowAt(int y, int lineHeight) const;
    // "T&ile Graphs": the rectangles for `count` value graphs in the client rectangle.
    static std::vector<SPixelRect> TileRects(int count, SPixelRect client, int lineHeight);
    // Applies TileRects to the value-graph layers, the rectangles turned into world microns.
    void TileGraphs(SPixelRect client, int lineHeight);

    // A name for a document without one: the first layer's source with ".vpd".
    std::string ProposedName() const;

    const std::string& GetPathName() const { return pathName; }
    void SetPathName(const std::string& path) { pathName = path; }
    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool on = true) { modified = on; }

  private:
    std::string pathName;
    bool modified = false;
};
