#include "gui/app/RootDirectoryDialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "settings/FileNumbering.h"

namespace {
QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

// ---- VELM File Locations -------------------------------------------------------------------

CFileLocationsDialog::CFileLocationsDialog(const std::string& root, QWidget* parent)
    : QDialog(parent), root(root) {
    setWindowTitle(tr("VELM File Locations"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Data files will be stored in:"), this));
    layoutBox = new QWidget(this);
    layoutBox->setObjectName("fileLocations");
    layoutGrid = new QGridLayout(layoutBox);
    layoutGrid->setContentsMargins(12, 0, 0, 0);
    layout->addWidget(layoutBox);

    auto* buttons = new QHBoxLayout;
    QPushButton* newFile = Button(tr("New File"), "newFile", this);
    newFile->setDefault(true);
    newFile->setAutoDefault(true);
    QPushButton* openFile = Button(tr("Open File"), "openFile", this);
    QPushButton* change = Button(tr("Change Directory"), "changeDirectory", this);
    QPushButton* setup = Button(tr("System Setup"), "systemSetup", this);
    for (QPushButton* b : {newFile, openFile, change, setup})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(newFile, &QPushButton::clicked, this, [this] { Finish(EStartChoice::NewFile); });
    connect(openFile, &QPushButton::clicked, this, [this] { Finish(EStartChoice::OpenFile); });
    connect(setup, &QPushButton::clicked, this, [this] { Finish(EStartChoice::SystemSetup); });
    connect(change, &QPushButton::clicked, this, &CFileLocationsDialog::ChangeDirectory);
    ShowLayout();
}

void CFileLocationsDialog::ShowLayout() {
    while (QLayoutItem* item = layoutGrid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // One row per line of the layout text, its label and path in two columns.
    const QStringList lines = ToQ(FileLocationsText(root)).split(QLatin1Char('\n'));
    for (int row = 0; row < lines.size(); ++row) {
        const QStringList cells = lines[row].split(QLatin1Char('\t'));
        for (int col = 0; col < cells.size() && col < 2; ++col) {
            auto* label = new QLabel(cells[col], layoutBox);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            layoutGrid->addWidget(label, row, col);
        }
    }
    layoutGrid->setColumnStretch(1, 1);
}

void CFileLocationsDialog::Finish(EStartChoice how) {
    choice = how;
    QDialog::accept();
}

void CFileLocationsDialog::ChangeDirectory() {
    CRootDirectoryDialog dialog(root, this);
    if (dialog.exec() != QDialog::Accepted) return;
    root = dialog.Result();
    ShowLayout();
}

// ---- VELM Root Directory -------------------------------------------------------------------

CRootDirectoryDialog::CRootDirectoryDialog(const std::string& path, QWidget* parent)
    : QDialog(parent), logic(path) {
    setWindowTitle(tr("VELM Root Directory"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Root Directory:"), this), 0, 0);
    edit = new QLineEdit(this);
    edit->setObjectName("rootDirectory");
    layout->addWidget(edit, 0, 1, 1, 2);
    layout->addWidget(new QLabel(tr("Current Path:"), this), 1, 0);
    current = new QLabel(this);
    current->setObjectName("currentPath");
    layout->addWidget(current, 1, 1, 1, 2);
    layout->addWidget(new QLabel(tr("Paths:"), this), 2, 1);
    layout->addWidget(new QLabel(tr("Files:"), this), 2, 2);
    paths = new QListWidget(this);
    paths->setObjectName("paths");
    files = new QListWidget(this);
    files->setObjectName("files");
    files->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(paths, 3, 1);
    layout->addWidget(files, 3, 2);

    auto* side = new QVBoxLayout;
    QPushButton* inCurrent = Button(tr("New In Current Directory ..."), "newInCurrent", this);
    QPushButton* inParent = Button(tr("New In Parent Directory ..."), "newInParent", this);
    side->addWidget(inCurrent);
    side->addWidget(inParent);
    side->addStretch(1);
    layout->addLayout(side, 3, 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons, 4, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);

    connect(buttons, &QDialogButtonBox::accepted, this, &CRootDirectoryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CRootDirectoryDialog::reject);
    connect(paths, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        logic.OpenPathEntry(FromQ(item->text()));
        Refresh();
    });
    connect(inCurrent, &QPushButton::clicked, this, [this] { NewFolder(false); });
    connect(inParent, &QPushButton::clicked, this, [this] { NewFolder(true); });
    Refresh();
    resize(620, 380);
}

void CRootDirectoryDialog::Refresh() {
    edit->setText(ToQ(logic.editText));
    current->setText(ToQ(logic.CurrentPath()));
    paths->clear();
    for (const std::string& entry : logic.Paths())
        paths->addItem(ToQ(entry));
    files->clear();
    for (const std::string& entry : logic.Files())
        files->addItem(ToQ(entry));
}

void CRootDirectoryDialog::NewFolder(bool inParent) {
    if (inParent) {
        logic.GoToParent();
        Refresh();
    }
    CCreateRootDirectoryDialog dialog(logic.CurrentPath(), logic.ProposedFolderName(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    logic.CreateInCurrent(dialog.Name());
    Refresh();
}

void CRootDirectoryDialog::reject() {
    logic.Cancel();
    QDialog::reject();
}

void CRootDirectoryDialog::accept() {
    logic.editText = FromQ(edit->text());
    if (!logic.Ok(result)) return;
    QDialog::accept();
}

// ---- Create New Root Directory -------------------------------------------------------------

CCreateRootDirectoryDialog::CCreateRootDirectoryDialog(const std::string& currentPath,
                                                       const std::string& proposed, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Create New Root Directory"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Current Path:"), this), 0, 0);
    layout->addWidget(new QLabel(ToQ(currentPath), this), 0, 1);
    layout->addWidget(new QLabel(tr("New Folder:"), this), 1, 0);
    name = new QLineEdit(ToQ(proposed), this);
    name->setObjectName("newFolder");
    name->selectAll();
    layout->addWidget(name, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons, 2, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string CCreateRootDirectoryDialog::Name() const {
    return FromQ(name->text());
}

// ---- Default Filenames ---------------------------------------------------------------------

CDefaultFilenamesDialog::CDefaultFilenamesDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Default Filenames"));
    auto* layout = new QGridLayout(this);
    images = new QLineEdit(ToQ(logic.imagePrefix), this);
    images->setObjectName("images");
    exports = new QLineEdit(ToQ(logic.exportPrefix), this);
    exports->setObjectName("textExports");
    for (QLineEdit* e : {images, exports})
        e->setMaxLength(static_cast<int>(kMaxPrefixLength));
    imageNumber = new QLabel(ToQ(CDefaultFilenamesLogic::NumberText(logic.imageNumber)), this);
    imageNumber->setObjectName("imageNumber");
    exportNumber = new QLabel(ToQ(CDefaultFilenamesLogic::NumberText(logic.exportNumber)), this);
    exportNumber->setObjectName("exportNumber");
    QPushButton* resetImages = Button(tr("Reset"), "resetImages", this);
    QPushButton* resetExports = Button(tr("Reset"), "resetExports", this);
    layout->addWidget(new QLabel(tr("Images:"), this), 0, 0);
    layout->addWidget(images, 0, 1);
    layout->addWidget(imageNumber, 0, 2);
    layout->addWidget(resetImages, 0, 3);
    layout->addWidget(new QLabel(tr("Text Exports:"), this), 1, 0);
    layout->addWidget(exports, 1, 1);
    layout->addWidget(exportNumber, 1, 2);
    layout->addWidget(resetExports, 1, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons, 2, 0, 1, 4);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDefaultFilenamesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(resetImages, &QPushButton::clicked, this, [this] {
        if (logic.ResetImageNumber())
            imageNumber->setText(ToQ(CDefaultFilenamesLogic::NumberText(logic.imageNumber)));
    });
    connect(resetExports, &QPushButton::clicked, this, [this] {
        if (logic.ResetExportNumber())
            exportNumber->setText(ToQ(CDefaultFilenamesLogic::NumberText(logic.exportNumber)));
    });
}

void CDefaultFilenamesDialog::accept() {
    logic.imagePrefix = FromQ(images->text());
    logic.exportPrefix = FromQ(exports->text());
    logic.Ok();
    QDialog::accept();
}
