#include "gui/app/AdBoardTestDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"
#include "platform/Services.h"

// ---- Strip chart -----------------------------------------------------------------------------

CStripChart::CStripChart(QWidget* parent) : QWidget(parent) {
    setObjectName("chart");
    setMinimumSize(420, 180);
}

void CStripChart::SetScale(double newTop, double newBottom, double seconds) {
    top = newTop;
    bottom = newBottom;
    span = seconds;
    update();
}

void CStripChart::Add(double seconds, const std::vector<double>& volts) {
    samples.push_back({seconds, volts});
    while (!samples.empty() && samples.front().seconds < seconds - span)
        samples.pop_front();
    update();
}

void CStripChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0xc8, 0xc8, 0xc8));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (top <= bottom || span <= 0.0) return;
    auto yOf = [this](double v) {
        return height() - 1 - (v - bottom) / (top - bottom) * (height() - 1);
    };
    if (bottom < 0.0 && top > 0.0) p.drawLine(QPointF(0, yOf(0.0)), QPointF(width(), yOf(0.0)));
    if (samples.empty()) return;
    static const QColor colours[8] = {Qt::blue,     Qt::red,        Qt::darkGreen, Qt::magenta,
                                      Qt::darkCyan, Qt::darkYellow, Qt::black,     Qt::gray};
    const double last = samples.back().seconds;
    p.setRenderHint(QPainter::Antialiasing);
    for (size_t c = 0; c < samples.back().volts.size(); ++c) {
        QPainterPath path;
        bool started = false;
        for (const SSample& s : samples) {
            if (c >= s.volts.size()) continue;
            QPointF at((s.seconds - (last - span)) / span * (width() - 1), yOf(s.volts[c]));
            if (started) {
                path.lineTo(at);
            } else {
                path.moveTo(at);
                started = true;
            }
        }
        p.setPen(QPen(colours[c % 8], 1.5));
        p.drawPath(path);
    }
}

// ---- Dialog --------------------------------------------------------------------------------

CAdBoardTestDialog::CAdBoardTestDialog(CAdBoard& board, QWidget* parent)
    : QDialog(parent), logic(board) {
    setWindowTitle(CAdBoardTestLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto edit = [this](const std::string& text, const char* name) {
        auto* e = new QLineEdit(ToQ(text), this);
        e->setObjectName(name);
        e->setMaximumWidth(70);
        return e;
    };

    auto* range = new QHBoxLayout;
    first = edit(logic.first, "first");
    last = edit(logic.last, "last");
    start = new QPushButton(this);
    start->setObjectName("start");
    range->addWidget(new QLabel(tr("First:"), this));
    range->addWidget(first);
    range->addWidget(new QLabel(tr("Last:"), this));
    range->addWidget(last);
    range->addWidget(start);
    range->addStretch(1);
    layout->addLayout(range);

    values = new QLabel(tr("A/D Values:"), this);
    values->setObjectName("values");
    layout->addWidget(values);
    chart = new CStripChart(this);
    layout->addWidget(chart, 1);

    auto* scale = new QHBoxLayout;
    top = edit(logic.scaleTop, "scaleTop");
    bottom = edit(logic.scaleBottom, "scaleBottom");
    span = edit(logic.span, "span");
    scale->addWidget(new QLabel(tr("Scale:"), this));
    scale->addWidget(top);
    scale->addWidget(new QLabel(tr("to"), this));
    scale->addWidget(bottom);
    scale->addWidget(new QLabel(tr("volts over"), this));
    scale->addWidget(span);
    scale->addWidget(new QLabel(tr("seconds"), this));
    scale->addStretch(1);
    layout->addLayout(scale);

    auto* da = new QHBoxLayout;
    volts = edit(logic.daVolts, "daVolts");
    daChannel = edit(logic.daChannel, "daChannel");
    auto* send = new QPushButton(tr("Send"), this);
    send->setObjectName("send");
    trackCh = edit(logic.trackCh, "trackCh");
    track = new QPushButton(this);
    track->setObjectName("track");
    da->addWidget(send);
    da->addWidget(volts);
    da->addWidget(new QLabel(tr("volts to channel"), this));
    da->addWidget(daChannel);
    da->addSpacing(16);
    da->addWidget(track);
    da->addWidget(new QLabel(tr("channel"), this));
    da->addWidget(trackCh);
    da->addStretch(1);
    layout->addLayout(da);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    for (QPushButton* b : {start, send, track})
        b->setAutoDefault(false);
    // A board without D/A outputs has nothing to send or track to.
    for (QWidget* w : std::initializer_list<QWidget*>{send, volts, daChannel, track, trackCh})
        w->setEnabled(logic.DaAvailable());

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(start, &QPushButton::clicked, this, &CAdBoardTestDialog::StartStop);
    connect(send, &QPushButton::clicked, this, [this] {
        ToLogic();
        logic.Send();
    });
    connect(track, &QPushButton::clicked, this, [this] {
        ToLogic();
        logic.ToggleTrack();
        Refresh();
    });
    connect(&timer, &QTimer::timeout, this, &CAdBoardTestDialog::Tick);
    Refresh();
}

CAdBoardTestDialog::~CAdBoardTestDialog() {
    timer.stop();
}

void CAdBoardTestDialog::ToLogic() {
    logic.first = FromQ(first->text());
    logic.last = FromQ(last->text());
    logic.scaleTop = FromQ(top->text());
    logic.scaleBottom = FromQ(bottom->text());
    logic.span = FromQ(span->text());
    logic.daVolts = FromQ(volts->text());
    logic.daChannel = FromQ(daChannel->text());
    logic.trackCh = FromQ(trackCh->text());
}

void CAdBoardTestDialog::Refresh() {
    start->setText(ToQ(logic.StartText()));
    track->setText(ToQ(logic.TrackText()));
}

void CAdBoardTestDialog::StartStop() {
    ToLogic();
    if (logic.Running()) {
        timer.stop();
        logic.Stop();
    } else {
        double t = 0.0, b = 0.0, s = 0.0;
        if (logic.ReadScale(t, b, s) && logic.Start()) {
            chart->SetScale(t, b, s);
            chart->Clear();
            startMs = static_cast<qint64>(Clock().Ticks());
            timer.start(CAdBoardTestLogic::kTimerMs);
            if (!timer.isActive()) logic.TimerFailed();
        }
    }
    Refresh();
}

void CAdBoardTestDialog::Tick() {
    std::vector<double> readings;
    if (!logic.Tick(readings)) return;
    values->setText(tr("A/D Values:") + QLatin1Char(' ') + ToQ(logic.ValuesText(readings)));
    chart->Add((static_cast<qint64>(Clock().Ticks()) - startMs) / 1000.0, readings);
}

void CAdBoardTestDialog::done(int result) {
    timer.stop();
    logic.Stop();
    ToLogic();
    logic.Save();
    QDialog::done(result);
}
