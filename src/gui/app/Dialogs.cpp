#include "gui/app/Dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/app/MenuTable.h"
#include "gui/platform/QtText.h"

// ---- Set D/A Output --------------------------------------------------------------------------

CSetDaOutputDialog::CSetDaOutputDialog(CSetDaOutputLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setWindowTitle(CSetDaOutputLogic::kTitle);
    auto* layout = new QVBoxLayout(this);
    for (int c = 0; c < 2; ++c) {
        auto* box = new QGroupBox(ToQ(logic.ChannelCaption(c)), this);
        auto* grid = new QGridLayout(box);
        choice[c] = new QButtonGroup(box);
        const char* texts[3] = {"No Change", "Constant", "Track A/D Channel"};
        for (int i = 0; i < 3; ++i) {
            auto* radio = new QRadioButton(QString::fromLatin1(texts[i]), box);
            radio->setObjectName(QStringLiteral("choice%1_%2").arg(c).arg(i));
            choice[c]->addButton(radio, i);
            grid->addWidget(radio, i, 0);
        }
        if (QAbstractButton* on = choice[c]->button(logic.choice[c])) on->setChecked(true);
        volts[c] = new QLineEdit(ToQ(logic.volts[c]), box);
        volts[c]->setObjectName(QStringLiteral("volts%1").arg(c));
        channel[c] = new QLineEdit(ToQ(logic.channel[c]), box);
        channel[c]->setObjectName(QStringLiteral("channel%1").arg(c));
        grid->addWidget(volts[c], 1, 1);
        grid->addWidget(new QLabel(tr("volts"), box), 1, 2);
        grid->addWidget(channel[c], 2, 1);
        grid->addWidget(new QLabel(tr("(0-7)"), box), 2, 2);
        grid->setColumnStretch(3, 1);
        layout->addWidget(box);
    }

    auto* timing = new QHBoxLayout;
    window = new QLineEdit(ToQ(logic.window), this);
    window->setObjectName("window");
    period = new QLineEdit(ToQ(logic.period), this);
    period->setObjectName("period");
    window->setMaximumWidth(60);
    period->setMaximumWidth(60);
    timing->addWidget(new QLabel(tr("Update with"), this));
    timing->addWidget(window);
    timing->addWidget(new QLabel(tr("sec. average of tracking values every"), this));
    timing->addWidget(period);
    timing->addWidget(new QLabel(tr("sec. (1-3600, no fractions)"), this));
    layout->addLayout(timing);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* test = buttons->addButton(tr(">> Test <<"), QDialogButtonBox::ActionRole);
    test->setObjectName("test");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetDaOutputDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(test, &QPushButton::clicked, this, [this] {
        ToLogic();
        this->logic.Test();
    });
}

void CSetDaOutputDialog::ToLogic() {
    for (int c = 0; c < 2; ++c) {
        logic.choice[c] = static_cast<CSetDaOutputLogic::EChoice>(
            choice[c]->checkedId() < 0 ? 0 : choice[c]->checkedId());
        logic.volts[c] = FromQ(volts[c]->text());
        logic.channel[c] = FromQ(channel[c]->text());
    }
    logic.window = FromQ(window->text());
    logic.period = FromQ(period->text());
}

void CSetDaOutputDialog::accept() {
    ToLogic();
    if (!logic.Read(values)) {
        if (auto* bad = findChild<QLineEdit*>(ToQ(logic.badEntry))) {
            bad->setFocus();
            bad->selectAll();
        }
        return;
    }
    QDialog::accept();
}

// ---- File > New ----------------------------------------------------------------------------

CNewDocumentDialog::CNewDocumentDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("New"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("New"), this));
    list = new QListWidget(this);
    list->setObjectName("types");
    for (const SDocTemplate& t : DocTemplates())
        list->addItem(QString::fromLatin1(t.newListName));
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

std::optional<EDocType> CNewDocumentDialog::Choice() const {
    int row = list->currentRow();
    if (row < 0 || row >= static_cast<int>(DocTemplates().size())) return std::nullopt;
    return DocTemplates()[static_cast<size_t>(row)].type;
}

// ---- About -----------------------------------------------------------------------------------

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About VELM for Windows"));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(VelmIcon().pixmap(48, 48));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* line = new QLabel(tr("VELM for Windows Version 2.00"), this);
    line->setObjectName("version");
    layout->addWidget(line, 0, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons, 2, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

// ---- Help > Index ------------------------------------------------------------------------------

namespace {
// Menu texts as shown: without the mnemonic marks.
QString Plain(const char* text) {
    QString plain = QString::fromLatin1(text);
    plain.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return plain.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

void CollectKeys(const std::vector<SMenuItem>& items, const QString& path,
                 std::vector<std::pair<QString, QString>>& keys) {
    for (const SMenuItem& item : items) {
        if (!item.text) continue;
        const QString here = path.isEmpty() ? Plain(item.text) : path + " > " + Plain(item.text);
        if (!item.items.empty()) CollectKeys(item.items, here, keys);
        if (item.shortcut && item.shortcut[0]) {
            const QString key =
                QKeySequence(QString::fromLatin1(item.shortcut)).toString(QKeySequence::NativeText);
            const std::pair<QString, QString> entry{key, here};
            if (std::find(keys.begin(), keys.end(), entry) == keys.end()) keys.push_back(entry);
        }
    }
}

QString Table(const std::vector<std::pair<QString, QString>>& rows) {
    QString html = QStringLiteral("<table cellspacing=2 cellpadding=2>");
    for (const auto& [key, what] : rows)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(key.toHtmlEscaped(), what.toHtmlEscaped());
    return html + QStringLiteral("</table>");
}
}  // namespace

QString CKeysHelpDialog::Page() {
    std::vector<std::pair<QString, QString>> menuKeys;
    // The observation document's menus hold most commands; the other sets add their own.
    for (int set : {4, 6, 3, 5, 7, kMainFrameMenuSet})
        CollectKeys(MenuBar(set), QString(), menuKeys);
    const std::vector<std::pair<QString, QString>> stageKeys = {
        {"Left, Right", "X - step, X + step"},
        {"Up, Down", "Y + step, Y - step"},
        {"Home, End", "Z + step, Z - step"},
        {"Page Up, Page Down", "W + step, W - step"},
        {"Keypad +, Keypad -", "double or halve um/keyhit (with Ctrl: um/50pix)"},
        {"Esc", "end keyboard and mouse control"}};
    const std::vector<std::pair<QString, QString>> listKeys = {
        {"Click, Shift+Click", "select a line, extend the selection"},
        {"Up, Down, Page Up, Page Down", "move the selection (with Shift: extend it)"},
        {"Home, End, Ctrl+Home, Ctrl+End", "first or last line shown"},
        {QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText) + ", Space",
         "hide or show the selected observations"},
        {"Double click", "open an observation and copy its row"}};
    return QStringLiteral("<h3>Commands</h3>") + Table(menuKeys) +
           QStringLiteral("<h3>Stages, while \"Enable Kbd/Mouse ...\" is on</h3>") +
           Table(stageKeys) + QStringLiteral("<h3>Observation list</h3>") + Table(listKeys);
}

CKeysHelpDialog::CKeysHelpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kTitle);
    setObjectName("keysHelp");
    auto* layout = new QVBoxLayout(this);
    auto* page = new QTextBrowser(this);
    page->setObjectName("page");
    page->setHtml(Page());
    layout->addWidget(page);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, 520);
}

// ---- Icon ------------------------------------------------------------------------------------

namespace {
// A probe tip over a sample dish with the current-density field lines rising from it: the
// same picture as packaging/velm.svg.
QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(QColor(0x8f, 0xd3, 0xe8));
    p.drawEllipse(QRectF(10, 42, 44, 12));
    QPen field(QColor(0xff, 0xd1, 0x66), 2.5);
    field.setCapStyle(Qt::RoundCap);
    p.setPen(field);
    p.setBrush(Qt::NoBrush);
    for (double dx : {-10.0, 0.0, 10.0}) {
        QPainterPath path(QPointF(32 + dx, 46));
        path.cubicTo(QPointF(32 + dx * 1.6, 34), QPointF(32 + dx * 0.6, 26),
                     QPointF(32 + dx * 1.4, 16));
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPolygonF tip;
    tip << QPointF(44, 6) << QPointF(50, 6) << QPointF(38, 38) << QPointF(36, 37);
    p.drawPolygon(tip);
    return pixmap;
}
}  // namespace

QIcon VelmIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
