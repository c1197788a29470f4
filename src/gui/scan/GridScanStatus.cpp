#include "gui/scan/GridScanStatus.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "obs/IonObs.h"
#include "obs/RawADObs.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "scan/ScanDoc.h"

namespace {

QLabel* Value(const char* name, QWidget* parent, const char* widest = "-0000.0000") {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 6);
    return label;
}

QString Volts(double v) {
    return ToQ(StrPrintf("%.4lf", v));
}

// The first line of an observation's description with its values.
QString Described(const CVelmObs& obs, const CScanDoc& scan) {
    std::string text;
    obs.Describe(text, &scan, DetailFlags::kInformation | DetailFlags::kType);
    const size_t end = text.find('\n');
    return ToQ(CutToCharacters(text.substr(0, end), 120));
}

}  // namespace

CGridScanStatusWindow::CGridScanStatusWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("gridScanStatus");
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    file = new QLabel(this);
    file->setObjectName("fileText");
    message = new QLabel(this);
    message->setObjectName("messageText");
    message->setMinimumWidth(
        message->fontMetrics().horizontalAdvance(
            "Moving probe to position ( 000, 000, 000, 000 ) ... and a little more") +
        8);
    layout->addWidget(file);
    layout->addWidget(message);

    auto* grid = new QGridLayout;
    int line = 0;
    remaining = Value("pointsRemaining", this, "0000000");
    grid->addWidget(new QLabel(tr("Points remaining:"), this), line, 0);
    grid->addWidget(remaining, line++, 1);
    position = new QLabel(this);
    position->setObjectName("positionText");
    grid->addWidget(new QLabel(tr("Position:"), this), line, 0);
    grid->addWidget(position, line++, 1, 1, 4);

    const char* const kHeads[4] = {"X In-Ph", "X Quad", "Y In-Ph", "Y Quad"};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(tr(kHeads[c]), this), line, 1 + c, Qt::AlignRight);
    ++line;
    const char* const kSampleNames[4] = {"sampleXInPh", "sampleXQuad", "sampleYInPh",
                                         "sampleYQuad"};
    const char* const kReferenceNames[4] = {"referenceXInPh", "referenceXQuad", "referenceYInPh",
                                            "referenceYQuad"};
    grid->addWidget(new QLabel(tr("Sample:"), this), line, 0);
    for (size_t c = 0; c < 4; ++c) {
        sample[c] = Value(kSampleNames[c], this);
        grid->addWidget(sample[c], line, 1 + static_cast<int>(c));
    }
    grid->addWidget(new QLabel(tr("volts at A/D input"), this), line++, 5);
    grid->addWidget(new QLabel(tr("Reference:"), this), line, 0);
    for (size_t c = 0; c < 4; ++c) {
        reference[c] = Value(kReferenceNames[c], this);
        grid->addWidget(reference[c], line, 1 + static_cast<int>(c));
    }
    grid->addWidget(new QLabel(tr("volts at A/D input"), this), line++, 5);
    length = Value("lengthText", this);
    angle = Value("angleText", this);
    grid->addWidget(new QLabel(tr("Length"), this), line, 0);
    grid->addWidget(length, line, 1);
    grid->addWidget(new QLabel(tr("uA/sq.cm"), this), line, 2);
    grid->addWidget(new QLabel(tr("Angle"), this), line, 3, Qt::AlignRight);
    grid->addWidget(angle, line, 4);
    grid->addWidget(new QLabel(tr("degrees"), this), line++, 5);
    gradient = new QLabel(this);
    gradient->setObjectName("gradientText");
    grid->addWidget(new QLabel(tr("Gradient:"), this), line, 0);
    grid->addWidget(gradient, line, 1, 1, 4);
    grid->addWidget(new QLabel(tr("microvolt gradient at tip"), this), line++, 5);
    rawAD = new QLabel(this);
    rawAD->setObjectName("rawADText");
    grid->addWidget(new QLabel(tr("Raw A/D:"), this), line, 0);
    grid->addWidget(rawAD, line, 1, 1, 4);
    grid->addWidget(new QLabel(tr("volts at A/D input"), this), line++, 5);
    layout->addLayout(grid);
}

void CGridScanStatusWindow::SetFile(const QString& text) {
    file->setText(text);
}

void CGridScanStatusWindow::SetMessage(const QString& text) {
    message->setText(text);
}

QString CGridScanStatusWindow::Message() const {
    return message->text();
}

void CGridScanStatusWindow::SetPointsRemaining(int64_t points) {
    remaining->setText(QString::number(points));
}

void CGridScanStatusWindow::SetPosition(const CDVector4& p) {
    position->setText(ToQ(StrPrintf("%.1lf, %.1lf, %.1lf, %.1lf", p.x, p.y, p.z, p.w)));
}

void CGridScanStatusWindow::SetObservation(const CVelmObs& obs, const CScanDoc& scan) {
    if (const auto* wire = dynamic_cast<const CWireReading*>(&obs)) {
        const bool isReference = dynamic_cast<const CWireReference*>(&obs) != nullptr;
        std::array<QLabel*, 4>& row = isReference ? reference : sample;
        for (int c = 0; c < 4; ++c)
            row[static_cast<size_t>(c)]->setText(Volts(wire->reading[c]));
        if (!isReference) {
            const CDVector4 density = scan.wireCal.ComputeCurrentDensity(*wire, true);
            length->setText(ToQ(StrPrintf("%.3lf", density.z)));
            angle->setText(ToQ(StrPrintf("%.1lf", density.w)));
        }
    } else if (dynamic_cast<const CIonReading*>(&obs)) {
        gradient->setText(Described(obs, scan));
    } else if (dynamic_cast<const CRawADObs*>(&obs)) {
        rawAD->setText(Described(obs, scan));
    }
}

// ---- The engine's output --------------------------------------------------------------------

CQtScanStatus::~CQtScanStatus() {
    delete window.data();
}

CGridScanStatusWindow& CQtScanStatus::Shown() {
    if (!window) window = new CGridScanStatusWindow(owner);
    if (!window->isVisible()) window->show();
    return *window;
}

void CQtScanStatus::Open(const std::string& title) {
    Shown().SetFile(ToQ(title));
    window->SetMessage(QString());
}

void CQtScanStatus::Message(const std::string& text) {
    Shown().SetMessage(ToQ(text));
}

void CQtScanStatus::PointsRemaining(int64_t points) {
    Shown().SetPointsRemaining(points);
}

void CQtScanStatus::Position(const CDVector4& position) {
    Shown().SetPosition(position);
}

void CQtScanStatus::Observation(const CVelmObs& obs, const CScanDoc& scan) {
    Shown().SetObservation(obs, scan);
}

void CQtScanStatus::Close() {
    if (window) window->hide();
}
