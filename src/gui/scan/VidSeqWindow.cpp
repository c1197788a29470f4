#include "gui/scan/VidSeqWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "gui/hw/ImageView.h"
#include "gui/platform/QtText.h"
#include "obs/VelmObs.h"
#include "scan/VidSeqDoc.h"
#include "scan/VidSeqView.h"

namespace {
constexpr int kTileWidth = 160;
}

CVidSeqDocWindow::CVidSeqDocWindow(QWidget* parent)
    : CDocumentWindow(DocTemplate(EDocType::ImageSequence), parent),
      doc(std::make_unique<CVidSeqDoc>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(this);
    list = new QListWidget(splitter);
    list->setObjectName("frameList");
    pages = new QStackedWidget(splitter);

    auto* joinPage = new QWidget(pages);
    auto* joinLayout = new QVBoxLayout(joinPage);
    auto* frameScroll = new QScrollArea(joinPage);
    frameView = new CImageView(frameScroll);
    frameView->setObjectName("frameView");
    frameScroll->setWidget(frameView);
    frameScroll->setWidgetResizable(true);
    joinLayout->addWidget(frameScroll, 1);
    frameLabel = new QLabel(joinPage);
    frameLabel->setObjectName("frameLabel");
    joinLayout->addWidget(frameLabel);
    slider = new QSlider(Qt::Horizontal, joinPage);
    slider->setObjectName("frameSlider");
    joinLayout->addWidget(slider);
    pages->addWidget(joinPage);

    planeArea = new QScrollArea(pages);
    planeArea->setObjectName("planeArea");
    planeArea->setWidgetResizable(true);
    pages->addWidget(planeArea);

    splitter->setStretchFactor(1, 1);
    splitter->setSizes({360, 640});
    layout->addWidget(splitter);

    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && slider->value() != row) slider->setValue(row);
        if (split)
            ShowPlane();
        else
            ShowFrame();
    });
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        if (list->currentRow() != value) list->setCurrentRow(value);
    });
    Rebuild();
}

CVidSeqDocWindow::~CVidSeqDocWindow() = default;

void CVidSeqDocWindow::Rebuild() {
    logic = std::make_unique<CVidSeqViewLogic>(*doc);
    list->clear();
    // Time, where the moved stage stood, and the file: what tells one frame from the next.
    const unsigned details =
        DetailFlags::kTime | DetailFlags::kInformation |
        (doc->tool == 'P' ? DetailFlags::kProbePosition : DetailFlags::kSamplePosition);
    for (const CVidSeqViewLogic::SFrame& frame : logic->Frames()) {
        std::string text;
        doc->GetObsAt(frame.obs)->Describe(text, doc.get(), details);
        list->addItem(ToQ(text));
    }
    const int count = static_cast<int>(logic->Frames().size());
    slider->setRange(0, count > 0 ? count - 1 : 0);
    slider->setEnabled(count > 1);
    if (count > 0)
        list->setCurrentRow(0);
    else
        frameLabel->setText(tr("No frames"));
}

bool CVidSeqDocWindow::Load(const std::string& path) {
    if (!doc->OnOpenDocument(path)) return false;
    pathName = path;
    Rebuild();
    RefreshTitle();
    return true;
}

bool CVidSeqDocWindow::IsModified() const {
    return doc->IsModified();
}

bool CVidSeqDocWindow::SaveTo(const std::string& path) {
    return doc->OnSaveDocument(path);
}

void CVidSeqDocWindow::SetSplit(bool on) {
    split = on;
    pages->setCurrentIndex(on ? 1 : 0);
    if (on)
        ShowPlane();
    else
        ShowFrame();
}

void CVidSeqDocWindow::SelectFrame(int frame) {
    list->setCurrentRow(frame);
}

int CVidSeqDocWindow::SelectedFrame() const {
    return list->currentRow();
}

void CVidSeqDocWindow::ShowFrame() {
    const int row = list->currentRow();
    if (row < 0) return;
    CBitmapImage image;
    std::string why;
    if (logic->Image(static_cast<size_t>(row), image, why)) {
        frameView->SetImage(image);
        frameLabel->setText(ToQ(logic->Label(static_cast<size_t>(row))));
    } else {
        frameView->SetImage(QImage());
        frameLabel->setText(ToQ(why));
    }
}

void CVidSeqDocWindow::ShowPlane() {
    const int row = std::max(0, list->currentRow());
    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    if (static_cast<size_t>(row) < logic->Frames().size()) {
        const CIVector4 at = logic->Frames()[static_cast<size_t>(row)].index;
        const std::vector<size_t> plane = logic->Plane(at.z, at.w);
        if (static_cast<int>(plane.size()) > kMaxSplitTiles) {
            layout->addWidget(new QLabel(tr("This plane holds %1 frames; Split lays out up to %2.")
                                             .arg(plane.size())
                                             .arg(kMaxSplitTiles),
                                         grid),
                              0, 0);
        } else {
            for (size_t frame : plane) {
                auto* cell = new QWidget(grid);
                auto* column = new QVBoxLayout(cell);
                auto* tile = new QLabel(cell);
                tile->setObjectName("tile");
                CBitmapImage image;
                std::string why;
                if (logic->Image(frame, image, why))
                    tile->setPixmap(QPixmap::fromImage(
                        ToQImage(image).scaledToWidth(kTileWidth, Qt::SmoothTransformation)));
                else
                    tile->setText(ToQ(why));
                column->addWidget(tile);
                column->addWidget(new QLabel(ToQ(logic->Label(frame)), cell), 0, Qt::AlignHCenter);
                const CIVector4 index = logic->Frames()[frame].index;
                layout->addWidget(cell, index.y, index.x);
            }
        }
    }
    planeArea->setWidget(grid);
}
