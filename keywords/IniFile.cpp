#include "IniFile.h"

#include <QFileInfo>

namespace {

// CR LF, LF and a lone CR all end a line. `at` gives the unit at an index; `line` is called with
// each line's begin, end and next, and stops the walk by answering false.
template <typename At, typename Line> void forEachLine(qsizetype size, At at, Line line)
{
    for (qsizetype pos = 0; pos < size;) {
        qsizetype end = pos;
        while (end < size && at(end) != '\r' && at(end) != '\n')
            ++end;
        qsizetype next = end;
        if (next < size)
            next += at(next) == '\r' && next + 1 < size && at(next + 1) == '\n' ? 2 : 1;
        if (!line(pos, end, next))
            return;
        pos = next;
    }
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

} // namespace

// Where a key is, or where it would go: line numbers and their places in the text.
struct IniFile::Place
{
    qsizetype section = -1; // the section's header line
    qsizetype last = -1;    // the section's last line that is not blank
    qsizetype key = -1;
    Span lastText, keyText;
    QStringView value;
};

std::optional<IniFile> IniFile::load(const QString &path)
{
    if (!QFileInfo::exists(path))
        return IniFile();
    std::optional<QByteArray> bytes = StoredFile::read(path);
    if (!bytes)
        return std::nullopt;
    return IniFile(std::move(*bytes));
}

// The file is decoded once; names are compared in the text, edits are made in the bytes.
IniFile::IniFile(QByteArray bytes) : m_bytes(std::move(bytes))
{
    StoredFile::Text decoded = StoredFile::decode(m_bytes);
    m_text = std::move(decoded.text);
    m_encoding = decoded.encoding;
    m_bomSize = StoredFile::byteOrderMark(m_encoding).size();
}

IniFile::Place IniFile::find(QStringView section, QStringView key) const
{
    Place place;
    qsizetype i = -1;
    forEachLine(
        m_text.size(), [this](qsizetype k) { return m_text[k].unicode(); },
        [&](qsizetype begin, qsizetype end, qsizetype next) {
            ++i;
            const QStringView text = trimmed(QStringView(m_text).sliced(begin, end - begin));
            if (text.startsWith(u'[')) {
                if (place.section >= 0)
                    return false; // Windows looks only in the first section of that name
                const qsizetype close = text.indexOf(u']');
                if (sameName(trimmed(text.sliced(1, (close < 0 ? text.size() : close) - 1)), section)) {
                    place.section = place.last = i;
                    place.lastText = {begin, end, next};
                }
                return true;
            }
            if (place.section < 0 || text.isEmpty())
                return true;
            place.last = i;
            place.lastText = {begin, end, next};
            const qsizetype equals = text.indexOf(u'=');
            if (text.startsWith(u';') || equals < 0 || !sameName(trimmed(text.first(equals)), key))
                return true;
            place.key = i;
            place.keyText = {begin, end, next};
            place.value = trimmed(text.sliced(equals + 1));
            return false;
        });
    return place;
}

// The bytes of a line. In GBK and UTF-8 neither CR nor LF is ever part of another character, so
// the bytes hold the same lines as the text; in UTF-16 every unit is two bytes.
IniFile::Span IniFile::byteSpan(qsizetype line, const Span &text) const
{
    if (m_bomSize == 2)
        return {2 + 2 * text.begin, 2 + 2 * text.end, 2 + 2 * text.next};
    Span span;
    qsizetype i = -1;
    forEachLine(
        m_bytes.size() - m_bomSize, [this](qsizetype k) { return m_bytes[m_bomSize + k]; },
        [&](qsizetype begin, qsizetype end, qsizetype next) {
            span = {m_bomSize + begin, m_bomSize + end, m_bomSize + next};
            return ++i < line;
        });
    return span;
}

QString IniFile::value(QStringView section, QStringView key) const
{
    QStringView value = find(section, key).value;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toString();
}

void IniFile::setValue(QStringView section, QStringView key, qint16 value)
{
    const Place place = find(section, key);
    const QString number = QString::number(value);
    if (place.key >= 0 && place.value == number &&
        place.value.data() + place.value.size() == m_text.constData() + place.keyText.end)
        return; // the line already reads so: no edit, and no decoding the file again
    auto encoded = [this](QStringView text) { return StoredFile::encode(text, m_encoding); };
    const QByteArray lineEnd = encoded(u"\r\n");
    const QByteArray entry = encoded(key.toString() + u'=' + number) + lineEnd;

    QByteArray out;
    if (place.key >= 0) {
        // Keep the key as it is spelled and spaced, and replace what follows "=" and its blanks.
        const Span line = byteSpan(place.key, place.keyText);
        qsizetype start = place.value.data() - m_text.constData();
        if (m_bomSize == 2) {
            start = 2 + 2 * start;
        } else {
            // "=", spaces and tabs are never part of a GBK or UTF-8 character, so the first "=" byte
            // is the first "=" of the text.
            start = m_bytes.indexOf('=', line.begin) + 1;
            while (start < line.end && (m_bytes[start] == ' ' || m_bytes[start] == '\t'))
                ++start;
        }
        out = m_bytes.first(start) + encoded(number) + m_bytes.sliced(line.end);
    } else if (place.section >= 0) {
        const Span last = byteSpan(place.last, place.lastText);
        out = m_bytes.first(last.next);
        if (last.next == last.end)
            out += lineEnd; // the file ended without a line end
        out += entry + m_bytes.sliced(last.next);
    } else {
        out = m_bytes;
        if (!m_text.isEmpty() && !m_text.endsWith(u'\n') && !m_text.endsWith(u'\r'))
            out += lineEnd;
        out += encoded(u'[' + section.toString() + u']') + lineEnd + entry;
    }
    *this = IniFile(std::move(out));
}
