#include "SessionBus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <signal.h>

namespace {

// The file in which dbus-launch records the bus it started for this user, machine and display
// (DISPLAY without its screen number and without a local host name, `:` and `/` made `_`).
QString autolaunchFile(QByteArray display)
{
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon);
    if (colon >= 0 && dot >= 0)
        display.truncate(dot);
    for (const QByteArray prefix : {"localhost.localdomain:", "localhost:", ":"}) {
        if (display.startsWith(prefix))
            display.remove(0, prefix.size());
    }
    display.replace(':', '_').replace('/', '_');
    return QDir::homePath() + QStringLiteral("/.dbus/session-bus/") + QString::fromLatin1(QSysInfo::machineUniqueId()) +
           u'-' + QString::fromLocal8Bit(display);
}

// The recorded daemon still runs: autolaunching only joins its bus.
bool autolaunchedBusRuns(const QByteArray &display)
{
    QFile file(autolaunchFile(display));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("DBUS_SESSION_BUS_PID=")) {
            bool ok = false;
            const int pid = line.mid(line.indexOf('=') + 1).toInt(&ok);
            return ok && pid > 0 && ::kill(pid, 0) == 0;
        }
    }
    return false;
}

} // namespace

void avoidSessionBusAutolaunch()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    // systemd's per-user bus, where libdbus and GLib look when the variable is not set.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
        return;
    // Nothing is autolaunched without an X display.
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty() || autolaunchedBusRuns(display))
        return;
    // An address no library can connect to and none autolaunches for: Qt does without a bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}
