#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The window half of the utility layer: the file dialog and the one window call. The INI half
// lives with the settings file in keywords/.
namespace Qirvan {

// "描述|*.txt|" pairs, each part ended by "|", in the form QFileDialog takes ("描述 (*.txt)").
QString QtFilter(const QString &pipeFilter);

// The chosen path, or empty text when the user cancels. open: a file to open, else a name to save under.
QString FileDialog(const QString &title, QWidget *owner, const QString &pipeFilter, bool open);

// The files chosen, none when the user cancels.
QStringList FilesDialog(const QString &title, QWidget *owner, const QString &pipeFilter);
// The folder chosen, or empty text when the user cancels.
QString FolderDialog(const QString &title, QWidget *owner);

// flag true makes the window a dialog owned by its parent: it stays above its owner, so it is not lost
// behind the main window, and above nothing else. false makes it an ordinary window again.
void SetWindowFlag(QWidget *window, bool flag);

} // namespace Qirvan
