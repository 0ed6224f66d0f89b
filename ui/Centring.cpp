#include "Centring.h"

#include "Twips.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {

QMargins frameMargins(const QWidget *window)
{
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// Places the inside of the window, where the frame is expected to put it: a position that
// includes the frame is taken differently by different window systems before they know the frame.
void centreBy(QWidget *window, const QMargins &frame)
{
    if (const QScreen *screen = window->screen()) {
        const QPoint outer = Centring::framePosition(screen->geometry(), window->size().grownBy(frame));
        window->setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), window->size()));
    }
}

// On X11 the frame is known only after the window manager has put the window in it, that is
// after the window is mapped; this corrects the place once, when that happens.
class FrameWatch final : public QObject
{
public:
    explicit FrameWatch(QWidget *window) : QObject(window), m_window(window) { window->installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        // Where the window system keeps the inside in place, only its painting or activation
        // follows the framing.
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            break;
        default:
            return false;
        }
        const QMargins frame = frameMargins(m_window);
        if (!m_window->isVisible() || frame.isNull())
            return false;
        deleteLater();
        m_window->removeEventFilter(this);
        if (const QScreen *screen = m_window->screen()) {
            const QRect outer = m_window->frameGeometry();
            if (outer.topLeft() != Centring::framePosition(screen->geometry(), outer.size()))
                centreBy(m_window, frame);
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

namespace Centring {

QPoint framePosition(const QRect &screen, const QSize &outer)
{
    return screen.topLeft() +
           QPoint(Twips::centred(screen.width(), outer.width()), Twips::centred(screen.height(), outer.height()));
}

void centreOnScreen(QWidget *window, const QWidget *like)
{
    QMargins frame = frameMargins(window);
    if (frame.isNull() && like && like->isVisible())
        frame = frameMargins(like);
    centreBy(window, frame);
    if (frameMargins(window).isNull())
        new FrameWatch(window);
}

} // namespace Centring
