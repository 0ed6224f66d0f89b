#include "Form1.h"
#include "ProgramFiles.h"
#include "QtChinese.h"
#include "SessionBus.h"
#include "SessionEnd.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails like any other, and the save goes elsewhere.
    std::signal(SIGXFSZ, SIG_IGN);
    avoidSessionBusAutolaunch();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velomar"));
    LoadQtChinese();
    Form1 window(ProgramFiles::locate(), Form1::checkV);
    if (!window.Form_Load())
        return 0; // a newer version was announced: end without showing or saving anything
    SessionEnd sessionEnd(window);
    window.show();
    return app.exec();
}
