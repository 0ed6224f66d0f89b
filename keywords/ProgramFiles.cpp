#include "ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

bool canCreateFileIn(const QString &dir)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(ProgramFilePath(dir, u".velomar-XXXXXX"));
    return probe.open(); // removed again when probe goes
}

} // namespace

QString ProgramFilesFolder(const QString &programDir)
{
    if (canCreateFileIn(programDir))
        return programDir;
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (userData.isEmpty())
        return programDir;
    QDir().mkpath(userData);
    return userData;
}

QString ProgramFilesFolder()
{
    return ProgramFilesFolder(QCoreApplication::applicationDirPath());
}

QString ProgramFilePath(const QString &folder, QStringView fileName)
{
    QString path = folder;
    path.append(u'/').append(fileName);
    return path;
}
