#include "gui/scan/ShowAreaDialog.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/MainFrame.h"
#include "gui/app/DocumentWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/platform/QtText.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "scan/ScanDoc.h"
#include "settings/RootDirectory.h"
#include "tech/Station.h"

namespace {

QLineEdit* Edit(const std::string& text, const QString& name, QWidget* parent, int width = 60) {
    auto* edit = new QLineEdit(ToQ(text), parent);
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    return edit;
}

}  // namespace

CShowAreaDialog::CShowAreaDialog(CShowAreaLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("showAreaDialog");
    setWindowTitle(CShowAreaLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    image = new QComboBox(this);
    image->setObjectName("imageCombo");
    image->setEditable(true);
    image->setMinimumWidth(360);
    for (const std::string& name : logic.recentImages)
        image->addItem(ToQ(name));
    image->setEditText(ToQ(logic.imageFile));
    auto* open = new QPushButton(tr("Open ..."), this);
    open->setObjectName("openButton");
    grid->addWidget(new QLabel(tr("Image File:"), this), 0, 0);
    grid->addWidget(image, 0, 1, 1, 4);
    grid->addWidget(open, 0, 5);
    pen = Edit(logic.pen, "penEdit", this);
    grid->addWidget(new QLabel(tr("Pen Width:"), this), 1, 0);
    grid->addWidget(pen, 1, 1);
    auto* colour = new QGroupBox(tr("Color"), this);
    auto* cl = new QHBoxLayout(colour);
    const char* names[3] = {"R", "G", "B"};
    const std::string* values[3] = {&logic.red, &logic.green, &logic.blue};
    for (int i = 0; i < 3; ++i) {
        rgb[i] = Edit(*values[i], QString("color%1Edit").arg(names[i]), colour, 50);
        cl->addWidget(new QLabel(names[i], colour));
        cl->addWidget(rgb[i]);
    }
    grid->addWidget(colour, 1, 2, 1, 4);
    layout->addLayout(grid);

    auto* optics = new QGroupBox(tr("Optical System"), this);
    auto* og = new QGridLayout(optics);
    system = new QComboBox(optics);
    system->setObjectName("systemCombo");
    for (const std::string& name : logic.systems)
        system->addItem(ToQ(name));
    system->setCurrentText(ToQ(logic.systemName));
    og->addWidget(new QLabel(tr("Name:"), optics), 0, 0);
    og->addWidget(system, 0, 1, 1, 4);
    auto* offset = new QPushButton(tr("Show Origin Offset"), optics);
    offset->setObjectName("offsetButton");
    og->addWidget(offset, 1, 0);
    const std::string* offsetValues[4] = {&logic.anchorX, &logic.anchorY, &logic.offsetX,
                                          &logic.offsetY};
    for (int i = 0; i < 4; ++i) {
        offsets[i] = Edit(*offsetValues[i], QString("offset%1Edit").arg(i), optics);
        og->addWidget(offsets[i], 1, 1 + i);
    }
    layout->addWidget(optics);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(open, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(
            this, tr("Open"), ToQ(JoinPath(GetRootDirectory(), "images")),
            tr("Bitmaps (*.bmp *.dib);;All Files (*)"));
        if (!chosen.isEmpty()) image->setEditText(chosen);
    });
    connect(offset, &QPushButton::clicked, this, &CShowAreaDialog::ShowOffset);
}

void CShowAreaDialog::ShowOffset() {
    CMainFrame* frame = TheMainFrame();
    if (!frame) return;
    // Two points on the live image, in its pixels as the optical system maps them back.
    const std::optional<CDVector4> anchor =
        frame->ShowPointOnImage("Show anchor point for offset ...");
    if (!anchor) return;
    const std::optional<CDVector4> moved = frame->ShowPointOnImage("Show offset point ...");
    if (!moved) return;
    const COpticalSystem& optics = frame->Station().opticalSystem;
    if (!optics.Problem().empty()) return;
    const double px[4] = {anchor->x / optics.umPerPixelX, -anchor->y / optics.umPerPixelY,
                          moved->x / optics.umPerPixelX, -moved->y / optics.umPerPixelY};
    for (int i = 0; i < 4; ++i)
        offsets[i]->setText(ToQ(StrPrintf("%d", static_cast<int>(std::lround(px[i])))));
}

void CShowAreaDialog::accept() {
    logic.imageFile = FromQ(image->currentText());
    logic.pen = FromQ(pen->text());
    logic.red = FromQ(rgb[0]->text());
    logic.green = FromQ(rgb[1]->text());
    logic.blue = FromQ(rgb[2]->text());
    logic.systemName = FromQ(system->currentText());
    std::string* offsetValues[4] = {&logic.anchorX, &logic.anchorY, &logic.offsetX, &logic.offsetY};
    for (int i = 0; i < 4; ++i)
        *offsetValues[i] = FromQ(offsets[i]->text());
    if (!logic.Accept()) return;
    QDialog::accept();
}

void AttachShowAreaCommand(CMainWindow& window) {
    CMainWindow* w = &window;
    window.AttachCommand("scanShowArea",
                         {[w](QAction&) {
                              CDocumentWindow* scanWindow = w->ActiveDocumentWindow();
                              if (!scanWindow || scanWindow->Type() != EDocType::Scan) return;
                              // The scan's rectangle as its file holds it.
                              CScanDoc scan;
                              std::string message;
                              if (scanWindow->PathName().empty() ||
                                  !scan.LoadFile(scanWindow->PathName(), message)) {
                                  if (!message.empty())
                                      Prompt().Message(message, EPromptIcon::Exclamation);
                                  return;
                              }
                              CShowAreaLogic logic;
                              CShowAreaDialog dialog(logic, w);
                              if (dialog.exec() != QDialog::Accepted) return;
                              std::optional<CBitmapImage> drawn = logic.Draw(scan.start, scan.end);
                              if (!drawn) return;
                              // A new image: saving it asks for a name, so the chosen file is never
                              // overwritten.
                              auto* imageWindow = dynamic_cast<CImageDocWindow*>(
                                  w->CreateNewDocument(EDocType::Image));
                              if (imageWindow) imageWindow->SetImage(std::move(*drawn));
                          },
                          [w] {
                              CDocumentWindow* active = w->ActiveDocumentWindow();
                              return active && active->Type() == EDocType::Scan;
                          },
                          {}});
}
