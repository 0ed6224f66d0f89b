#pragma once

#include <QObject>

#include <csignal>
#include <memory>

class Form1;
class QSocketNotifier;

// Keeps what the user did when the program ends some other way than by closing its window: the end
// of the desktop session, the system's or the terminal's request to stop (SIGTERM, SIGHUP, SIGINT).
// Each saves as a close does, with no box to hold the logout up. The session manager's request to
// save leaves the program running; its request to quit and the signals end it normally. One at a
// time: the signal handlers reach it through a single socket.
class SessionEnd final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionEnd)

public:
    explicit SessionEnd(Form1 &window, QObject *parent = nullptr);
    // The signals get back what they did before.
    ~SessionEnd() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void signalled();
    void end();

    Form1 &m_window;
    int m_socket[2] = {-1, -1}; // written by the signal handler, read here
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[3] = {};
};
