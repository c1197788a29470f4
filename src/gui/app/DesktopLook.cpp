#include "gui/app/DesktopLook.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleFactory>
#include <clocale>
#include <memory>
#include <optional>

#include "gui/app/Dialogs.h"

namespace {

// The freedesktop appearance setting "color-scheme" through the desktop portal: 1 asks for
// dark, 2 for light, 0 (or no portal) says nothing.
std::optional<bool> PortalPrefersDark() {
    // Without a session bus, asking for one could start a bus daemon of its own (X11
    // autolaunch): look only when one is there.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus")))
            return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    const QDBusMessage reply = bus.call(call, QDBus::Block, 300);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    QVariant value = reply.arguments().first();
    // The answer comes wrapped in a variant, in some portal versions twice.
    for (int depth = 0; depth < 3 && value.userType() == qMetaTypeId<QDBusVariant>(); ++depth)
        value = qvariant_cast<QDBusVariant>(value).variant();
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    if (!ok || (scheme != 1 && scheme != 2)) return std::nullopt;
    return scheme == 1;
}

// ---- Built-in icons ---------------------------------------------------------------------------

// Draws one of the built-in icons into a 24 x 24 box.
void DrawBuiltIn(QPainter& p, const QString& name, const QColor& ink, const QColor& accent) {
    QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto page = [&p] {
        QPainterPath path;
        path.moveTo(5, 2.5);
        path.lineTo(14, 2.5);
        path.lineTo(19, 7.5);
        path.lineTo(19, 21.5);
        path.lineTo(5, 21.5);
        path.closeSubpath();
        p.drawPath(path);
        p.drawPolyline(QPolygonF({QPointF(14, 2.5), QPointF(14, 7.5), QPointF(19, 7.5)}));
    };
    if (name == QLatin1String("new")) {
        page();
        p.setPen(QPen(accent, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 11), QPointF(12, 18));
        p.drawLine(QPointF(8.5, 14.5), QPointF(15.5, 14.5));
    } else if (name == QLatin1String("open")) {
        QPainterPath folder;
        folder.moveTo(2.5, 19.5);
        folder.lineTo(2.5, 5.5);
        folder.lineTo(9, 5.5);
        folder.lineTo(11, 7.5);
        folder.lineTo(19.5, 7.5);
        folder.lineTo(19.5, 10);
        p.drawPath(folder);
        QPainterPath front;
        front.moveTo(2.5, 19.5);
        front.lineTo(6, 10.5);
        front.lineTo(21.5, 10.5);
        front.lineTo(18, 19.5);
        front.closeSubpath();
        p.setBrush(accent);
        p.drawPath(front);
    } else if (name == QLatin1String("save")) {
        QPainterPath disk;
        disk.moveTo(3.5, 3.5);
        disk.lineTo(17, 3.5);
        disk.lineTo(20.5, 7);
        disk.lineTo(20.5, 20.5);
        disk.lineTo(3.5, 20.5);
        disk.closeSubpath();
        p.drawPath(disk);
        p.drawRect(QRectF(7.5, 3.5, 8, 5));
        p.setBrush(accent);
        p.drawRect(QRectF(6.5, 12.5, 11, 8));
    } else if (name == QLatin1String("point")) {
        // A probe over the spot it measures.
        p.drawLine(QPointF(12, 2), QPointF(12, 10));
        p.drawPolygon(QPolygonF({QPointF(9.5, 10), QPointF(14.5, 10), QPointF(12, 14)}));
        p.setBrush(accent);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12, 18.5), 4.0, 2.5);
    } else if (name == QLatin1String("reference")) {
        // The zero that later points are read against.
        p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
        p.setPen(QPen(accent, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 12), QPointF(17, 12));
    } else if (name == QLatin1String("log")) {
        page();
        for (double y : {10.5, 14.0, 17.5})
            p.drawLine(QPointF(8, y), QPointF(15, y));
        p.setPen(QPen(accent, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21, 9), QPointF(13.5, 19));
    } else if (name == QLatin1String("watch")) {
        QPainterPath eye;
        eye.moveTo(2, 12);
        eye.quadTo(12, 2, 22, 12);
        eye.quadTo(12, 22, 2, 12);
        p.drawPath(eye);
        p.setBrush(accent);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
    } else if (name == QLatin1String("gridScan")) {
        // The serpentine path of a raster over its points.
        p.setPen(QPen(accent, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(5, 5), QPointF(19, 5), QPointF(19, 12), QPointF(5, 12),
                                  QPointF(5, 19), QPointF(19, 19)}));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (double x : {5.0, 12.0, 19.0})
            for (double y : {5.0, 12.0, 19.0})
                p.drawEllipse(QPointF(x, y), 1.9, 1.9);
    } else if (name == QLatin1String("help")) {
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        QFont font = p.font();
        font.setPixelSize(14);
        font.setBold(true);
        p.setFont(font);
        p.setPen(accent);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
    } else if (name == QLatin1String("exit")) {
        p.drawPolyline(QPolygonF({QPointF(14, 6), QPointF(14, 3), QPointF(4, 3), QPointF(4, 21),
                                  QPointF(14, 21), QPointF(14, 18)}));
        p.setPen(QPen(accent, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(9, 12), QPointF(21, 12));
        p.drawPolyline(QPolygonF({QPointF(17, 8), QPointF(21, 12), QPointF(17, 16)}));
    }
}

QIcon BuiltInIcon(const QString& name) {
    const QPalette palette = QApplication::palette();
    const QColor ink = palette.color(QPalette::WindowText);
    const QColor accent = palette.color(QPalette::Highlight);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 24.0, size / 24.0);
        DrawBuiltIn(p, name, ink, accent);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

bool DesktopPrefersDark() {
    if (const std::optional<bool> portal = PortalPrefersDark()) return *portal;
    // GTK_THEME=Adwaita:dark is how a GTK desktop is told to go dark for one session.
    if (qEnvironmentVariable("GTK_THEME").endsWith(QLatin1String(":dark"), Qt::CaseInsensitive))
        return true;
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightness() < 128;
}

QPalette FusionPalette(bool dark) {
    if (!dark) {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        return fusion ? fusion->standardPalette() : QPalette();
    }
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230), disabled(128, 128, 128),
        highlight(42, 130, 218);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 45));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabled);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 90, 90));
    p.setColor(QPalette::Link, QColor(90, 160, 240));
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, QColor(75, 75, 75));
    p.setColor(QPalette::Midlight, QColor(64, 64, 64));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Shadow, QColor(10, 10, 10));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    return p;
}

QIcon CommandIcon(const QString& themeName, const QString& builtIn) {
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    return BuiltInIcon(builtIn);
}

void SetUpApplication(EColourScheme scheme) {
    // Qt has taken the user's locale; settings lines, documents and exports are printf formats
    // that need "." as the decimal point whatever the language of the desktop.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("velm"));
    // No application display name: the window system would append it to every window title,
    // and the titles are the program's own texts.
    QApplication::setDesktopFileName(QStringLiteral("velm"));
    QApplication::setWindowIcon(VelmIcon());
    const bool dark =
        scheme == EColourScheme::Dark || (scheme == EColourScheme::Desktop && DesktopPrefersDark());
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(FusionPalette(dark));
}
