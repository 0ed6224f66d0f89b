#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Where the program keeps its two files: beside itself, as users of the tool expect, unless that
// folder cannot be written (an installed copy), in which case the user's own data folder.

inline constexpr QStringView DataFileName = u"Data.txt";
inline constexpr QStringView SettingFileName = u"Setting.ini";

class ProgramFiles
{
public:
    // Both files read and written in one folder.
    ProgramFiles(const QString &folder) : m_folder(folder) {} // implicit: a folder says it all
    // programDir when a file can be created there (tried with a temporary file, removed at once)
    // and the program is not an installed copy. Otherwise the per-user data folder, created if
    // missing; a file it has no copy of yet is read from programDir, so a list shipped or left
    // beside an installed copy shows at its first start.
    static ProgramFiles locate(const QString &programDir);
    // The same for the folder that holds the program. Call it once at start-up and keep the
    // answer, so that loading and saving agree on the folder.
    static ProgramFiles locate();

    const QString &folder() const { return m_folder; }
    // Where the file is written.
    QString path(QStringView name) const;
    // Where the file is read from at start-up.
    QString readPath(QStringView name) const;

private:
    QString m_folder;
    QString m_programDir; // read from where the folder has no copy; empty when that is the folder
};

// An installed copy's own data folder, <prefix>/share/velomar beside <prefix>/bin, where the
// installation puts it; empty for a copy that runs from a folder of its own. An installed copy
// keeps the user's files in the per-user folder even where the user could write to bin (root):
// that folder belongs to the system and to every user alike.
QString InstalledDataFolder(const QString &programDir);

// The per-user application data folder, created if missing; empty when there is none.
QString UserDataFolder();

// folder, the separator and the name. The name is joined with "/", which Qt reads as the
// platform's separator everywhere: a "\" would end up inside the file name on Linux.
QString ProgramFilePath(const QString &folder, QStringView fileName);

// Where a save went (`path`, empty when nowhere) and the places it could not be written to.
struct SavedFile
{
    QString path;
    QStringList failed;
};
// Saves a program file with `write` at path, and when that fails, under the same name in the
// per-user data folder, so that what the user did in this session is not lost.
SavedFile SaveProgramFile(const QString &path, const std::function<bool(const QString &)> &write);
