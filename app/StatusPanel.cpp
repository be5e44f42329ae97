#include "app/StatusPanel.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {

// Room asked for: enough for every fixed status text and a 20-character
// location, so that only a long description is cut while the window is small.
constexpr int kWantedCharacters = 32;
// Room needed: the start of a text and the ellipsis.
constexpr int kNeededCharacters = 4;

} // namespace

StatusPanel::StatusPanel(QWidget* parent)
    : QLabel(parent)
{
}

void StatusPanel::setPanelText(const QString& text)
{
    setText(text);
    setToolTip(text);
}

QSize StatusPanel::capped(QSize natural, int characters) const
{
    const int frame = 2 * frameWidth() + 2 * std::max(0, margin());
    natural.setWidth(
        std::min(natural.width(), fontMetrics().averageCharWidth() * characters + frame));
    return natural;
}

QSize StatusPanel::sizeHint() const
{
    return capped(QLabel::sizeHint(), kWantedCharacters);
}

QSize StatusPanel::minimumSizeHint() const
{
    return capped(QLabel::minimumSizeHint(), kNeededCharacters);
}

void StatusPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    // A framed label indents its text by half an "x", as QLabel does.
    const int indentation = indent() >= 0
        ? indent()
        : (frameWidth() > 0 ? fontMetrics().horizontalAdvance(u'x') / 2 : 0);
    room.adjust(indentation, 0, -indentation, 0);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()),
        palette(), isEnabled(), shown, foregroundRole());
}
