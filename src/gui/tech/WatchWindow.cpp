#include "gui/tech/WatchWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>
#include <cmath>

#include "gui/platform/QtText.h"
#include "gui/tech/TimePlotWidget.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "tech/watch/IonWatch.h"
#include "tech/watch/RawADWatch.h"
#include "tech/watch/WireWatch.h"

std::function<bool(CWatchIntervalLogic&)> CWatchWindow::intervalDialog;
std::function<void(CWireWatch&)> CWatchWindow::showVideoArrow;

// ---- Set Sampling Interval ----------------------------------------------------------------------

CWatchIntervalDialog::CWatchIntervalDialog(CWatchIntervalLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle("Set Sampling Interval");
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("The NEW minimum sampling interval is:"), 0, 0);
    layout->addWidget(new QLabel(ToQ(logic.NewMinimumText())), 0, 1);
    auto* useNew = new QPushButton("Use New");
    useNew->setObjectName("useNew");
    layout->addWidget(useNew, 0, 2);
    layout->addWidget(new QLabel("The PREVIOUS sampling interval was:"), 1, 0);
    layout->addWidget(new QLabel(ToQ(logic.PreviousText())), 1, 1);
    auto* usePrevious = new QPushButton("Use Previous");
    usePrevious->setObjectName("usePrevious");
    usePrevious->setEnabled(logic.CanUsePrevious());
    layout->addWidget(usePrevious, 1, 2);
    layout->addWidget(new QLabel(ToQ(logic.SpecifyText())), 2, 0);
    edit = new QLineEdit(ToQ(logic.edit));
    edit->setObjectName("interval");
    layout->addWidget(edit, 2, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons, 3, 0, 1, 3);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(useNew, &QPushButton::clicked, this, [this] {
        this->logic.UseNew();
        QDialog::accept();
    });
    connect(usePrevious, &QPushButton::clicked, this, [this] {
        this->logic.UsePrevious();
        QDialog::accept();
    });
}

void CWatchIntervalDialog::accept() {
    if (logic.Ok(FromQ(edit->text()))) {
        QDialog::accept();
        return;
    }
    edit->setText(ToQ(logic.edit));
    edit->setFocus();
    edit->selectAll();
}

// ---- The CDP vector display -----------------------------------------------------------------

CVectorWidget::CVectorWidget(CWireWatch& watch, QWidget* parent) : QWidget(parent), watch(watch) {
    setObjectName("vectorDisplay");
    setMinimumSize(160, 160);
}

void CVectorWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink = palette().color(QPalette::Text);
    const QFontMetrics m(font());
    const double radius = std::max(10.0, std::min(width(), height()) / 2.0 - m.height() - 4);
    const QPointF c(width() / 2.0, height() / 2.0);
    p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    p.drawEllipse(c, radius, radius);
    p.drawLine(QPointF(c.x() - radius, c.y()), QPointF(c.x() + radius, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - radius), QPointF(c.x(), c.y() + radius));
    p.setPen(ink);
    p.drawText(QPointF(c.x() + radius - m.horizontalAdvance("+X"), c.y() - 3), "+X");
    p.drawText(QPointF(c.x() - radius, c.y() - 3), "-X");
    p.drawText(QPointF(c.x() + 3, c.y() - radius + m.ascent()), "+Y");
    p.drawText(QPointF(c.x() + 3, c.y() + radius), "-Y");

    if (!watch.vector || !watch.HasValues()) {
        p.drawText(QPointF(4, height() - 4), ToQ(StrPrintf("%.3lg", watch.scale)));
        return;
    }
    // The scale after autoscaling this vector, in uA/sq.cm. at the circle.
    const SVectorPixels v = watch.Vector(radius);
    p.drawText(QPointF(4, height() - 4), ToQ(StrPrintf("%.3lg", watch.scale)));
    const QPointF tip(c.x() + v.dx, c.y() - v.dy);
    const QColor colour = v.overflow ? QColor(214, 39, 40) : QColor(31, 119, 180);
    p.setPen(QPen(colour, 2));
    switch (watch.dispfunc) {
        case kVectorStyleCircle:
            p.drawLine(c, tip);
            p.drawEllipse(tip, 5, 5);
            break;
        case kVectorStyleEllipse: {
            // An ellipse along the vector, as long as the vector and a third as wide.
            p.save();
            p.translate(c);
            p.rotate(-std::atan2(v.dy, v.dx) * 180.0 / M_PI);
            p.drawEllipse(QPointF(v.length / 2.0, 0), v.length / 2.0, v.length / 6.0);
            p.restore();
            break;
        }
        default: {
            p.drawLine(c, tip);
            const double a = std::atan2(-(tip.y() - c.y()), tip.x() - c.x());
            for (double side : {-0.4, 0.4}) {
                const QPointF wing(tip.x() - 10 * std::cos(a + side),
                                   tip.y() + 10 * std::sin(a + side));
                p.drawLine(tip, wing);
            }
        }
    }
    if (v.overflow) p.drawText(QPointF(4, m.ascent() + 2), "Overflow");
}

// ---- The window ---------------------------------------------------------------------------------

CWatchWindow::CWatchWindow(std::unique_ptr<CWatch> w, QWidget* owner)
    : QWidget(owner, Qt::Window), watch(std::move(w)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("watchWindow");
    setWindowTitle(ToQ(watch->Title()));
    auto* layout = new QVBoxLayout(this);
    BuildCommon(layout);
    if (auto* wire = dynamic_cast<CWireWatch*>(watch.get())) BuildWire(layout, *wire);
    if (auto* ion = dynamic_cast<CIonWatch*>(watch.get())) BuildIon(layout, *ion);
    if (auto* raw = dynamic_cast<CRawADWatch*>(watch.get())) BuildRaw(layout, *raw);
    BuildPlot(layout);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &CWatchWindow::OnTimer);
    watch->changed = [this] { Refresh(); };
    watch->Open();
    Refresh();
}

CWatchWindow::~CWatchWindow() {
    timer.stop();
    if (watch) {
        watch->changed = nullptr;
        watch->Close();
    }
}

void CWatchWindow::closeEvent(QCloseEvent* event) {
    timer.stop();
    watch->changed = nullptr;
    watch->Close();
    event->accept();
}

void CWatchWindow::OnTimer() {
    watch->Tick();
    if (showVideoArrow)
        if (auto* wire = dynamic_cast<CWireWatch*>(watch.get())) showVideoArrow(*wire);
}

QPushButton* CWatchWindow::Button(const char* text, const char* name, std::function<void()> run) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [run] { run(); });
    return b;
}

void CWatchWindow::Refresh() {
    if (refreshing) return;
    refreshing = true;
    for (auto& r : refreshers)
        r();
    // The timer follows the watch: stopped while paused, at the interval while running.
    if (watch->IsOpen() && !watch->IsPaused()) {
        if (!timer.isActive() || timer.interval() != watch->TimerMilliseconds())
            timer.start(watch->TimerMilliseconds());
    } else {
        timer.stop();
    }
    if (plotWidget) plotWidget->update();
    refreshing = false;
}

void CWatchWindow::BuildCommon(QVBoxLayout* layout) {
    CWatch* w = watch.get();
    auto* row = new QHBoxLayout;
    QPushButton* pause = Button("Pause", "pause", [w] {
        if (w->IsPaused())
            w->Resume();
        else
            w->Pause();
    });
    QPushButton* interval = Button("Interval", "interval", [this, w] {
        w->ChangeInterval(intervalDialog ? intervalDialog : [this](CWatchIntervalLogic& logic) {
            CWatchIntervalDialog dialog(logic, this);
            return dialog.exec() == QDialog::Accepted;
        });
    });
    QPushButton* record = Button("Record", "record", [w] { w->SetRecording(!w->IsRecording()); });
    QPushButton* recordOne = Button("Record One", "recordOne", [w] { w->RecordOne(); });
    auto* intervalLabel = new QLabel;
    intervalLabel->setObjectName("intervalText");
    row->addWidget(pause);
    row->addWidget(interval);
    row->addWidget(intervalLabel);
    row->addStretch();
    row->addWidget(record);
    row->addWidget(recordOne);
    layout->addLayout(row);
    refreshers.push_back([=] {
        pause->setText(ToQ(w->PauseButtonText()));
        record->setText(ToQ(w->RecordButtonText()));
        record->setEnabled(w->document.document != nullptr);
        recordOne->setEnabled(w->CanRecordOne() && !w->RecordOnePending());
        intervalLabel->setText(ToQ(w->IntervalText()));
    });
}

void CWatchWindow::BuildWire(QVBoxLayout* layout, CWireWatch& w) {
    auto* row = new QHBoxLayout;
    row->addWidget(Button("Reference", "reference", [&w] { w.Reference(); }));
    row->addWidget(Button("Resistivity", "resistivity", [&w] { w.Resistivity(); }));
    row->addWidget(Button("Samp Rules", "sampRules", [&w] { w.SamplingRules(); }));
    row->addWidget(Button("Log Entry", "logEntry", [&w] { w.LogEntry(); }));
    row->addStretch();
    layout->addLayout(row);

    auto* values = new QGridLayout;
    auto* show = new QCheckBox("Show");
    show->setObjectName("lockin");
    show->setChecked(w.lockin);
    connect(show, &QCheckBox::toggled, this, [&w, this](bool on) {
        w.lockin = on;
        Refresh();
    });
    values->addWidget(show, 0, 0);
    values->addWidget(new QLabel("Sample:"), 1, 0);
    values->addWidget(new QLabel("Ref. Offset:"), 2, 0);
    std::array<QLabel*, 4> sample{}, ref{}, cur{};
    const char* curNames[4] = {"X Cur", "Y Cur", "Length", "Angle"};
    for (int i = 0; i < 4; ++i) {
        sample[static_cast<size_t>(i)] = new QLabel;
        sample[static_cast<size_t>(i)]->setObjectName(QString("sample%1").arg(i));
        ref[static_cast<size_t>(i)] = new QLabel;
        ref[static_cast<size_t>(i)]->setObjectName(QString("refOffset%1").arg(i));
        values->addWidget(sample[static_cast<size_t>(i)], 1, i + 1);
        values->addWidget(ref[static_cast<size_t>(i)], 2, i + 1);
        values->addWidget(new QLabel(curNames[i]), 3, i + 1);
        cur[static_cast<size_t>(i)] = new QLabel;
        cur[static_cast<size_t>(i)]->setObjectName(QString("current%1").arg(i));
        values->addWidget(cur[static_cast<size_t>(i)], 4, i + 1);
    }
    values->addWidget(new QLabel("uV tip gradient"), 1, 5);
    values->addWidget(new QLabel("volts A/D input"), 2, 5);
    values->addWidget(new QLabel("uA/sq.cm."), 4, 5);
    values->addWidget(new QLabel("deg."), 4, 6);
    layout->addLayout(values);

    auto* vecRow = new QHBoxLayout;
    auto* options = new QVBoxLayout;
    auto* vector = new QCheckBox("Vector");
    vector->setObjectName("vector");
    vector->setChecked(w.vector);
    auto* picture = new QCheckBox("Picture");
    picture->setObjectName("picture");
    picture->setChecked(w.picture);
    options->addWidget(vector);
    options->addWidget(picture);
    auto* styles = new QButtonGroup(this);
    const struct {
        int id;
        const char* text;
    } kStyles[] = {{kVectorStyleArrow, "Vector /"},
                   {kVectorStyleCircle, "Circle && Line /"},
                   {kVectorStyleEllipse, "Ellipse"}};
    for (const auto& s : kStyles) {
        auto* b = new QRadioButton(s.text);
        b->setObjectName(QString("style%1").arg(s.id));
        b->setChecked(w.dispfunc == s.id);
        styles->addButton(b, s.id);
        options->addWidget(b);
    }
    auto* autoScale = new QCheckBox("Auto  Scale +/-");
    autoScale->setObjectName("vectorAutoscale");
    autoScale->setChecked(w.vectorAutoscale);
    auto* scale = new QLineEdit;
    scale->setObjectName("edit1462");
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(autoScale);
    scaleRow->addWidget(scale);
    scaleRow->addWidget(new QLabel("uA/sq.cm."));
    options->addLayout(scaleRow);
    options->addStretch();
    vecRow->addLayout(options);
    auto* display = new CVectorWidget(w, this);
    vecRow->addWidget(display, 1);
    layout->addLayout(vecRow);

    connect(vector, &QCheckBox::toggled, this, [&w, this](bool on) {
        w.vector = on;
        Refresh();
    });
    connect(picture, &QCheckBox::toggled, this, [&w](bool on) { w.picture = on; });
    connect(styles, &QButtonGroup::idClicked, this, [&w, this](int id) {
        w.dispfunc = id;
        Refresh();
    });
    connect(autoScale, &QCheckBox::toggled, this, [&w, this](bool on) {
        w.vectorAutoscale = on;
        Refresh();
    });
    connect(scale, &QLineEdit::editingFinished, this, [&w, scale, this] {
        const std::optional<double> v = ParseNumberEntry(FromQ(scale->text()));
        // A scale that is no positive number is not taken; the edit shows the one in force.
        if (v && *v > 0.0 && std::isfinite(*v)) w.scale = *v;
        Refresh();
    });
    refreshers.push_back([=, &w] {
        const auto s = w.SampleTexts();
        const auto r = w.ReferenceTexts();
        const auto c = w.CurrentTexts();
        for (size_t i = 0; i < 4; ++i) {
            sample[i]->setText(w.lockin ? ToQ(s[i]) : QString());
            ref[i]->setText(ToQ(r[i]));
            cur[i]->setText(ToQ(c[i]));
        }
        if (!scale->hasFocus()) scale->setText(ToQ(StrPrintf("%.3lg", w.scale)));
        display->update();
    });
}

void CWatchWindow::BuildIon(QVBoxLayout* layout, CIonWatch& w) {
    auto* row = new QHBoxLayout;
    row->addWidget(Button("Reference", "reference", [&w] { w.Reference(); }));
    row->addWidget(Button("Samp Rules", "sampRules", [&w] { w.SamplingRules(); }));
    row->addWidget(Button("Log Entry", "logEntry", [&w] { w.LogEntry(); }));
    row->addWidget(Button("Bath Offset", "bathOffset", [&w] { w.BathOffset(); }));
    auto* bathLabel = new QLabel("Bath Offset (mV):");
    auto* bath = new QLabel;
    bath->setObjectName("bathOffsetText");
    row->addWidget(bathLabel);
    row->addWidget(bath);
    row->addStretch();
    layout->addLayout(row);

    auto* grid = new QGridLayout;
    auto* refLabel = new QLabel;
    auto* sampleLabel = new QLabel;
    auto* diffLabel = new QLabel;
    auto* refText = new QLabel;
    refText->setObjectName("referenceText");
    auto* sampleText = new QLabel;
    sampleText->setObjectName("sampleText");
    auto* diffText = new QLabel;
    diffText->setObjectName("differenceText");
    grid->addWidget(refLabel, 0, 0);
    grid->addWidget(refText, 0, 1);
    grid->addWidget(sampleLabel, 1, 0);
    grid->addWidget(sampleText, 1, 1);
    grid->addWidget(diffLabel, 2, 0);
    grid->addWidget(diffText, 2, 1);
    layout->addLayout(grid);

    auto* units = new QHBoxLayout;
    auto* unitGroup = new QButtonGroup(this);
    const char* unitNames[3] = {"Tip Voltage", "Tip Conc.", "Tip Percent"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(unitNames[i]);
        b->setObjectName(QString("units%1").arg(i));
        b->setChecked(static_cast<int>(w.Units()) == i);
        unitGroup->addButton(b, i);
        units->addWidget(b);
    }
    connect(unitGroup, &QButtonGroup::idClicked, this,
            [&w](int id) { w.SetUnits(static_cast<EIonWatchUnits>(id)); });
    auto* subtract = new QCheckBox("Subtract Reference");
    subtract->setObjectName("subtractReference");
    connect(subtract, &QCheckBox::toggled, this, [&w](bool on) { w.SetSubtractReference(on); });
    auto* pUnits = new QCheckBox("Show as p[] units");
    pUnits->setObjectName("pUnits");
    pUnits->setChecked(w.PUnits());
    connect(pUnits, &QCheckBox::clicked, this, [&w](bool) { w.TogglePUnits(); });
    units->addWidget(subtract);
    units->addWidget(pUnits);
    units->addStretch();
    layout->addLayout(units);

    auto* angles = new QHBoxLayout;
    auto* rotation = new QLineEdit;
    rotation->setObjectName("edit1745");
    auto* tilt = new QLineEdit;
    tilt->setObjectName("edit1746");
    angles->addWidget(new QLabel("Rotation"));
    angles->addWidget(rotation);
    angles->addWidget(Button("+", "rotationPlus", [&w] { w.StepRotation(1); }));
    angles->addWidget(Button("-", "rotationMinus", [&w] { w.StepRotation(-1); }));
    angles->addWidget(new QLabel("Tilt"));
    angles->addWidget(tilt);
    angles->addWidget(Button("+", "tiltPlus", [&w] { w.StepTilt(1); }));
    angles->addWidget(Button("-", "tiltMinus", [&w] { w.StepTilt(-1); }));
    auto* increment = new QLineEdit;
    increment->setObjectName("edit1783");
    angles->addWidget(Button("Move", "move", [&w] { w.Move(); }));
    angles->addWidget(increment);
    angles->addWidget(new QLabel("microns along rotation/tilt axis"));
    layout->addLayout(angles);
    connect(rotation, &QLineEdit::editingFinished, this, [&w, rotation] {
        if (const auto v = ParseNumberEntry(FromQ(rotation->text())); v && *v != w.Rotation())
            w.SetRotation(*v);
    });
    connect(tilt, &QLineEdit::editingFinished, this, [&w, tilt] {
        if (const auto v = ParseNumberEntry(FromQ(tilt->text())); v && *v != w.Tilt())
            w.SetTilt(*v);
    });
    connect(increment, &QLineEdit::editingFinished, this, [&w, increment] {
        if (const auto v = ParseNumberEntry(FromQ(increment->text())); v && std::isfinite(*v))
            w.moveIncrement = *v;
    });
    refreshers.push_back([=, &w] {
        refLabel->setText(ToQ(w.ReferenceLabel()));
        sampleLabel->setText(ToQ(w.SampleLabel()));
        diffLabel->setText(ToQ(w.DifferenceLabel()));
        refText->setText(ToQ(w.ReferenceText()));
        sampleText->setText(ToQ(w.SampleText()));
        diffText->setText(ToQ(w.DifferenceText()));
        bath->setText(ToQ(w.BathOffsetText()));
        pUnits->setChecked(w.PUnits());
        if (!rotation->hasFocus()) rotation->setText(ToQ(w.RotationText()));
        if (!tilt->hasFocus()) tilt->setText(ToQ(w.TiltText()));
        if (!increment->hasFocus()) increment->setText(ToQ(StrPrintf("%.3lg", w.moveIncrement)));
    });
}

void CWatchWindow::BuildRaw(QVBoxLayout* layout, CRawADWatch& w) {
    auto* row = new QHBoxLayout;
    auto* values = new QLabel;
    values->setObjectName("rawValues");
    row->addWidget(values, 1);
    QPushButton* split = Button("Split", "split", [&w] { w.SetSplit(!w.IsSplit()); });
    row->addWidget(split);
    layout->addLayout(row);
    refreshers.push_back([=, &w] {
        values->setText(ToQ(w.ValuesText()));
        split->setText(ToQ(w.SplitButtonText()));
    });
}

void CWatchWindow::BuildPlot(QVBoxLayout* layout) {
    CWatch* w = watch.get();
    SWatchTimePlot& plot = w->Plot();
    auto* box = new QGroupBox("Time Plot");
    box->setObjectName("timePlotBox");
    box->setCheckable(true);
    box->setChecked(plot.on);
    auto* v = new QVBoxLayout(box);
    auto* controls = new QHBoxLayout;
    auto* autoscale = new QCheckBox("Autoscale");
    autoscale->setObjectName("plotAutoscale");
    autoscale->setChecked(plot.autoscale);
    auto* low = new QLineEdit;
    low->setObjectName("yMin");
    auto* high = new QLineEdit;
    high->setObjectName("yMax");
    low->setMaximumWidth(80);
    high->setMaximumWidth(80);
    QPushButton* setRange = Button("Set Range", "setRange", [w, low, high] {
        const auto a = ParseNumberEntry(FromQ(low->text()));
        const auto b = ParseNumberEntry(FromQ(high->text()));
        w->SetPlotRange(a.value_or(NAN), b.value_or(NAN));
    });
    controls->addWidget(autoscale);
    controls->addWidget(low);
    controls->addWidget(new QLabel("to"));
    controls->addWidget(high);
    controls->addWidget(setRange);
    controls->addSpacing(12);
    controls->addWidget(new QLabel("Span:"));
    const char* spanNames[4] = {"days", "hours", "minutes", "seconds"};
    std::array<QSpinBox*, 4> span{};
    for (size_t i = 0; i < 4; ++i) {
        span[i] = new QSpinBox;
        span[i]->setObjectName(spanNames[i]);
        span[i]->setRange(0, i == 0 ? 31 : (i == 1 ? 23 : 59));
        span[i]->setSuffix(QString(" ") + spanNames[i][0]);
        controls->addWidget(span[i]);
    }
    auto* clock = new QCheckBox("Clock Time");
    clock->setObjectName("clockTime");
    controls->addWidget(clock);
    controls->addStretch();
    v->addLayout(controls);
    plotWidget = new CTimePlotWidget;
    plotWidget->SetPlot(&plot);
    v->addWidget(plotWidget, 1);
    layout->addWidget(box, 1);

    connect(box, &QGroupBox::toggled, this, [w, this](bool on) {
        w->Plot().on = on;
        Refresh();
    });
    connect(autoscale, &QCheckBox::toggled, this, [w, this](bool on) {
        w->Plot().autoscale = on;
        Refresh();
    });
    connect(clock, &QCheckBox::toggled, plotWidget, &CTimePlotWidget::SetClockTime);
    for (QSpinBox* s : span)
        connect(s, &QSpinBox::valueChanged, this, [w, span, this](int) {
            if (refreshing) return;
            SWatchSpan sp;
            sp.day = span[0]->value();
            sp.hour = span[1]->value();
            sp.minute = span[2]->value();
            sp.second = span[3]->value();
            w->SetSpan(sp);
        });
    refreshers.push_back([=] {
        const SWatchTimePlot& p = w->Plot();
        autoscale->setChecked(p.autoscale);
        if (!low->hasFocus()) low->setText(ToQ(StrPrintf("%.3lg", p.Low())));
        if (!high->hasFocus()) high->setText(ToQ(StrPrintf("%.3lg", p.High())));
        span[0]->setValue(static_cast<int>(p.span.day));
        span[1]->setValue(p.span.hour);
        span[2]->setValue(p.span.minute);
        span[3]->setValue(p.span.second);
    });
}
