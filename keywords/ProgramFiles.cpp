#include "ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>

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
    const bool installed = !InstalledDataFolder(programDir).isEmpty();
    const QString userData = installed ? UserDataFolder() : StandInFolder(programDir);
    if (!installed && canCreateFileIn(programDir)) {
        ProgramFiles files(programDir);
        files.m_standIn = files.m_other = userData;
        return files;
    }
    if (userData.isEmpty() || !QDir().mkpath(userData))
        return ProgramFiles(programDir);
    ProgramFiles files(userData);
    files.m_other = programDir;
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
    if (m_other.isEmpty())
        return own;
    const QString other = ProgramFilePath(m_other, name);
    const QFileInfo ownInfo(own), otherInfo(other);
    if (!otherInfo.exists())
        return own;
    return !ownInfo.exists() || otherInfo.lastModified() > ownInfo.lastModified() ? other : own;
}

SavedFile ProgramFiles::save(QStringView name, const std::function<bool(const QString &)> &write) const
{
    SavedFile saved;
    const QString own = path(name);
    // A write that finds the file already as it should be leaves it alone; it must still be the
    // copy read next time, not an older session's stand-in.
    if (write(own) &&
        (readPath(name) == own || ::utimensat(AT_FDCWD, QFile::encodeName(own).constData(), nullptr, 0) == 0)) {
        saved.path = own;
        return saved;
    }
    saved.failed.append(own);
    if (m_standIn.isEmpty())
        return saved;
    const QString standIn = ProgramFilePath(m_standIn, name);
    if (QDir().mkpath(m_standIn) && write(standIn))
        saved.path = standIn;
    else
        saved.failed.append(standIn);
    return saved;
}

QString StandInFolder(const QString &programDir)
{
    // Only named here: it is created when a save first needs it, so a copy whose own folder takes
    // its files leaves nothing in the user's home.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (userData.isEmpty())
        return QString();
    return QDir::cleanPath(userData + QStringLiteral("/programs/") + QFileInfo(programDir).absoluteFilePath());
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
