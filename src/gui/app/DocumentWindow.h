#pragma once
// Document windows: the contents of one MDI child, holding its document. A window of each of
// the five document types; the main window makes them (CMainWindow::NewDocument and
// OpenDocument) and routes the menu commands to the active one.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/DocTemplates.h"
#include "hw/Bmp.h"

class CObsDoc;
class CObsDocCommands;
class CObsView;
class QScrollArea;
class CDibView;

class CDocumentWindow : public QWidget {
    Q_OBJECT
  public:
    CDocumentWindow(const SDocTemplate& docTemplate, QWidget* parent = nullptr);
    ~CDocumentWindow() override;

    const SDocTemplate& Template() const { return docTemplate; }
    EDocType Type() const { return docTemplate.type; }

    // The file the document was read from or saved to ("" while new).
    const std::string& PathName() const { return pathName; }
    // The window's title: the file name, or the new-document name ("newdata1").
    QString Title() const;
    void SetNewName(const QString& name);

    // Reads the file into this new window's document. False after the user has been told why.
    virtual bool Load(const std::string& path);
    virtual bool IsModified() const { return false; }
    // Whether File > Save applies.
    virtual bool CanSave() const { return false; }
    // File > Save / Save As: a new document asks for a name first. False when not saved.
    bool Save();
    bool SaveAs();
    // Writes the document to `path`. False after the user has been told why.
    virtual bool SaveTo(const std::string& path);
    // The name "Save As" proposes for a document without a file.
    virtual QString ProposedName() const;

    // The standard question before a modified document goes: true when it may close.
    bool QueryClose();
    // Whether the document may close at all (before any save question).
    virtual bool CanClose() { return true; }

  signals:
    // The title or the modified mark changed.
    void TitleChanged();
    // The document's contents changed (views redraw).
    void DocumentChanged();
    // Something the menu commands depend on changed (the list's selection, say): the
    // commands' enabled states are asked again.
    void CommandStateChanged();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void RefreshTitle();

    std::string pathName;

  private:
    const SDocTemplate& docTemplate;
    QString newName;
};

// An observation document (.vpo) with its list view.
class CObsDocWindow : public CDocumentWindow {
    Q_OBJECT
  public:
    explicit CObsDocWindow(QWidget* parent = nullptr);
    ~CObsDocWindow() override;

    CObsDoc& Document() { return *doc; }
    // The list view (from CreateObsView).
    QWidget* View() const { return view; }
    CObsView* ListView() const;
    // The menu commands on this document; null when the program has no main frame (tests of
    // a bare window).
    CObsDocCommands* Commands() const { return commands.get(); }
    // Refused while a scan sequence runs, or when a display drawing from it stays open.
    bool CanClose() override;
    // Closes the displays that draw from the closing document (the display wiring installs
    // it); false when the user kept one open.
    static std::function<bool(CObsDocWindow& closing)> closeDependents;

    bool Load(const std::string& path) override;
    bool IsModified() const override;
    bool CanSave() const override { return true; }
    bool SaveTo(const std::string& path) override;

    // The document's views redraw; called whenever the document says its views are stale.
    void DocumentUpdated();

  private:
    std::unique_ptr<CObsDoc> doc;
    std::unique_ptr<CObsDocCommands> commands;
    QWidget* view = nullptr;
};

// A BMP image.
class CImageDocWindow : public CDocumentWindow {
    Q_OBJECT
  public:
    explicit CImageDocWindow(QWidget* parent = nullptr);

    const CBitmapImage& Image() const { return image; }
    // Replaces the image (Paste, Update); the document is then modified.
    void SetImage(CBitmapImage newImage);
    bool FitToWindow() const;
    void SetFitToWindow(bool on);

    bool Load(const std::string& path) override;
    bool IsModified() const override { return modified; }
    bool CanSave() const override { return image.IsValid(); }
    bool SaveTo(const std::string& path) override;

  private:
    CBitmapImage image;
    CDibView* view = nullptr;
    QScrollArea* scroll = nullptr;
    bool modified = false;
};

// A window of a type that has no view of its own.
class CPlainDocWindow : public CDocumentWindow {
    Q_OBJECT
  public:
    using CDocumentWindow::CDocumentWindow;
};

// The window for a document of `type`.
std::unique_ptr<CDocumentWindow> CreateDocumentWindow(EDocType type);
