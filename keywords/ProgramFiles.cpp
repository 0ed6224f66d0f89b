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

ProgramFiles ProgramFiles::locate(const QString &programDir)
{
    if (InstalledDataFolder(programDir).isEmpty() && canCreateFileIn(programDir))
        return ProgramFiles(programDir);
    const QString userData = UserDataFolder();
    if (userData.isEmpty())
        return ProgramFiles(programDir);
    ProgramFiles files(userData);
    files.m_programDir = programDir;
    return files;
}

ProgramFiles ProgramFiles::locate()
{
    return locate(QCoreApplication::applicationDirPath());
}

QString ProgramFiles::path(QStringView name) const
{
    return ProgramFilePath(m_folder, name);
}

QString ProgramFiles::readPath(QStringView name) const
{
    const QString own = path(name);
    if (m_programDir.isEmpty() || QFileInfo::exists(own))
        return own;
    return ProgramFilePath(m_programDir, name);
}

QString InstalledDataFolder(const QString &programDir)
{
    const QString folder = QDir::cleanPath(programDir + QStringLiteral("/../share/velomar"));
    return QFileInfo(programDir).fileName() == u"bin" && QFileInfo(folder).isDir() ? folder : QString();
}

QString UserDataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

QString ProgramFilePath(const QString &folder, QStringView fileName)
{
    QString path = folder;
    path.append(u'/').append(fileName);
    return path;
}

SavedFile SaveProgramFile(const QString &own, const std::function<bool(const QString &)> &write)
{
    SavedFile saved;
    if (write(own)) {
        saved.path = own;
        return saved;
    }
    saved.failed.append(own);
    const QString userData = UserDataFolder();
    const QString fallback = userData.isEmpty() ? QString() : ProgramFilePath(userData, QFileInfo(own).fileName());
    if (fallback.isEmpty() || QFileInfo(fallback).absoluteFilePath() == QFileInfo(own).absoluteFilePath())
        return saved;
    if (write(fallback))
        saved.path = fallback;
    else
        saved.failed.append(fallback);
    return saved;
}
