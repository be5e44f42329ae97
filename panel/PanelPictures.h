#pragma once

#include "panel/OutputSwitch.h"

#include <QPixmap>
#include <QSize>

// The front panel's own pictures, drawn with QPainter: the output switch in its
// four states, the remote and local locks, the connection and poll lamps. Each
// is drawn in a 100 x 100 world scaled to the requested size; an empty size
// gives a null pixmap.
namespace PanelPictures {

// A picture of the window's image list by its number: 5 to 8 the output
// switch, 9 remote (closed lock), 10 local (open lock); other numbers none.
QPixmap ImageListPicture(int index, const QSize& size);

QPixmap SwitchImage(SwitchPicture picture, const QSize& size);
QPixmap LockImage(bool remote, const QSize& size);
// `ImageConent`: lit while the supply is in remote mode.
QPixmap ConnectionLamp(const QSize& size);
// `P_Light`: blinks once per good reading.
QPixmap PollLamp(const QSize& size);

} // namespace PanelPictures
