#pragma once

#include "StoredFile.h"

#include <QList>
#include <QString>

#include <optional>

// Windows-style INI files ("[Setting]" then "粗体=1" lines, GBK, CR LF), read and written the way
// the Windows profile functions do, so a file edited by hand works both ways. QSettings is no use
// here: it escapes Chinese keys and rewrites the whole file sorted.
class IniFile
{
public:
    // The file's content; a missing file is an empty one. Nothing when the file exists but cannot
    // be read: such a file must never be replaced.
    static std::optional<IniFile> load(const QString &path);
    explicit IniFile(QByteArray bytes = {});

    // The value of key in the first section named section, with spaces and tabs around it and one
    // pair of enclosing quotes removed. Section and key match without regard to case. A missing
    // section or key gives empty text.
    QString value(QStringView section, QStringView key) const;
    // Stores value as decimal text. Only the value of that one key changes; every other byte stays
    // as it was. A missing key is added at the end of its section, a missing section at the end.
    void setValue(QStringView section, QStringView key, qint16 value);

    const QByteArray &bytes() const { return m_bytes; }

private:
    struct Span
    {
        qsizetype begin = 0; // first unit
        qsizetype end = 0;   // the line end's first unit, or the end
        qsizetype next = 0;  // the next line's first unit
    };
    struct Place;
    Place find(QStringView section, QStringView key) const;
    Span byteSpan(qsizetype line, const Span &text) const;

    QByteArray m_bytes;
    StoredFile::Encoding m_encoding = StoredFile::Encoding::Gbk;
    qsizetype m_bomSize = 0;
    QString m_text;
};
