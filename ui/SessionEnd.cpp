#include "SessionEnd.h"

#include "Form1.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int Signals[] = {SIGTERM, SIGHUP, SIGINT};

volatile sig_atomic_t signalSocket = -1;

// Only async-signal-safe calls here: the save itself runs on the user-interface thread once the
// event loop sees the byte.
void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(signalSocket, &byte, 1); // a full socket: one is pending
    errno = savedErrno;
}
} // namespace

SessionEnd::SessionEnd(Form1 &window, QObject *parent) : QObject(parent), m_window(window)
{
    Q_ASSERT(signalSocket == -1);
    // The logout may still be cancelled: save, and leave the ending to the session manager.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] { m_window.Form_Unload(true); });
    // The session manager's last word (die) arrives as a Quit from the platform, as would a quit()
    // call; left to itself Qt would close the windows, and a close shows its message in a box.
    // The program's own ending when its last window has closed is a posted Quit, not one of these.
    qGuiApp->installEventFilter(this);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_socket) != 0)
        return; // the signals keep ending the program at once
    signalSocket = m_socket[0];
    m_notifier = std::make_unique<QSocketNotifier>(m_socket[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SessionEnd::signalled);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the program's own reads and writes go on undisturbed
    for (int i = 0; i < 3; ++i)
        ::sigaction(Signals[i], &action, &m_previous[i]);
}

SessionEnd::~SessionEnd()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(Signals[i], &m_previous[i], nullptr);
    signalSocket = -1;
    m_notifier.reset();
    ::close(m_socket[0]);
    ::close(m_socket[1]);
}

bool SessionEnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != qGuiApp || event->type() != QEvent::Quit || !event->spontaneous())
        return false;
    end();
    return true;
}

void SessionEnd::signalled()
{
    char bytes[16];
    while (::read(m_socket[1], bytes, sizeof bytes) > 0) {
    }
    end();
}

void SessionEnd::end()
{
    m_window.Form_Unload(true);
    // exit(), not quit(): quit() comes back here as another Quit from the platform.
    QCoreApplication::exit(0);
}
