#pragma once

#include <QString>
#include <QStringView>

// Where the program keeps its two files: beside itself, as users of the tool expect, unless that
// folder cannot be written (an installed copy), in which case the user's own data folder.

inline constexpr QStringView DataFileName = u"Data.txt";
inline constexpr QStringView SettingFileName = u"Setting.ini";

// programDir when a file can be created there (tried with a temporary file, removed at once),
// otherwise the per-user application data folder, created if missing.
QString ProgramFilesFolder(const QString &programDir);
// The same for the folder that holds the program. Call it once at start-up and keep the answer,
// so that loading and saving agree on the folder.
QString ProgramFilesFolder();

// folder, the separator and the name. The name is joined with "/", which Qt reads as the
// platform's separator everywhere: a "\" would end up inside the file name on Linux.
QString ProgramFilePath(const QString &folder, QStringView fileName);
