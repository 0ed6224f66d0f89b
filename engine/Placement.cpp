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

Ranges AllowedPlaces(QStringView article, LinkFormat format)
{
    Ranges places;
    switch (format) {
    case LinkFormat::Html:
        places = HtmlPlaces(article);
        break;
    case LinkFormat::Ubb:
        places = UbbPlaces(article);
        break;
    case LinkFormat::Markdown:
        places = Intersect(MarkdownPlaces(article), MarkdownSafePlaces(article));
        break;
    }
    return Intersect(places, TextPlaces(article));
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
