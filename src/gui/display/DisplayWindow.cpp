#include "gui/display/DisplayWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <filesystem>

#include "app/MainFrame.h"
#include "display/SvgPainter.h"
#include "gui/app/FileDialogs.h"
#include "gui/display/LayerDialogs.h"
#include "gui/display/QtPainter.h"
#include "gui/platform/QtText.h"
#include "hw/Bmp.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/RootDirectory.h"
#include "tech/Station.h"

std::function<CDataDocument*(const std::string& path)> CDispDocWindow::findOpenDocument;

// ---- CDisplayCanvas ----------------------------------------------------------------------------

CDisplayCanvas::CDisplayCanvas(CDispDoc& doc, QWidget* parent) : QWidget(parent), doc(doc) {
    setObjectName("displayCanvas");
}

QSize CDisplayCanvas::sizeHint() const {
    return QSize(doc.windowWidth, doc.windowHeight);
}

void CDisplayCanvas::paintEvent(QPaintEvent*) {
    QPainter qp(this);
    qp.setRenderHint(QPainter::Antialiasing);
    CQtPainter painter(qp);
    DrawDisplay(doc, painter, CDispDocWindow::StationContext(), doc.windowWidth, doc.windowHeight);
}

// ---- CDispDocWindow ----------------------------------------------------------------------------

CDispDocWindow::CDispDocWindow(QWidget* parent)
    : CDocumentWindow(DocTemplate(EDocType::Display), parent), doc(std::make_unique<CDispDoc>()) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    list = new QListWidget(this);
    list->setObjectName("layerList");
    list->setFixedWidth(doc->listWidth);
    layout->addWidget(list);
    canvas = new CDisplayCanvas(*doc, this);
    canvas->setFixedSize(doc->windowWidth, doc->windowHeight);
    scroll = new QScrollArea(this);
    scroll->setWidget(canvas);
    layout->addWidget(scroll, 1);
    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
        // The list shows the layers top first; the document counts rows from the bottom layer.
        doc->selected = row < 0 ? 0 : doc->Count() - row;
        emit TitleChanged();  // the Layer menu's enabling follows the selection
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { EditLayer(doc->Count() - list->row(item)); });
    if (CMainFrame* frame = TheMainFrame()) doc->ShareOpticalSystem(frame->Station().opticalSystem);
    ShowList();
}

CDispDocWindow::~CDispDocWindow() = default;

SDrawContext CDispDocWindow::StationContext() {
    if (CMainFrame* frame = TheMainFrame())
        return DrawContextFrom(frame->FgBoard(), frame->Station().opticalSystem);
    return SDrawContext();
}

bool CDispDocWindow::Load(const std::string& path) {
    std::string message;
    if (!doc->LoadFile(path, message)) {
        Prompt().Message(message, EPromptIcon::Exclamation);
        return false;
    }
    pathName = path;
    doc->findOpenDocument = findOpenDocument;
    std::string problems;
    doc->OpenSources(problems);
    doc->ShareOpticalSystem(StationContext().active);
    if (!problems.empty())
        Prompt().Message("These layers cannot show their sources:\n" + problems,
                         EPromptIcon::Exclamation);
    Changed(false);
    RefreshTitle();
    return true;
}

bool CDispDocWindow::SaveTo(const std::string& path) {
    std::string message;
    if (!doc->SaveFile(path, message)) {
        Prompt().Message(message, EPromptIcon::Exclamation);
        return false;
    }
    emit TitleChanged();
    return true;
}

QString CDispDocWindow::ProposedName() const {
    if (doc->layers.empty()) return CDocumentWindow::ProposedName();
    // Beside the first layer's source, named after it.
    const std::string source = doc->layers.front()->source;
    const std::string folder = QFileInfo(ToQ(source)).absolutePath().toStdString();
    return ToQ(source.empty() ? doc->ProposedName() : folder + "/" + doc->ProposedName());
}

void CDispDocWindow::ShowList() {
    const QSignalBlocker block(list);
    list->clear();
    // Top layer first, as the picture stacks them.
    for (int i = doc->Count() - 1; i >= 0; --i) {
        const CDispLayer& layer = *doc->layers[static_cast<size_t>(i)];
        std::string title = StrPrintf("%d  ", i + 1) + layer.GetTitle();
        if (auto* data = dynamic_cast<const CDataDispLayer*>(&layer)) {
            if (!data->sourceDoc) title += "  (no source)";
        } else if (auto* image = dynamic_cast<const CImageDispLayer*>(&layer)) {
            if (!image->image.IsValid()) title += "  (no image)";
        }
        list->addItem(ToQ(title));
    }
    if (doc->selected >= 1 && doc->selected <= doc->Count())
        list->setCurrentRow(doc->Count() - doc->selected);
}

void CDispDocWindow::Changed(bool modified) {
    if (modified) doc->SetModifiedFlag(true);
    canvas->setFixedSize(doc->windowWidth, doc->windowHeight);
    ShowList();
    canvas->update();
    emit TitleChanged();
    emit DocumentChanged();
}

void CDispDocWindow::RaiseUp() {
    if (doc->RaiseUp()) Changed();
}
void CDispDocWindow::SendDown() {
    if (doc->SendDown()) Changed();
}
void CDispDocWindow::ToTop() {
    if (doc->ToTop()) Changed();
}
void CDispDocWindow::ToBottom() {
    if (doc->ToBottom()) Changed();
}
void CDispDocWindow::DeleteLayer() {
    if (doc->DeleteSelected()) Changed();
}

void CDispDocWindow::TileGraphs() {
    doc->TileGraphs({0, 0, doc->windowWidth, doc->windowHeight}, fontMetrics().height());
    Changed();
}

void CDispDocWindow::NewLayer() {
    std::unique_ptr<CDispLayer> layer = NewLayerWithDialogs(this);
    if (!layer) return;
    doc->Insert(std::move(layer));
    doc->ShareOpticalSystem(StationContext().active);
    Changed();
}

void CDispDocWindow::EditLayer(int row) {
    if (row < 1 || row > doc->Count()) return;
    if (EditLayerWithDialog(*doc->layers[static_cast<size_t>(row) - 1], this)) {
        doc->ShareOpticalSystem(StationContext().active);
        Changed();
    }
}

void CDispDocWindow::AddLayers(std::vector<std::unique_ptr<CDispLayer>> layers) {
    for (auto& layer : layers) {
        if (auto* image = dynamic_cast<CImageDispLayer*>(layer.get()))
            ReadBmpFile(image->source, image->image);
        doc->layers.push_back(std::move(layer));
    }
    doc->selected = doc->Count();
    doc->ShareOpticalSystem(StationContext().active);
    Changed();
}

void CDispDocWindow::WindowSize() {
    int w = doc->windowWidth, h = doc->windowHeight;
    if (!AskWindowSize(w, h, this)) return;
    doc->windowWidth = w;
    doc->windowHeight = h;
    Changed();
}

QImage CDispDocWindow::Render() const {
    QImage image(doc->windowWidth, doc->windowHeight, QImage::Format_RGB888);
    QPainter qp(&image);
    qp.setRenderHint(QPainter::Antialiasing);
    CQtPainter painter(qp);
    DrawDisplay(*doc, painter, StationContext(), doc->windowWidth, doc->windowHeight);
    return image;
}

namespace {
// A name in the root's images folder after the image counter, as grabbed images are named.
QString ProposedImagePath(const char* extension) {
    const std::string root = GetRootDirectory();
    std::string folder = root.empty() ? std::string(".") : root + "/images";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return ToQ(folder + "/" + GetImagePrefix() + StrPrintf("%03d", GetNextImageNumber()) +
               extension);
}
}  // namespace

void CDispDocWindow::ExportDib() {
    const QString path = FileDialogs().save(this, tr("Export as DIB"), ProposedImagePath(".bmp"),
                                            tr("Bitmap Files (*.bmp)"));
    if (path.isEmpty()) return;
    const QImage picture = Render();
    CBitmapImage bmp = CBitmapImage::Blank(picture.width(), picture.height(), 24);
    if (!bmp.IsValid()) return;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* from = picture.constScanLine(y);
        uint8_t* to = bmp.Row(picture.height() - 1 - y);
        for (int x = 0; x < picture.width(); ++x) {
            to[x * 3] = from[x * 3 + 2];
            to[x * 3 + 1] = from[x * 3 + 1];
            to[x * 3 + 2] = from[x * 3];
        }
    }
    std::string error;
    if (!WriteBmpFile(FromQ(path), bmp, &error)) {
        Prompt().Message(error, EPromptIcon::Exclamation);
        return;
    }
    AdvanceImageNumber();
}

void CDispDocWindow::ExportPng() {
    const QString path = FileDialogs().save(this, tr("Export as PNG"), ProposedImagePath(".png"),
                                            tr("PNG Pictures (*.png)"));
    if (path.isEmpty()) return;
    const QImage picture = Render();
    // Written beside the target first, so a failed write leaves no half picture.
    const std::string target = FromQ(path);
    const std::string temporary = target + ".tmp";
    if (!picture.save(ToQ(temporary), "PNG") ||
        std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        Prompt().Message("Cannot write " + target + ".", EPromptIcon::Exclamation);
    }
}

void CDispDocWindow::ExportSvg() {
    const QString path = FileDialogs().save(this, tr("Export as SVG"), ProposedImagePath(".svg"),
                                            tr("SVG Figures (*.svg)"));
    if (path.isEmpty()) return;
    CSvgPainter painter(doc->windowWidth, doc->windowHeight);
    DrawDisplay(*doc, painter, StationContext(), doc->windowWidth, doc->windowHeight);
    std::string error;
    if (!WriteFileAtomic(FromQ(path), painter.Document(), &error))
        Prompt().Message(error, EPromptIcon::Exclamation);
}
