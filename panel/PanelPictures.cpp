#include "panel/PanelPictures.h"

#include "panel/PanelColours.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <functional>

namespace PanelPictures {
namespace {

constexpr double kWorld = 100.0;
constexpr QRgb kDarkGrey = qRgb(64, 64, 64);
constexpr QRgb kBodyGrey = qRgb(96, 96, 96);
constexpr QRgb kLeverOn = qRgb(40, 160, 60);
constexpr QRgb kLeverOff = qRgb(200, 200, 200);
constexpr QRgb kLampGreen = qRgb(40, 200, 60);
constexpr QRgb kLampAmber = qRgb(255, 170, 0);
constexpr QRgb kBrass = qRgb(190, 150, 40);

QPixmap Draw(const QSize& size, const std::function<void(QPainter&)>& paint)
{
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / kWorld, size.height() / kWorld);
    paint(painter);
    return pixmap;
}

// A toggle switch seen from the front: a dark body with a lever that stands
// up for on and down for off; the hovered variants get a dark red rim.
void PaintSwitch(QPainter& p, bool on, bool hovered)
{
    const QColor rim = hovered ? QColor(PanelColours::kHighlight) : QColor(kDarkGrey);
    p.setPen(QPen(rim, hovered ? 6 : 3));
    p.setBrush(QColor(kBodyGrey));
    p.drawRoundedRect(QRectF(22, 6, 56, 88), 10, 10);

    p.setPen(QPen(QColor(kDarkGrey), 2));
    p.setBrush(on ? QColor(kLeverOn) : QColor(kLeverOff));
    const QRectF lever = on ? QRectF(32, 14, 36, 40) : QRectF(32, 46, 36, 40);
    p.drawRoundedRect(lever, 6, 6);

    // "I" on the lever when on, "O" when off, as on bench instruments.
    p.setPen(QPen(on ? QColor(Qt::white) : QColor(kDarkGrey), 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF centre = lever.center();
    if (on)
        p.drawLine(centre + QPointF(0, -10), centre + QPointF(0, 10));
    else
        p.drawEllipse(centre, 9, 9);
}

void PaintLock(QPainter& p, bool closed)
{
    p.setPen(QPen(QColor(kDarkGrey), 8, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    if (closed) {
        shackle.moveTo(32, 48);
        shackle.lineTo(32, 30);
        shackle.arcTo(QRectF(32, 12, 36, 36), 180, -180);
        shackle.lineTo(68, 48);
    } else {
        // Swung open: the right leg is out of its hole and raised.
        shackle.moveTo(32, 48);
        shackle.lineTo(32, 22);
        shackle.arcTo(QRectF(32, 4, 36, 36), 180, -180);
        shackle.lineTo(68, 30);
    }
    p.drawPath(shackle);

    p.setPen(QPen(QColor(kDarkGrey), 3));
    p.setBrush(QColor(kBrass));
    p.drawRoundedRect(QRectF(20, 46, 60, 46), 6, 6);
    p.setBrush(QColor(kDarkGrey));
    p.drawEllipse(QPointF(50, 64), 6, 6);
    p.drawRect(QRectF(48, 66, 4, 14));
}

void PaintLamp(QPainter& p, QRgb colour)
{
    QRadialGradient glow(QPointF(40, 38), 50);
    glow.setColorAt(0, QColor(colour).lighter(170));
    glow.setColorAt(1, QColor(colour));
    p.setPen(QPen(QColor(kDarkGrey), 6));
    p.setBrush(glow);
    p.drawEllipse(QPointF(50, 50), 42, 42);
}

} // namespace

QPixmap SwitchImage(SwitchPicture picture, const QSize& size)
{
    const bool on = picture == SwitchPicture::On || picture == SwitchPicture::OnHovered;
    const bool hovered
        = picture == SwitchPicture::OnHovered || picture == SwitchPicture::OffHovered;
    return Draw(size, [on, hovered](QPainter& p) { PaintSwitch(p, on, hovered); });
}

QPixmap LockImage(bool remote, const QSize& size)
{
    return Draw(size, [remote](QPainter& p) { PaintLock(p, remote); });
}

QPixmap ConnectionLamp(const QSize& size)
{
    return Draw(size, [](QPainter& p) { PaintLamp(p, kLampGreen); });
}

QPixmap PollLamp(const QSize& size)
{
    return Draw(size, [](QPainter& p) { PaintLamp(p, kLampAmber); });
}

QPixmap ImageListPicture(int index, const QSize& size)
{
    switch (index) {
    case 5:
    case 6:
    case 7:
    case 8:
        return SwitchImage(static_cast<SwitchPicture>(index), size);
    case 9:
        return LockImage(true, size);
    case 10:
        return LockImage(false, size);
    default:
        return {};
    }
}

} // namespace PanelPictures
