#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Where the program keeps its two files: beside itself, as users of the tool expect, unless that
// folder cannot be written (an installed copy), in which case the user's own data folder.

inline constexpr QStringView DataFileName = u"Data.txt";
inline constexpr QStringView SettingFileName = u"Setting.ini";

// Where a save went (`path`, empty when nowhere) and the places it could not be written to.
struct SavedFile
{
    QString path;
    QStringList failed;
};

class ProgramFiles
{
public:
    // Both files read and written in one folder, and nowhere else.
    ProgramFiles(const QString &folder) : m_folder(folder) {} // implicit: a folder says it all
    // programDir when a file can be created there (tried with a temporary file, removed at once)
    // and the program is not an installed copy; a save that fails there goes to its stand-in
    // folder (StandInFolder). A copy whose folder cannot be written uses the stand-in folder
    // itself, and an installed copy the per-user data folder; both are created if missing and
    // read programDir's copy when it is the newer, so a list shipped or left beside the program
    // shows at the first start.
    static ProgramFiles locate(const QString &programDir);
    // The same for the folder that holds the program. Call it once at start-up and keep the
    // answer, so that loading and saving agree on the folders.
    static ProgramFiles locate();

    const QString &folder() const { return m_folder; }
    // Where the file is written.
    QString path(QStringView name) const;
    // Where the file is read from at start-up: of the copy in folder() and the other one, the one
    // written last; folder()'s on a tie. So a list that went to the stand-in folder because the
    // program's folder could not be written is read back, and a later save there wins again.
    QString readPath(QStringView name) const;
    // Saves the file with `write` at path(name), and when that fails, in the stand-in folder, so
    // that what the user did in this session is not lost and is read back at the next start.
    SavedFile save(QStringView name, const std::function<bool(const QString &)> &write) const;

private:
    QString m_folder;
    QString m_other;   // the other copy's folder; empty when there is none
    QString m_standIn; // where a failed save goes; empty when nowhere
};

// A program folder's own folder inside the per-user data folder: the program folder's absolute
// path under "programs", so copies of the program in different folders never share a list.
QString StandInFolder(const QString &programDir);

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
