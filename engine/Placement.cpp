#include "Placement.h"

#include <algorithm>

namespace Placement {

namespace {
// ASCII letters, digits and punctuation, without the characters that open or close mark-up.
bool runCharacter(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'<' && c != u'>' && c != u'[' && c != u']';
}

} // namespace

void Append(Ranges &ranges, qsizetype first, qsizetype last)
{
    if (first > last)
        return;
    if (!ranges.isEmpty() && ranges.last().last + 1 >= first)
        ranges.last().last = std::max(ranges.last().last, last);
    else
        ranges.append({first, last});
}

Ranges Everywhere(qsizetype length)
{
    return {{0, length}};
}

Ranges Intersect(const Ranges &a, const Ranges &b)
{
    Ranges out;
    for (qsizetype i = 0, j = 0; i < a.size() && j < b.size();) {
        Append(out, std::max(a[i].first, b[j].first), std::min(a[i].last, b[j].last));
        if (a[i].last < b[j].last)
            ++i;
        else
            ++j;
    }
    return out;
}

Ranges Outside(const Ranges &within, const QList<std::pair<qsizetype, qsizetype>> &spans)
{
    // The positions strictly inside the spans, merged, and then what of `within` lies elsewhere.
    Ranges inside;
    for (const auto &[start, length] : spans)
        Append(inside, start + 1, start + length - 1);
    Ranges out;
    qsizetype next = 0;
    auto keep = [&](qsizetype first, qsizetype last) {
        for (; next < within.size() && within[next].last < first; ++next) {
        }
        for (qsizetype k = next; k < within.size() && within[k].first <= last; ++k)
            Append(out, std::max(first, within[k].first), std::min(last, within[k].last));
    };
    qsizetype from = within.isEmpty() ? 0 : within.first().first;
    for (const Range &r : inside) {
        keep(from, r.first - 1);
        from = r.last + 1;
    }
    if (!within.isEmpty())
        keep(from, within.last().last);
    return out;
}

qsizetype Nearest(const Ranges &allowed, qsizetype point)
{
    const auto after =
        std::lower_bound(allowed.begin(), allowed.end(), point, [](const Range &r, qsizetype p) { return r.last < p; });
    if (after != allowed.end())
        return std::max(after->first, point);
    return allowed.isEmpty() ? point : allowed.last().last;
}

namespace {
// The positions where `splits(before, after)` is false for the characters on either side.
template <typename Splits> Ranges placesWhereNot(QStringView text, Splits splits)
{
    Ranges out;
    qsizetype first = 0;
    for (qsizetype p = 1; p < text.size(); ++p) {
        if (splits(text[p - 1], text[p])) {
            Append(out, first, p - 1);
            first = p + 1;
        }
    }
    Append(out, first, text.size());
    return out;
}
} // namespace

bool SplitsPair(QChar before, QChar after)
{
    return (before == u'\r' && after == u'\n') || (before.isHighSurrogate() && after.isLowSurrogate());
}

Ranges PairPlaces(QStringView text)
{
    return placesWhereNot(text, SplitsPair);
}

Ranges TextPlaces(QStringView text)
{
    return placesWhereNot(text, [](QChar before, QChar after) {
        return SplitsPair(before, after) || (runCharacter(before) && runCharacter(after));
    });
}

Ranges MarkdownSafePlaces(QStringView text)
{
    Ranges out;
    qsizetype first = 0;
    for (qsizetype p = 0; p <= text.size(); ++p) {
        const QChar before = p > 0 ? text[p - 1] : QChar(), after = p < text.size() ? text[p] : QChar();
        const bool changes =
            before == u'!' || before == u'\\' || before == u'*' || before == u'_' || after == u'*' || after == u'_';
        if (changes) {
            Append(out, first, p - 1);
            first = p + 1;
        }
    }
    Append(out, first, text.size());
    return out;
}

Ranges FormatPlaces(QStringView article, LinkFormat format)
{
    switch (format) {
    case LinkFormat::Html:
        return HtmlPlaces(article);
    case LinkFormat::Ubb:
        return UbbPlaces(article);
    case LinkFormat::Markdown:
        break;
    }
    return Intersect(MarkdownPlaces(article), MarkdownSafePlaces(article));
}

namespace {
bool isClauseMark(QChar c)
{
    return QStringView(u"，。；：！？、．｡､").contains(c);
}
bool isAsciiClauseMark(QChar c)
{
    return QStringView(u",.;:!?").contains(c);
}
bool isClosing(QChar c)
{
    return QStringView(u"”’」』）》】〕〉\"')]").contains(c);
}
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

// Whether a line (without its line break) reads as a heading: short, and not ending a clause.
bool isHeading(QStringView line, LinkFormat format)
{
    // The line's text without the format's tags (a "<" or "[" with its closing mark later on the line).
    const QChar open = format == LinkFormat::Ubb ? u'[' : u'<', close = format == LinkFormat::Ubb ? u']' : u'>';
    QString text;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const qsizetype end = format != LinkFormat::Markdown && line[i] == open ? line.indexOf(close, i + 1) : -1;
        if (end >= 0)
            i = end;
        else
            text += line[i];
    }
    qsizetype first = 0, last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    if (first == last)
        return false;
    const QStringView visible = QStringView(text).sliced(first, last - first);
    const qsizetype length =
        visible.size() - std::count_if(visible.begin(), visible.end(), [](QChar c) { return c.isLowSurrogate(); });
    qsizetype end = visible.size() - 1;
    while (end > 0 && isClosing(visible[end]))
        --end;
    const QChar mark = visible[end];
    return length <= MaxHeadingLength && !isClauseMark(mark) && !isAsciiClauseMark(mark) && mark != QChar(0x2026);
}
} // namespace

Ranges BodyPlaces(QStringView article, LinkFormat format)
{
    Ranges out;
    qsizetype from = 0; // the first position not yet excluded
    for (qsizetype start = 0; start <= article.size();) {
        qsizetype end = start;
        while (end < article.size() && article[end] != u'\r' && article[end] != u'\n')
            ++end;
        if (isHeading(article.sliced(start, end - start), format)) {
            Append(out, from, start - 1);
            from = end + 1;
        }
        if (end == article.size())
            break;
        start = end + (article[end] == u'\r' && end + 1 < article.size() && article[end + 1] == u'\n' ? 2 : 1);
    }
    Append(out, from, article.size());
    return out;
}

Ranges LinkPlaces(QStringView article, LinkFormat format)
{
    return LinkPlaces(article, format, FormatPlaces(article, format));
}

Ranges LinkPlaces(QStringView article, LinkFormat format, const Ranges &formatPlaces)
{
    return Intersect(Intersect(formatPlaces, BodyPlaces(article, format)), PairPlaces(article));
}

Ranges AllowedPlaces(QStringView article, LinkFormat format)
{
    return AllowedPlaces(article, FormatPlaces(article, format));
}

Ranges AllowedPlaces(QStringView article, const Ranges &formatPlaces)
{
    return Intersect(formatPlaces, TextPlaces(article));
}

qsizetype ClauseEnd(QStringView article, const Ranges &allowed, qsizetype point, qsizetype reach)
{
    auto isEnd = [&](qsizetype p) {
        if (p <= 0 || p > article.size())
            return false;
        const QChar after = p < article.size() ? article[p] : QChar();
        if (p == article.size() || after == u'\r' || after == u'\n') {
            const QChar before = article[p - 1];
            if (before != u'\r' && before != u'\n')
                return true; // the end of a paragraph with text in it
        }
        if (isClosing(after))
            return false; // the quote or bracket belongs to the clause
        qsizetype q = p;
        while (q > 0 && isClosing(article[q - 1]))
            --q;
        if (q > 0 && isClauseMark(article[q - 1]))
            return true;
        return q == p && p >= 2 && article[p - 1] == u' ' && isAsciiClauseMark(article[p - 2]);
    };
    auto allowedAt = [&](qsizetype p) { return Nearest(allowed, p) == p && !allowed.isEmpty(); };
    for (qsizetype d = 0; d <= reach; ++d) {
        for (qsizetype p : {point + d, point - d}) {
            if (isEnd(p) && allowedAt(p))
                return p;
        }
    }
    return point;
}

Utf8Text::Utf8Text(QStringView text) : m_bytes(text.toUtf8())
{
    qsizetype units = 0;
    for (qsizetype b = 0; b < m_bytes.size(); ++b) {
        if (b % Block == 0)
            m_blockPositions.append(units);
        const auto c = quint8(m_bytes[b]);
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    m_blockPositions.append(units);
}

qsizetype Utf8Text::position(qsizetype byteOffset) const
{
    Q_ASSERT(byteOffset >= 0 && byteOffset <= m_bytes.size());
    const qsizetype block = byteOffset / Block;
    qsizetype units = m_blockPositions[block];
    for (qsizetype b = block * Block; b < byteOffset; ++b) {
        const auto c = quint8(m_bytes[b]);
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

} // namespace Placement
