#include "gui/app/DocumentWindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/MainFrame.h"
#include "app/ObsDocCommands.h"
#include "gui/app/FileDialogs.h"
#include "gui/app/ObsViewFactory.h"
#include "gui/display/DisplayWindow.h"
#include "gui/hw/ImageView.h"
#include "gui/obs/ObsView.h"
#include "gui/platform/QtText.h"
#include "gui/scan/ScanDocWindow.h"
#include "gui/scan/VidSeqWindow.h"
#include "obs/ObsDoc.h"
#include "platform/Format.h"
#include "platform/Services.h"

// ---- CDocumentWindow ---------------------------------------------------------------------------

CDocumentWindow::CDocumentWindow(const SDocTemplate& docTemplate, QWidget* parent)
    : QWidget(parent), docTemplate(docTemplate) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(200, 120);
}

CDocumentWindow::~CDocumentWindow() = default;

QString CDocumentWindow::Title() const {
    if (pathName.empty()) return newName;
    return QFileInfo(ToQ(pathName)).fileName();
}

void CDocumentWindow::SetNewName(const QString& name) {
    newName = name;
    RefreshTitle();
}

void CDocumentWindow::RefreshTitle() {
    setWindowTitle(Title() + QStringLiteral("[*]"));
    setWindowModified(IsModified());
    emit TitleChanged();
}

bool CDocumentWindow::Load(const std::string& path) {
    pathName = path;
    RefreshTitle();
    return true;
}

bool CDocumentWindow::SaveTo(const std::string&) {
    return false;
}

bool CDocumentWindow::Save() {
    if (!CanSave()) return false;
    if (pathName.empty()) return SaveAs();
    bool ok = SaveTo(pathName);
    RefreshTitle();
    return ok;
}

bool CDocumentWindow::SaveAs() {
    if (!CanSave()) return false;
    QString start = pathName.empty() ? ProposedName() : ToQ(pathName);
    QString chosen = FileDialogs().save(this, tr("Save As"), start, DocumentFilters(&docTemplate));
    if (chosen.isEmpty()) return false;
    // The type's extension is added when the name has none of its own.
    if (!chosen.endsWith(QString::fromLatin1(docTemplate.extension), Qt::CaseInsensitive) &&
        QFileInfo(chosen).suffix().isEmpty())
        chosen += QString::fromLatin1(docTemplate.extension);
    bool ok = SaveTo(FromQ(chosen));
    if (ok) pathName = FromQ(chosen);
    RefreshTitle();
    return ok;
}

QString CDocumentWindow::ProposedName() const {
    return newName + QString::fromLatin1(docTemplate.extension);
}

bool CDocumentWindow::QueryClose() {
    if (!CanClose()) return false;
    if (!IsModified()) return true;
    std::string question = StrPrintf("Save changes to %s?", FromQ(Title()).c_str());
    switch (Prompt().Ask(question, EPromptButtons::YesNoCancel, EPromptIcon::Exclamation)) {
        case EPromptAnswer::Yes:
            return Save();
        case EPromptAnswer::No:
            return true;
        default:
            return false;
    }
}

void CDocumentWindow::closeEvent(QCloseEvent* event) {
    if (QueryClose())
        event->accept();
    else
        event->ignore();
}

// ---- CObsDocWindow -------------------------------------------------------------------------

CObsDocWindow::CObsDocWindow(QWidget* parent)
    : CDocumentWindow(DocTemplate(EDocType::Observation), parent),
      doc(std::make_unique<CObsDoc>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view = CreateObsView(*this);
    layout->addWidget(view);
    // The window hears the document first and passes the news on to its view.
    doc->SetUpdateViewsHook([this] { DocumentUpdated(); });
    if (CMainFrame* frame = TheMainFrame()) {
        commands = std::make_unique<CObsDocCommands>(*doc, *frame);
        // Saving at once (automatic saving) asks for a name when the document has none yet.
        auto save = [this](CDataDocument&) { return Save(); };
        commands->saveDocument = save;
        doc->SetAutoSaveHook(save);
    }
}

CObsDocWindow::~CObsDocWindow() {
    doc->SetUpdateViewsHook(nullptr);
    doc->SetAutoSaveHook(nullptr);
    // The view refers to the document: it goes first.
    delete view;
    view = nullptr;
}

CObsView* CObsDocWindow::ListView() const {
    return qobject_cast<CObsView*>(view);
}

std::function<bool(CObsDocWindow& closing)> CObsDocWindow::closeDependents;

bool CObsDocWindow::CanClose() {
    if (commands && !commands->CanClose()) return false;
    return !closeDependents || closeDependents(*this);
}

void CObsDocWindow::DocumentUpdated() {
    emit DocumentChanged();
    RefreshTitle();
}

bool CObsDocWindow::Load(const std::string& path) {
    if (!doc->OnOpenDocument(path)) return false;
    doc->SetPathName(path);
    pathName = path;
    DocumentUpdated();
    return true;
}

bool CObsDocWindow::IsModified() const {
    return doc->IsModified();
}

bool CObsDocWindow::SaveTo(const std::string& path) {
    return doc->OnSaveDocument(path);
}

// ---- CImageDocWindow -----------------------------------------------------------------------

// The image at its own size, or scaled into the window keeping its proportions.
class CDibView : public QWidget {
  public:
    explicit CDibView(QWidget* parent) : QWidget(parent) { setObjectName("dibView"); }
    void SetImage(QImage newImage) {
        image = std::move(newImage);
        UpdateSize();
    }
    void SetFit(bool on) {
        fit = on;
        UpdateSize();
    }
    bool Fit() const { return fit; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        if (image.isNull()) return;
        if (!fit) {
            painter.drawImage(0, 0, image);
            return;
        }
        QSize size = image.size().scaled(this->size(), Qt::KeepAspectRatio);
        QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
    }

  private:
    void UpdateSize() {
        if (fit)
            setMinimumSize(1, 1);
        else
            setMinimumSize(image.size());
        update();
    }

    QImage image;
    bool fit = false;
};

CImageDocWindow::CImageDocWindow(QWidget* parent)
    : CDocumentWindow(DocTemplate(EDocType::Image), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scroll = new QScrollArea(this);
    view = new CDibView(scroll);
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
}

void CImageDocWindow::SetImage(CBitmapImage newImage) {
    image = std::move(newImage);
    view->SetImage(ToQImage(image));
    modified = true;
    emit DocumentChanged();
    RefreshTitle();
}

bool CImageDocWindow::FitToWindow() const {
    return view->Fit();
}

void CImageDocWindow::SetFitToWindow(bool on) {
    view->SetFit(on);
}

bool CImageDocWindow::Load(const std::string& path) {
    CBitmapImage read;
    SBmpStatus status = ReadBmpFile(path, read);
    if (!status.Ok()) {
        Prompt().Message(StrPrintf("Cannot open %s:\n%s", path.c_str(), status.detail.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    image = std::move(read);
    view->SetImage(ToQImage(image));
    modified = false;
    pathName = path;
    RefreshTitle();
    return true;
}

bool CImageDocWindow::SaveTo(const std::string& path) {
    std::string error;
    if (!WriteBmpFile(path, image, &error)) {
        Prompt().Message(StrPrintf("Cannot save %s:\n%s", path.c_str(), error.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    modified = false;
    return true;
}

std::unique_ptr<CDocumentWindow> CreateDocumentWindow(EDocType type) {
    switch (type) {
        case EDocType::Observation:
            return std::make_unique<CObsDocWindow>();
        case EDocType::Image:
            return std::make_unique<CImageDocWindow>();
        case EDocType::ImageSequence:
            return std::make_unique<CVidSeqDocWindow>();
        case EDocType::Display:
            return std::make_unique<CDispDocWindow>();
        case EDocType::Scan:
            return std::make_unique<CScanDocWindow>();
        default:
            return std::make_unique<CPlainDocWindow>(DocTemplate(type));
    }
}
