#include "gui/display/LayerDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "app/MainFrame.h"
#include "display/SourceDocuments.h"
#include "gui/app/FileDialogs.h"
#include "gui/platform/QtText.h"
#include "hw/Bmp.h"
#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"

std::function<std::vector<SOpenDataDocument>()> openDataDocuments;

namespace {

// Edits bound to numbers: shown with "%g", read back on OK with the dialog's number reading.
class CNumberFields {
  public:
    QLineEdit* Add(QWidget* parent, double& value, const char* name) {
        auto* edit = NewEdit(parent, QString::fromStdString(StrPrintf("%g", value)));
        doubles.push_back({edit, &value, name});
        return edit;
    }
    QLineEdit* Add(QWidget* parent, int& value, const char* name, int min, int max) {
        auto* edit = NewEdit(parent, QString::number(value));
        ints.push_back({edit, &value, name, min, max});
        return edit;
    }
    // Reads every edit; the first that is not a usable number is named and keeps the dialog.
    bool Read() const {
        for (const auto& f : doubles) {
            const auto v = ParseNumberEntry(FromQ(f.edit->text()));
            if (!v || !std::isfinite(*v)) return Refuse(f.edit, f.name);
        }
        for (const auto& f : ints) {
            const auto v = ParseNumberEntry(FromQ(f.edit->text()));
            if (!v || *v != std::trunc(*v) || *v < f.min || *v > f.max)
                return Refuse(f.edit, StrPrintf("%s (%d to %d)", f.name.c_str(), f.min, f.max));
        }
        for (const auto& f : doubles)
            *f.value = *ParseNumberEntry(FromQ(f.edit->text()));
        for (const auto& f : ints)
            *f.value = static_cast<int>(*ParseNumberEntry(FromQ(f.edit->text())));
        return true;
    }

  private:
    struct SDouble {
        QLineEdit* edit;
        double* value;
        std::string name;
    };
    struct SInt {
        QLineEdit* edit;
        int* value;
        std::string name;
        int min, max;
    };
    static QLineEdit* NewEdit(QWidget* parent, const QString& text) {
        auto* edit = new QLineEdit(text, parent);
        edit->setMaximumWidth(80);
        return edit;
    }
    static bool Refuse(QLineEdit* edit, const std::string& name) {
        Prompt().Message("Enter a number for " + name + ".", EPromptIcon::Exclamation);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    std::vector<SDouble> doubles;
    std::vector<SInt> ints;
};

QDialogButtonBox* OkCancel(QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

// A dialog that closes with OK only when its fields read.
class CCheckedDialog : public QDialog {
  public:
    using QDialog::QDialog;
    std::function<bool()> check;
    void accept() override {
        if (!check || check()) QDialog::accept();
    }
};

// A group of radio buttons bound to an id field.
QButtonGroup* Radios(QWidget* parent, QLayout* layout,
                     std::initializer_list<std::pair<int, const char*>> choices, int current) {
    auto* group = new QButtonGroup(parent);
    for (const auto& [id, text] : choices) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), parent);
        group->addButton(radio, id);
        layout->addWidget(radio);
        if (id == current) radio->setChecked(true);
    }
    return group;
}

QCheckBox* Check(QWidget* parent, const char* text, bool on) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setChecked(on);
    return box;
}

// The optical systems of velm.ini, "<Use Default>" first (the active one).
QComboBox* SystemCombo(QWidget* parent, const std::string& current) {
    auto* combo = new QComboBox(parent);
    combo->addItem("<Use Default>");
    for (const std::string& name : OpticalSystemNames())
        combo->addItem(ToQ(name));
    const int at = combo->findText(ToQ(current));
    combo->setCurrentIndex(at > 0 ? at : 0);
    return combo;
}

COpticalSystem ChosenSystem(const QComboBox* combo) {
    COpticalSystem system;
    std::string name =
        combo->currentIndex() <= 0 ? ActiveOpticalSystemName() : FromQ(combo->currentText());
    if (!name.empty() && FindOpticalSystem(name) >= 0) system.Load(name);
    return system;
}

// A point shown on the live image, in the displays' frame (nothing when cancelled).
std::optional<CDVector4> ShowPoint(const char* prompt) {
    CMainFrame* frame = TheMainFrame();
    if (!frame) return std::nullopt;
    return frame->ShowPointOnImage(prompt);
}

// "Show" of an offset: an anchor point and the point it moves to; the difference.
std::optional<CDVector4> ShowOffset() {
    const std::optional<CDVector4> anchor = ShowPoint("Show anchor point for offset ...");
    if (!anchor) return std::nullopt;
    const std::optional<CDVector4> moved = ShowPoint("Show offset point ...");
    if (!moved) return std::nullopt;
    return *moved - *anchor;
}

void ShowIn(const std::vector<QLineEdit*>& edits, const std::vector<double>& values) {
    for (size_t i = 0; i < edits.size() && i < values.size(); ++i)
        edits[i]->setText(QString::fromStdString(StrPrintf("%.2lf", values[i])));
}

// The layer offset as its edits hold it now (the stored one while an edit is not a number).
CDVector4 OffsetNow(const std::vector<QLineEdit*>& edits, const CDVector4& stored) {
    double v[4] = {stored.x, stored.y, stored.z, stored.w};
    for (size_t i = 0; i < 4 && i < edits.size(); ++i)
        if (const auto n = ParseNumberEntry(FromQ(edits[i]->text()))) v[i] = *n;
    return CDVector4(v[0], v[1], v[2], v[3]);
}

bool IsWireCalibration(const CVelmObs& o) {
    return dynamic_cast<const CWireCalibration*>(&o) != nullptr;
}
bool IsWireReference(const CVelmObs& o) {
    return dynamic_cast<const CWireReference*>(&o) != nullptr;
}
bool IsWireRules(const CVelmObs& o) {
    return dynamic_cast<const CSampRulesWire*>(&o) != nullptr;
}
bool IsIonCalibration(const CVelmObs& o) {
    return dynamic_cast<const CIonCalibration*>(&o) != nullptr;
}
bool IsIonRules(const CVelmObs& o) {
    return dynamic_cast<const CSampRulesIon*>(&o) != nullptr;
}
bool IsRawADRules(const CVelmObs& o) {
    return dynamic_cast<const CSampRulesRawAD*>(&o) != nullptr;
}

}  // namespace

std::unique_ptr<CDispLayer> NewLayerWithDialogs(QWidget* parent) {
    QDialog choose(parent);
    choose.setWindowTitle("Add Display Layer");
    auto* layout = new QHBoxLayout(&choose);
    auto* image = new QPushButton("Image", &choose);
    auto* data = new QPushButton("Data", &choose);
    auto* cancel = new QPushButton("Cancel", &choose);
    for (QPushButton* b : {image, data, cancel})
        layout->addWidget(b);
    QObject::connect(image, &QPushButton::clicked, &choose, [&choose] { choose.done(1); });
    QObject::connect(data, &QPushButton::clicked, &choose, [&choose] { choose.done(2); });
    QObject::connect(cancel, &QPushButton::clicked, &choose, &QDialog::reject);
    const int answer = choose.exec();
    try {
        if (answer == 1) {
            auto layer = std::make_unique<CImageDispLayer>();
            layer->LoadSettings();
            if (!EditImageLayer(*layer, parent)) return nullptr;
            return layer;
        }
        if (answer == 2) {
            auto layer = std::make_unique<CDataDispLayer>();
            layer->LoadSettings();
            if (!EditDataLayer(*layer, parent)) return nullptr;
            return layer;
        }
    } catch (const std::bad_alloc&) {
        Prompt().Message(answer == 1 ? "Insufficient memory for new image display layer."
                                     : "Insufficient memory for new data display layer.",
                         EPromptIcon::Exclamation);
    }
    return nullptr;
}

bool EditLayerWithDialog(CDispLayer& layer, QWidget* parent) {
    if (auto* image = dynamic_cast<CImageDispLayer*>(&layer)) return EditImageLayer(*image, parent);
    if (auto* data = dynamic_cast<CDataDispLayer*>(&layer)) return EditDataLayer(*data, parent);
    return false;
}

bool EditImageLayer(CImageDispLayer& layer, QWidget* parent) {
    CCheckedDialog dialog(parent);
    dialog.setWindowTitle("Image File Display Layer");
    auto* layout = new QVBoxLayout(&dialog);
    auto* fileLine = new QHBoxLayout;
    fileLine->addWidget(new QLabel("Image File:", &dialog));
    auto* file = new QComboBox(&dialog);
    file->setEditable(true);
    file->setObjectName("imageFile");
    file->setEditText(ToQ(layer.source));
    file->setMinimumWidth(320);
    fileLine->addWidget(file, 1);
    auto* open = new QPushButton("Open ...", &dialog);
    fileLine->addWidget(open);
    layout->addLayout(fileLine);
    QObject::connect(open, &QPushButton::clicked, &dialog, [&] {
        const QString path =
            FileDialogs().open(&dialog, "Open", file->currentText(), "Bitmap Files (*.bmp)");
        if (!path.isEmpty()) file->setEditText(path);
    });

    auto* blendBox = new QGroupBox("Blend Method:", &dialog);
    auto* blendLayout = new QHBoxLayout(blendBox);
    QButtonGroup* blend = Radios(blendBox, blendLayout,
                                 {{kBlendCopy, "Copy /"},
                                  {kBlendMix, "Mix with other images /"},
                                  {kBlendOutline, "Outline /"},
                                  {kBlendThreshold, "Threshold"}},
                                 layer.blend);
    layout->addWidget(blendBox);

    CNumberFields fields;
    auto* offsetBox = new QGroupBox("Offset From Origin:", &dialog);
    auto* offsetLayout = new QHBoxLayout(offsetBox);
    std::vector<QLineEdit*> offsetEdits;
    for (auto [label, value] : {std::pair{"X", &layer.offset.x}, std::pair{"Y", &layer.offset.y},
                                std::pair{"Z", &layer.offset.z}, std::pair{"W", &layer.offset.w}}) {
        offsetLayout->addWidget(new QLabel(label, offsetBox));
        offsetEdits.push_back(fields.Add(offsetBox, *value, "the offset"));
        offsetLayout->addWidget(offsetEdits.back());
    }
    auto* showOffset = new QPushButton("Show", offsetBox);
    offsetLayout->addWidget(showOffset);
    QObject::connect(showOffset, &QPushButton::clicked, &dialog, [&] {
        if (const auto d = ShowOffset()) ShowIn(offsetEdits, {d->x, d->y, d->z, d->w});
    });
    layout->addWidget(offsetBox);
    auto* systemLine = new QHBoxLayout;
    systemLine->addWidget(new QLabel("Optical System:", &dialog));
    QComboBox* system = SystemCombo(&dialog, layer.opticalSystem.name);
    systemLine->addWidget(system, 1);
    layout->addLayout(systemLine);
    layout->addWidget(OkCancel(dialog));
    dialog.check = [&] {
        if (!fields.Read()) return false;
        const std::string path = FromQ(file->currentText());
        if (!IsLayerImagePath(path)) {
            Prompt().Message("Choose a bitmap (.bmp) file for the image layer.",
                             EPromptIcon::Exclamation);
            return false;
        }
        return true;
    };
    if (dialog.exec() != QDialog::Accepted) return false;
    layer.source = FromQ(file->currentText());
    layer.blend = blend->checkedId() > 0 ? blend->checkedId() : kBlendCopy;
    layer.opticalSystem = ChosenSystem(system);
    const SBmpStatus status = ReadBmpFile(layer.source, layer.image);
    layer.imageProblem = status.Ok() ? "" : status.detail;
    if (!status.Ok()) Prompt().Message(status.detail, EPromptIcon::Exclamation);
    layer.SaveSettings();
    return true;
}

int SelectObservation(const CDataDocument& doc, bool (*accept)(const CVelmObs&), int current,
                      QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Select an Observation");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setMinimumWidth(520);
    std::vector<int> positions;
    for (size_t i = 0; i < doc.GetObsCount(); ++i) {
        const CVelmObs* obs = doc.GetObsAt(i);
        if (!accept(*obs)) continue;
        std::string text;
        obs->Describe(text, &doc, DetailFlags::kDefault);
        list->addItem(ToQ(text));
        positions.push_back(static_cast<int>(i));
        if (static_cast<int>(i) == current) list->setCurrentRow(list->count() - 1);
    }
    if (positions.empty()) {
        Prompt().Message("The source document holds no observation of this kind.",
                         EPromptIcon::Information);
        return -1;
    }
    if (list->currentRow() < 0) list->setCurrentRow(list->count() - 1);
    layout->addWidget(list);
    layout->addWidget(OkCancel(dialog));
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return -1;
    return positions[static_cast<size_t>(list->currentRow())];
}

bool EditContourFeatures(CDataDispLayer& layer, QWidget* parent) {
    CCheckedDialog dialog(parent);
    dialog.setWindowTitle("Contour Features");
    auto* layout = new QGridLayout(&dialog);
    auto* autospace = new QRadioButton("Autospace ", &dialog);
    auto* specific = new QRadioButton("At specific levels ------------>", &dialog);
    (layer.contourType == kContourLevels ? specific : autospace)->setChecked(true);
    CNumberFields fields;
    layout->addWidget(autospace, 0, 0);
    layout->addWidget(fields.Add(&dialog, layer.numAutoContours, "the number of levels", 1, 1000),
                      0, 1);
    layout->addWidget(new QLabel("levels through scale range", &dialog), 0, 2);
    layout->addWidget(specific, 1, 0);
    auto* levels = new QListWidget(&dialog);
    std::vector<double> values = CDataDispLayer::LoadContourLevels();
    auto refill = [&] {
        levels->clear();
        for (double v : values)
            levels->addItem(ToQ(StrPrintf("%.1le", v)));
    };
    refill();
    layout->addWidget(levels, 1, 2, 3, 1);
    auto* edit = new QLineEdit(&dialog);
    auto* add = new QPushButton("Add", &dialog);
    auto* addArrow = new QPushButton(">>", &dialog);
    auto* remove = new QPushButton("Delete Level", &dialog);
    layout->addWidget(edit, 2, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(addArrow);
    buttons->addWidget(remove);
    layout->addLayout(buttons, 3, 0);
    layout->addWidget(new QLabel("The specific levels are kept in this station's settings, not in "
                                 "the display document.",
                                 &dialog),
                      4, 0, 1, 3);
    auto addLevel = [&] {
        const auto v = ParseNumberEntry(FromQ(edit->text()));
        if (!v || !std::isfinite(*v)) {
            Prompt().Message("Enter a number for the level.", EPromptIcon::Exclamation);
            return;
        }
        if (values.size() >= static_cast<size_t>(CDataDispLayer::kMaxContourLevels)) return;
        values.push_back(*v);
        std::sort(values.begin(), values.end());
        refill();
        edit->clear();
    };
    QObject::connect(add, &QPushButton::clicked, &dialog, addLevel);
    QObject::connect(addArrow, &QPushButton::clicked, &dialog, addLevel);
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const int row = levels->currentRow();
        if (row < 0) {
            Prompt().Message("Select a level to delete", EPromptIcon::Exclamation);
            return;
        }
        values.erase(values.begin() + row);
        refill();
    });
    layout->addWidget(OkCancel(dialog), 5, 0, 1, 3);
    dialog.check = [&] { return fields.Read(); };
    if (dialog.exec() != QDialog::Accepted) return false;
    layer.contourType = specific->isChecked() ? kContourLevels : kContourAuto;
    CDataDispLayer::SaveContourLevels(values);
    layer.contourLevels = values;
    return true;
}

bool EditValueGraphFeatures(CDataDispLayer& layer, QWidget* parent) {
    CCheckedDialog dialog(parent);
    dialog.setWindowTitle("Value Graph Features");
    auto* layout = new QVBoxLayout(&dialog);
    auto* vsBox = new QGroupBox("Graph vs.", &dialog);
    auto* vsLayout = new QHBoxLayout(vsBox);
    QButtonGroup* vs = Radios(vsBox, vsLayout,
                              {{1677, "X coordinate"},
                               {1678, "Y coordinate"},
                               {1679, "Z coordinate"},
                               {1680, "W coordinate"},
                               {1681, "Time"}},
                              layer.graphType);
    layout->addWidget(vsBox);
    CNumberFields fields;
    auto* area = new QGroupBox("Observation area", &dialog);
    auto* areaGrid = new QGridLayout(area);
    areaGrid->addWidget(new QLabel("From:", area), 0, 0);
    areaGrid->addWidget(new QLabel("To:", area), 1, 0);
    std::vector<QLineEdit*> fromEdits, toEdits, windowFrom, windowTo;
    for (int k = 0; k < 4; ++k) {
        fromEdits.push_back(fields.Add(area, layer.graphFrom[k], "the observation area"));
        toEdits.push_back(fields.Add(area, layer.graphTo[k], "the observation area"));
        areaGrid->addWidget(fromEdits.back(), 0, k + 1);
        areaGrid->addWidget(toEdits.back(), 1, k + 1);
    }
    // Points shown on the live image are taken relative to the layer's offset.
    auto showInto = [&layer](const char* prompt, const std::vector<QLineEdit*>& edits) {
        if (const auto p = ShowPoint(prompt)) {
            const CDVector4 w = *p - layer.offset;
            ShowIn(edits, {w.x, w.y, w.z, w.w});
        }
    };
    auto* showFrom = new QPushButton("Show", area);
    auto* showTo = new QPushButton("Show", area);
    areaGrid->addWidget(showFrom, 0, 5);
    areaGrid->addWidget(showTo, 1, 5);
    QObject::connect(showFrom, &QPushButton::clicked, &dialog,
                     [&] { showInto("Show start point for group ...", fromEdits); });
    QObject::connect(showTo, &QPushButton::clicked, &dialog,
                     [&] { showInto("Show end point for group ...", toEdits); });
    layout->addWidget(area);
    auto* window = new QGroupBox("Display Window", &dialog);
    auto* windowGrid = new QGridLayout(window);
    windowGrid->addWidget(new QLabel("From (left, top) =", window), 0, 0);
    windowGrid->addWidget(new QLabel("To (right, bottom) =", window), 1, 0);
    for (int k = 0; k < 2; ++k) {
        windowFrom.push_back(fields.Add(window, layer.graphWindow[k], "the display window"));
        windowTo.push_back(fields.Add(window, layer.graphWindow[2 + k], "the display window"));
        windowGrid->addWidget(windowFrom.back(), 0, k + 1);
        windowGrid->addWidget(windowTo.back(), 1, k + 1);
    }
    auto* showTopLeft = new QPushButton("Show", window);
    auto* showBottomRight = new QPushButton("Show", window);
    windowGrid->addWidget(showTopLeft, 0, 3);
    windowGrid->addWidget(showBottomRight, 1, 3);
    QObject::connect(showTopLeft, &QPushButton::clicked, &dialog,
                     [&] { showInto("Show top left of graph display window ...", windowFrom); });
    QObject::connect(showBottomRight, &QPushButton::clicked, &dialog,
                     [&] { showInto("Show bottom, right of graph display window ...", windowTo); });
    layout->addWidget(window);
    auto* grid = new QGridLayout;
    QCheckBox* hGrid = Check(&dialog, "Horizontal gridlines", layer.hGrid);
    QCheckBox* vGrid = Check(&dialog, "Vertical gridlines", layer.vGrid);
    QCheckBox* axes = Check(&dialog, "Axes", layer.showAxes);
    QCheckBox* border = Check(&dialog, "Border", layer.showBorder);
    QCheckBox* labels = Check(&dialog, "Labels", layer.showLabels);
    QCheckBox* ticks = Check(&dialog, "Tickmarks - Horiz:", layer.showTicks);
    grid->addWidget(hGrid, 0, 0);
    grid->addWidget(fields.Add(&dialog, layer.hGridCount, "the gridlines", 1, 1000), 0, 1);
    grid->addWidget(vGrid, 1, 0);
    grid->addWidget(fields.Add(&dialog, layer.vGridCount, "the gridlines", 1, 1000), 1, 1);
    grid->addWidget(axes, 0, 2);
    grid->addWidget(border, 1, 2);
    grid->addWidget(labels, 2, 2);
    grid->addWidget(ticks, 2, 0);
    grid->addWidget(fields.Add(&dialog, layer.ticksH, "the tickmarks", 1, 1000), 2, 1);
    grid->addWidget(new QLabel("Vert:", &dialog), 3, 0);
    grid->addWidget(fields.Add(&dialog, layer.ticksV, "the tickmarks", 1, 1000), 3, 1);
    layout->addLayout(grid);
    layout->addWidget(OkCancel(dialog));
    dialog.check = [&] { return fields.Read(); };
    if (dialog.exec() != QDialog::Accepted) return false;
    layer.graphType = vs->checkedId() > 0 ? vs->checkedId() : kGraphTime;
    layer.hGrid = hGrid->isChecked();
    layer.vGrid = vGrid->isChecked();
    layer.showAxes = axes->isChecked();
    layer.showBorder = border->isChecked();
    layer.showLabels = labels->isChecked();
    layer.showTicks = ticks->isChecked();
    return true;
}

bool EditDataLayer(CDataDispLayer& layer, QWidget* parent) {
    // The dialog edits a copy; OK hands it over.
    CDataDispLayer work;
    {
        CArchive out;
        layer.Serialize(out);
        CArchive in(out.Bytes());
        work.Serialize(in);
    }
    work.sourceDoc = layer.sourceDoc;
    work.ownedSource = layer.ownedSource;
    work.opticalSystem = layer.opticalSystem;
    work.contourLevels = layer.contourLevels;
    work.scaleBarHead = layer.scaleBarHead;

    CCheckedDialog dialog(parent);
    dialog.setWindowTitle("Data Display Layer");
    auto* top = new QVBoxLayout(&dialog);
    CNumberFields fields;

    // Source and time range.
    auto* fileLine = new QHBoxLayout;
    fileLine->addWidget(new QLabel("File:", &dialog));
    auto* file = new QComboBox(&dialog);
    file->setObjectName("dataFile");
    file->setEditable(true);
    file->setMinimumWidth(300);
    std::vector<SOpenDataDocument> open;
    if (openDataDocuments) open = openDataDocuments();
    for (const auto& d : open)
        if (!d.path.empty()) file->addItem(ToQ(d.path));
    file->setEditText(ToQ(work.source));
    fileLine->addWidget(file, 1);
    auto* browse = new QPushButton("Open ...", &dialog);
    fileLine->addWidget(browse);
    top->addLayout(fileLine);
    auto* timeLine = new QHBoxLayout;
    auto* clearTime = new QPushButton("All Times", &dialog);
    timeLine->addWidget(new QLabel("Time Range:", &dialog));
    auto* timeText = new QLabel(
        ToQ(work.timeRangeText.empty() ? "all observations" : work.timeRangeText), &dialog);
    timeLine->addWidget(timeText, 1);
    timeLine->addWidget(clearTime);
    top->addLayout(timeLine);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString path = FileDialogs().open(&dialog, "Open", file->currentText(),
                                                "Observation Documents (*.vpo);;All Files (*)");
        if (!path.isEmpty()) file->setEditText(path);
    });
    QObject::connect(clearTime, &QPushButton::clicked, &dialog, [&] {
        work.timeRange[0] = work.timeRange[1] = 0;
        work.timeRangeText.clear();
        timeText->setText("all observations");
    });
    // The document the buttons choose observations from.
    auto sourceNow = [&]() -> CDataDocument* {
        const std::string path = FromQ(file->currentText());
        for (const auto& d : open)
            if (d.path == path) return d.document;
        return path == work.source ? work.sourceDoc : nullptr;
    };

    auto* columns = new QHBoxLayout;
    top->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    // Quantity.
    auto* quantityBox = new QGroupBox("Quantity", &dialog);
    auto* qGrid = new QGridLayout(quantityBox);
    auto* quantity = new QButtonGroup(quantityBox);
    const std::pair<int, const char*> quantities[] = {{1175, "X current density"},
                                                      {1176, "Y current density"},
                                                      {1177, "Total current density"},
                                                      {1178, "Angle of components"},
                                                      {1179, "X In Phase"},
                                                      {1180, "X Quadrature"},
                                                      {1181, "Y In Phase"},
                                                      {1182, "Y Quadrature"},
                                                      {1183, "2-D Vector"},
                                                      {1184, "Sample #"},
                                                      {1185, "XY Vector"},
                                                      {1186, "Scalar"},
                                                      {1187, "Channel #"}};
    int row = 0;
    for (const auto& [id, text] : quantities) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), quantityBox);
        quantity->addButton(radio, id);
        radio->setChecked(id == work.quantity);
        qGrid->addWidget(radio, row / 2, row % 2);
        ++row;
    }
    auto pickButton = [&](const char* text, int* index, bool (*accept)(const CVelmObs&)) {
        auto* b = new QPushButton(QString::fromLatin1(text), quantityBox);
        QObject::connect(b, &QPushButton::clicked, &dialog, [&, index, accept] {
            CDataDocument* doc = sourceNow();
            if (!doc) {
                Prompt().Message("Open the source document first.", EPromptIcon::Information);
                return;
            }
            const int chosen = SelectObservation(*doc, accept, *index, &dialog);
            if (chosen >= 0 && index) *index = chosen;
        });
        return b;
    };
    auto* cdpButtons = new QHBoxLayout;
    cdpButtons->addWidget(new QLabel("CDP:", quantityBox));
    cdpButtons->addWidget(pickButton("Calibration", &work.indexWireCal, IsWireCalibration));
    auto* reference = new QPushButton("Reference", quantityBox);
    QObject::connect(reference, &QPushButton::clicked, &dialog, [&] {
        // As in the surface export: the latest reference is shown, not chosen.
        CDataDocument* doc = sourceNow();
        const CVelmObs* latest = nullptr;
        for (size_t i = 0; doc && i < doc->GetObsCount(); ++i)
            if (IsWireReference(*doc->GetObsAt(i))) latest = doc->GetObsAt(i);
        std::string text = "The source document holds no CDP reference.";
        if (latest) {
            text.clear();
            latest->Describe(text, doc, DetailFlags::kDefault);
        }
        Prompt().Message(text, EPromptIcon::Information);
    });
    cdpButtons->addWidget(reference);
    cdpButtons->addWidget(pickButton("View Rules", &work.indexRulesWire, IsWireRules));
    qGrid->addLayout(cdpButtons, 7, 0, 1, 2);
    auto* gradient = new QGridLayout;
    gradient->addWidget(new QLabel("Sample #", quantityBox), 0, 0);
    gradient->addWidget(fields.Add(quantityBox, work.sampleNumber, "the sample", 1, 1000), 0, 1);
    gradient->addWidget(new QLabel("Calculate gradient as  from", quantityBox), 1, 0);
    gradient->addWidget(fields.Add(quantityBox, work.gradSample1, "the gradient", 1, 1000), 1, 1);
    gradient->addWidget(new QLabel("to", quantityBox), 1, 2);
    gradient->addWidget(fields.Add(quantityBox, work.gradSample2, "the gradient", 1, 1000), 1, 3);
    gradient->addWidget(new QLabel("Average repetition #", quantityBox), 2, 0);
    gradient->addWidget(fields.Add(quantityBox, work.repFirst, "the repetitions", 1, 1000), 2, 1);
    gradient->addWidget(new QLabel("to", quantityBox), 2, 2);
    gradient->addWidget(fields.Add(quantityBox, work.repLast, "the repetitions", 1, 1000), 2, 3);
    QCheckBox* applyRef = Check(quantityBox, "Apply Reference to Gradients", work.applyIonRef);
    gradient->addWidget(applyRef, 3, 0, 1, 4);
    qGrid->addLayout(gradient, 8, 0, 1, 2);
    auto* ionButtons = new QHBoxLayout;
    ionButtons->addWidget(new QLabel("ISP/PVP:", quantityBox));
    ionButtons->addWidget(pickButton("Calibration", &work.indexIonCal, IsIonCalibration));
    ionButtons->addWidget(pickButton("View Rules", &work.indexRulesIon, IsIonRules));
    qGrid->addLayout(ionButtons, 9, 0, 1, 2);
    auto* rawLine = new QHBoxLayout;
    rawLine->addWidget(new QLabel("Raw A/D Measurements:  Channel #", quantityBox));
    rawLine->addWidget(fields.Add(quantityBox, work.rawADChannel, "the channel", 0, 63));
    rawLine->addWidget(pickButton("View Rules", &work.indexRulesRawAD, IsRawADRules));
    qGrid->addLayout(rawLine, 10, 0, 1, 2);
    left->addWidget(quantityBox);

    // Display method.
    auto* methodBox = new QGroupBox("Display Method", &dialog);
    auto* mGrid = new QGridLayout(methodBox);
    auto* method = new QButtonGroup(methodBox);
    const std::pair<int, const char*> methods[] = {{kMethodVector, "Vector"},
                                                   {kMethodCircle, "Circle"},
                                                   {kMethodSheet, "Sheet"},
                                                   {kMethodContour, "Contour"},
                                                   {kMethodValueGraph, "Value Graph"}};
    row = 0;
    for (const auto& [id, text] : methods) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), methodBox);
        method->addButton(radio, id);
        radio->setChecked(id == work.method);
        mGrid->addWidget(radio, row++, 0);
    }
    auto* vectorLine = new QHBoxLayout;
    QButtonGroup* origin = Radios(
        methodBox, vectorLine, {{kOriginHead, "Head /"}, {kOriginTail, "Tail"}}, work.vectorOrigin);
    vectorLine->addWidget(new QLabel("Axis:", methodBox));
    QButtonGroup* axis =
        Radios(methodBox, vectorLine, {{kAxisX, "X /"}, {kAxisY, "Y"}}, work.vectorAxis);
    mGrid->addLayout(vectorLine, 0, 1);
    auto* headLine = new QHBoxLayout;
    headLine->addWidget(new QLabel("Head  Length:", methodBox));
    headLine->addWidget(fields.Add(methodBox, work.headLength, "the head length"));
    headLine->addWidget(new QLabel("Angle:", methodBox));
    headLine->addWidget(fields.Add(methodBox, work.headAngle, "the head angle"));
    QCheckBox* noHead = Check(methodBox, "No head", work.headOn);
    headLine->addWidget(noHead);
    mGrid->addLayout(headLine, 1, 1);
    auto* sheetLine = new QHBoxLayout;
    sheetLine->addWidget(new QLabel("Rotation:", methodBox));
    sheetLine->addWidget(fields.Add(methodBox, work.sheetRotation, "the rotation"));
    sheetLine->addWidget(new QLabel("Tilt:", methodBox));
    sheetLine->addWidget(fields.Add(methodBox, work.sheetTilt, "the tilt"));
    mGrid->addLayout(sheetLine, 2, 1);
    auto* contourFeatures = new QPushButton("Edit Features...", methodBox);
    auto* graphFeatures = new QPushButton("Edit Features...", methodBox);
    mGrid->addWidget(contourFeatures, 3, 1);
    mGrid->addWidget(graphFeatures, 4, 1);
    QObject::connect(contourFeatures, &QPushButton::clicked, &dialog,
                     [&] { EditContourFeatures(work, &dialog); });
    QObject::connect(graphFeatures, &QPushButton::clicked, &dialog,
                     [&] { EditValueGraphFeatures(work, &dialog); });
    left->addWidget(methodBox);

    // Scale.
    auto* scaleBox = new QGroupBox("Scale", &dialog);
    auto* sGrid = new QGridLayout(scaleBox);
    auto* scaleType = new QButtonGroup(scaleBox);
    auto* minMax = new QRadioButton("Min-Max /", scaleBox);
    auto* scalar = new QRadioButton("Scalar", scaleBox);
    scaleType->addButton(minMax, kScaleMinMax);
    scaleType->addButton(scalar, kScaleScalar);
    (work.scaleType == kScaleMinMax ? minMax : scalar)->setChecked(true);
    sGrid->addWidget(minMax, 0, 0);
    sGrid->addWidget(scalar, 0, 1);
    QCheckBox* autoMin = Check(scaleBox, "Auto -     Min", work.autoMin);
    QCheckBox* autoMax = Check(scaleBox, "Auto -    Max", work.autoMax);
    QCheckBox* autoScalar = Check(scaleBox, "Auto - Scalar", work.autoScalar);
    sGrid->addWidget(autoMin, 1, 0);
    sGrid->addWidget(fields.Add(scaleBox, work.minValue, "the minimum"), 1, 1);
    sGrid->addWidget(autoMax, 2, 0);
    sGrid->addWidget(fields.Add(scaleBox, work.maxValue, "the maximum"), 2, 1);
    sGrid->addWidget(autoScalar, 3, 0);
    sGrid->addWidget(fields.Add(scaleBox, work.scalarValue, "the scalar"), 3, 1);
    sGrid->addWidget(new QLabel("Scale to", scaleBox), 4, 0);
    sGrid->addWidget(fields.Add(scaleBox, work.scaleToPixels, "the pixels", 1, 10000), 4, 1);
    sGrid->addWidget(new QLabel("pixels", scaleBox), 4, 2);
    sGrid->addWidget(new QLabel("units  Label:", scaleBox), 5, 0);
    auto* units = new QLineEdit(ToQ(work.units), scaleBox);
    sGrid->addWidget(units, 5, 1, 1, 2);
    right->addWidget(scaleBox);

    // Line control.
    auto* lineBox = new QGroupBox("Line Control", &dialog);
    auto* lGrid = new QGridLayout(lineBox);
    auto* colourMode = new QButtonGroup(lineBox);
    auto* fixed = new QRadioButton("Fixed colors: R       G       B", lineBox);
    auto* pseudo = new QRadioButton("Pseudocolor", lineBox);
    colourMode->addButton(fixed, kColorFixed);
    colourMode->addButton(pseudo, kColorPseudo);
    (work.lineColorMode == kColorPseudo ? pseudo : fixed)->setChecked(true);
    lGrid->addWidget(fixed, 0, 0, 1, 4);
    lGrid->addWidget(pseudo, 0, 4);
    row = 1;
    for (auto [label, colour] :
         {std::pair{"Positive", &work.posColor}, std::pair{"Negative", &work.negColor},
          std::pair{"Reference", &work.refColor}, std::pair{"Background:", &work.backColor}}) {
        lGrid->addWidget(new QLabel(label, lineBox), row, 0);
        for (int k = 0; k < 3; ++k)
            lGrid->addWidget(
                fields.Add(lineBox, (*colour)[static_cast<size_t>(k)], "a colour", 0, 255), row,
                k + 1);
        ++row;
    }
    lGrid->addWidget(new QLabel("Foreground:  Width:", lineBox), row, 0);
    lGrid->addWidget(fields.Add(lineBox, work.lineWidth, "the width", 1, 50), row, 1);
    lGrid->addWidget(new QLabel("Background width:", lineBox), row + 1, 0);
    lGrid->addWidget(fields.Add(lineBox, work.backWidth, "the width", 0, 50), row + 1, 1);
    QCheckBox* backOn = Check(lineBox, "On", work.backOn);
    lGrid->addWidget(backOn, row + 1, 2);
    right->addWidget(lineBox);

    // Scale bar.
    auto* barBox = new QGroupBox("Scale Bar", &dialog);
    auto* bLine = new QHBoxLayout(barBox);
    QCheckBox* horz = Check(barBox, "Horizontal", work.scaleBarHorz);
    QCheckBox* vert = Check(barBox, "Vertical", work.scaleBarVert);
    bLine->addWidget(horz);
    bLine->addWidget(vert);
    bLine->addWidget(new QLabel("Size:", barBox));
    bLine->addWidget(fields.Add(barBox, work.scaleBarSize, "the scale bar size"));
    bLine->addWidget(new QLabel("at", barBox));
    std::vector<QLineEdit*> barEdits{
        fields.Add(barBox, work.scaleBarPos[0], "the scale bar position"),
        fields.Add(barBox, work.scaleBarPos[1], "the scale bar position")};
    for (QLineEdit* e : barEdits)
        bLine->addWidget(e);
    auto* showBar = new QPushButton("Show", barBox);
    bLine->addWidget(showBar);
    right->addWidget(barBox);

    // Optical system and offset.
    auto* systemBox = new QGroupBox("Optical System", &dialog);
    auto* oGrid = new QGridLayout(systemBox);
    oGrid->addWidget(new QLabel("Name:", systemBox), 0, 0);
    QComboBox* system = SystemCombo(systemBox, work.opticalSystem.name);
    oGrid->addWidget(system, 0, 1, 1, 4);
    oGrid->addWidget(new QLabel("Offset:", systemBox), 1, 0);
    std::vector<QLineEdit*> offsetEdits;
    for (double* v : {&work.offset.x, &work.offset.y, &work.offset.z, &work.offset.w}) {
        offsetEdits.push_back(fields.Add(systemBox, *v, "the offset"));
        oGrid->addWidget(offsetEdits.back(), 1, static_cast<int>(offsetEdits.size()));
    }
    auto* showOrigin = new QPushButton("Show Origin Offset", systemBox);
    oGrid->addWidget(showOrigin, 2, 1, 1, 4);
    right->addWidget(systemBox);
    QObject::connect(showOrigin, &QPushButton::clicked, &dialog, [&] {
        if (const auto d = ShowOffset()) ShowIn(offsetEdits, {d->x, d->y, d->z, d->w});
    });
    QObject::connect(showBar, &QPushButton::clicked, &dialog, [&] {
        if (const auto p = ShowPoint("Show upper left of scale bar position ...")) {
            const CDVector4 w = *p - OffsetNow(offsetEdits, work.offset);
            ShowIn(barEdits, {w.x, w.y});
        }
    });
    top->addWidget(OkCancel(dialog));

    dialog.check = [&] {
        if (!fields.Read()) return false;
        const std::string path = FromQ(file->currentText());
        if (!path.empty() && !IsSourceDocumentPath(path)) {
            Prompt().Message("A data layer draws from an observation or scan document.",
                             EPromptIcon::Exclamation);
            return false;
        }
        return true;
    };
    if (dialog.exec() != QDialog::Accepted) return false;

    work.quantity = quantity->checkedId() > 0 ? quantity->checkedId() : work.quantity;
    work.method = method->checkedId() > 0 ? method->checkedId() : work.method;
    work.vectorOrigin = origin->checkedId() > 0 ? origin->checkedId() : work.vectorOrigin;
    work.vectorAxis = axis->checkedId() > 0 ? axis->checkedId() : work.vectorAxis;
    work.headOn = noHead->isChecked();
    work.applyIonRef = applyRef->isChecked();
    work.scaleType = scaleType->checkedId() > 0 ? scaleType->checkedId() : work.scaleType;
    work.autoMin = autoMin->isChecked();
    work.autoMax = autoMax->isChecked();
    work.autoScalar = autoScalar->isChecked();
    work.units = FromQ(units->text());
    work.lineColorMode = colourMode->checkedId() > 0 ? colourMode->checkedId() : kColorFixed;
    work.backOn = backOn->isChecked();
    work.scaleBarHorz = horz->isChecked();
    work.scaleBarVert = vert->isChecked();
    work.opticalSystem = ChosenSystem(system);
    const std::string path = FromQ(file->currentText());
    if (path != work.source) {
        work.source = path;
        work.sourceDoc = nullptr;
        work.ownedSource.reset();
        for (const auto& d : open)
            if (d.path == path) work.sourceDoc = d.document;
        if (!work.sourceDoc && !path.empty()) {
            std::string message;
            std::shared_ptr<CDataDocument> read = OpenSourceDocument(path, message);
            if (read) {
                work.ownedSource = read;
                work.sourceDoc = read.get();
            } else {
                Prompt().Message(message, EPromptIcon::Exclamation);
            }
        }
    }

    {
        CArchive out;
        work.Serialize(out);
        CArchive in(out.Bytes());
        layer.Serialize(in);
    }
    layer.sourceDoc = work.sourceDoc;
    layer.ownedSource = work.ownedSource;
    layer.opticalSystem = work.opticalSystem;
    layer.contourLevels = work.contourLevels;
    layer.SaveSettings();
    return true;
}

std::vector<int> SelectDocuments(const std::vector<std::string>& names,
                                 const std::vector<int>& preselected, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Select Documents");
    dialog.setObjectName("selectDocuments");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Select the documents you want from the list:", &dialog));
    auto* list = new QListWidget(&dialog);
    list->setObjectName("documents");
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const std::string& name : names)
        list->addItem(ToQ(name));
    for (int i : preselected)
        if (i >= 0 && i < list->count()) list->item(i)->setSelected(true);
    layout->addWidget(list);
    layout->addWidget(OkCancel(dialog));
    std::vector<int> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) chosen.push_back(i);
    return chosen;
}

bool AskWindowSize(int& width, int& height, QWidget* parent) {
    CCheckedDialog dialog(parent);
    dialog.setWindowTitle("Display Window Size");
    auto* layout = new QFormLayout(&dialog);
    CNumberFields fields;
    int w = width, h = height;
    auto* wLine = new QHBoxLayout;
    wLine->addWidget(fields.Add(&dialog, w, "the width", 16, 8192));
    wLine->addWidget(new QLabel("pixels", &dialog));
    auto* hLine = new QHBoxLayout;
    hLine->addWidget(fields.Add(&dialog, h, "the height", 16, 8192));
    hLine->addWidget(new QLabel("pixels", &dialog));
    layout->addRow("Width:", wLine);
    layout->addRow("Height:", hLine);
    layout->addRow(OkCancel(dialog));
    dialog.check = [&] { return fields.Read(); };
    if (dialog.exec() != QDialog::Accepted) return false;
    width = w;
    height = h;
    return true;
}
