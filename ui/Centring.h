#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Windows open centred on their screen by their outer size, the window frame included.
namespace Centring {

// Where the frame's top-left corner goes to centre a window of this outer size on the screen area.
QPoint framePosition(const QRect &screen, const QSize &outer);

// Centres the window by the frame it has or, while the window system has reported none yet, by
// the frame of `like` (a window of the program already on screen). Once the window system
// reports the real frame, the window is centred again if that frame differs.
void centreOnScreen(QWidget *window, const QWidget *like = nullptr);

} // namespace Centring
