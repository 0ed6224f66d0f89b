#include "IniFile.h"

#include "StoredFile.h"

#include <QFileInfo>
#include <QList>

namespace {

struct Line
{
    qsizetype begin; // first byte
    qsizetype end;   // the line end's first byte, or the file's end
    qsizetype next;  // the next line's first byte
};

// CR LF, LF and a lone CR all end a line. Neither byte occurs inside a GBK or UTF-8 character.
QList<Line> splitLines(QByteArrayView bytes)
{
    QList<Line> lines;
    for (qsizetype pos = 0; pos < bytes.size();) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < bytes.size())
            next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
        lines.append(Line{pos, end, next});
        pos = next;
    }
    return lines;
}

QStringView trimmed(QStringView s)
{
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!s.isEmpty() && blank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && blank(s.back()))
        s.chop(1);
    return s;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key is, or where it would go.
struct Place
{
    qsizetype section = -1; // the section's header line
    qsizetype last = -1;    // the section's last line that is not blank
    qsizetype key = -1;
    QString value;
};

Place find(QByteArrayView bytes, const QList<Line> &lines, StoredFile::Encoding encoding, QStringView section,
           QStringView key)
{
    Place place;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString decoded = StoredFile::decode(bytes.sliced(lines[i].begin, lines[i].end - lines[i].begin),
                                                   encoding); // drops a UTF-8 mark before the first line
        const QStringView text = trimmed(decoded);
        if (text.startsWith(u'[')) {
            if (place.section >= 0)
                break; // Windows looks only in the first section of that name
            const qsizetype close = text.indexOf(u']');
            if (sameName(trimmed(text.sliced(1, (close < 0 ? text.size() : close) - 1)), section))
                place.section = place.last = i;
            continue;
        }
        if (place.section < 0 || text.isEmpty())
            continue;
        place.last = i;
        const qsizetype equals = text.indexOf(u'=');
        if (text.startsWith(u';') || equals < 0 || !sameName(trimmed(text.first(equals)), key))
            continue;
        place.key = i;
        place.value = trimmed(text.sliced(equals + 1)).toString();
        return place;
    }
    return place;
}

} // namespace

QString ReadIni(const QString &section, const QString &key, const QString &path)
{
    const std::optional<QByteArray> bytes = StoredFile::read(path);
    if (!bytes)
        return QString();
    QString value = find(*bytes, splitLines(*bytes), StoredFile::detect(*bytes), section, key).value;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

void WriteIni(const QString &section, const QString &key, qint16 value, const QString &path)
{
    QByteArray bytes;
    if (QFileInfo::exists(path)) {
        std::optional<QByteArray> old = StoredFile::read(path);
        if (!old)
            return; // never replace a file we could not read
        bytes = std::move(*old);
    }
    // New lines follow the file's own encoding: a file someone saved as UTF-8 stays readable.
    const StoredFile::Encoding encoding = StoredFile::detect(bytes);
    const QList<Line> lines = splitLines(bytes);
    const Place place = find(bytes, lines, encoding, section, key);
    const QByteArray number = QByteArray::number(value);
    const QByteArray entry = StoredFile::encode(key, encoding) + '=' + number + "\r\n";

    QByteArray out;
    if (place.key >= 0) {
        // Keep the key as it is spelled and spaced, and replace what follows "=" and its spaces.
        const Line &line = lines[place.key];
        qsizetype start = bytes.indexOf('=', line.begin) + 1;
        while (start < line.end && (bytes[start] == ' ' || bytes[start] == '\t'))
            ++start;
        out = bytes.first(start) + number + bytes.sliced(line.end);
    } else if (place.section >= 0) {
        const Line &last = lines[place.last];
        out = bytes.first(last.next);
        if (last.next == last.end)
            out += "\r\n"; // the file ended without a line end
        out += entry + bytes.sliced(last.next);
    } else {
        out = bytes;
        if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
            out += "\r\n";
        out += '[' + StoredFile::encode(section, encoding) + "]\r\n" + entry;
    }
    if (out != bytes)
        StoredFile::write(path, out);
}
