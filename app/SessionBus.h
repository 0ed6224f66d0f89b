#pragma once

// Keeps the program from starting a D-Bus session bus that would outlive it. Where none runs, Qt's
// accessibility bridge asks libdbus for one, and libdbus has `dbus-launch --autolaunch` start a
// dbus-daemon for the X display (and ~/.dbus) that stays after the program has ended. Call before
// the QApplication exists; a bus of the desktop, of systemd or an autolaunched one that is running
// already is used as before.
void avoidSessionBusAutolaunch();
