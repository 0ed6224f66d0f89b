#pragma once

#include <QString>

// Windows-style INI files ("[Setting]" then "粗体=1" lines, GBK, CR LF), read and written the way
// the Windows profile functions do, so a file edited by hand or written on Windows works both
// ways. QSettings is no use here: it escapes Chinese keys and rewrites the whole file sorted.

// The value of key in the first section named section, with spaces and tabs around it and one
// pair of enclosing quotes removed. Section and key match without regard to case. A missing
// file, section or key gives empty text.
QString ReadIni(const QString &section, const QString &key, const QString &path);

// Stores value as decimal text. Only the value of that one key changes; every other byte of the
// file stays as it was. A missing key is added at the end of its section, a missing section at
// the end of the file, a missing file is created. The file is replaced in one step; a failure
// leaves it as it was.
void WriteIni(const QString &section, const QString &key, qint16 value, const QString &path);
