#include "Placement.h"

#include <algorithm>
#include <optional>

// UBB (BBCode) read the way forum software reads it: a tag is "[" name "]" or "[" name "=" value "]"
// on one line, "[/" name "]" closes it, the name in any case. A name is "*" or an ASCII letter and
// then letters and digits; any other "[" is text ("[1]", "[参考]"). The tags forums share have
// their meaning below; any other name may be a forum's own tag, so its brackets are kept whole too.
namespace {

enum class Kind {
    Whole, // an address or code: a link inside would nest in a link, break the address or show as text
    Style, // text is fine inside
    Table, // text inside but outside a cell is moved out of the table by the browser
    Cell,
};

constexpr std::pair<const char16_t *, Kind> Names[] = {
    {u"url", Kind::Whole},    {u"img", Kind::Whole},       {u"email", Kind::Whole}, {u"code", Kind::Whole},
    {u"attach", Kind::Whole}, {u"attachimg", Kind::Whole}, {u"media", Kind::Whole}, {u"flash", Kind::Whole},
    {u"audio", Kind::Whole},  {u"video", Kind::Whole},     {u"table", Kind::Table}, {u"tr", Kind::Table},
    {u"td", Kind::Cell},      {u"th", Kind::Cell},
};

bool asciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool asciiLetterOrDigit(QChar c)
{
    return asciiLetter(c) || (c >= u'0' && c <= u'9');
}

struct Tag
{
    qsizetype start = 0; // its "["
    qsizetype end = 0;   // after its "]"; for an unfinished tag, one past the end of its line
    QStringView name;
    Kind kind = Kind::Style;
    bool closing = false;
    // "[name=" with no "]" before the line ends: not a tag, but a "]" inserted after it would finish it.
    bool unfinished = false;

    bool is(QStringView other) const { return name.compare(other, Qt::CaseInsensitive) == 0; }
};

class TagReader
{
public:
    explicit TagReader(QStringView text) : m_text(text) {}

    qsizetype nextBracket(qsizetype from) const { return m_text.indexOf(u'[', from); }

    // The tag whose "[" is at `at`, if one starts there.
    std::optional<Tag> read(qsizetype at)
    {
        Tag tag;
        tag.start = at;
        qsizetype i = at + 1;
        tag.closing = i < m_text.size() && m_text[i] == u'/';
        const qsizetype nameStart = tag.closing ? ++i : i;
        if (i < m_text.size() && m_text[i] == u'*')
            ++i;
        else if (i < m_text.size() && asciiLetter(m_text[i]))
            while (++i < m_text.size() && asciiLetterOrDigit(m_text[i])) {
            }
        if (i == nameStart || i == m_text.size())
            return std::nullopt;
        tag.name = m_text.sliced(nameStart, i - nameStart);
        const auto known =
            std::find_if(std::begin(Names), std::end(Names), [&](const auto &n) { return tag.is(n.first); });
        tag.kind = known == std::end(Names) ? Kind::Style : known->second;
        if (m_text[i] == u']') {
            tag.end = i + 1;
            return tag;
        }
        if (tag.closing || m_text[i] != u'=')
            return std::nullopt;
        const qsizetype close = stop(i + 1);
        tag.unfinished = close == m_text.size() || m_text[close] != u']';
        tag.end = close + 1;
        return tag;
    }

private:
    // The first "]" or line break at or after `from`. A line holding many "[url=" and no "]" is
    // scanned once, not once for each.
    qsizetype stop(qsizetype from)
    {
        if (from < m_stopFrom || from > m_stop) {
            m_stopFrom = m_stop = from;
            for (; m_stop < m_text.size(); ++m_stop) {
                const QChar c = m_text[m_stop];
                if (c == u']' || c == u'\r' || c == u'\n')
                    break;
            }
        }
        return m_stop;
    }

    QStringView m_text;
    qsizetype m_stopFrom = -1, m_stop = -1;
};

// The end of the closing tag of a Whole element, the same tags opened inside it counted; -1 when it
// never closes.
qsizetype closingEnd(TagReader &reader, const Tag &open)
{
    int depth = 1;
    for (qsizetype at = reader.nextBracket(open.end); at >= 0;) {
        const std::optional<Tag> tag = reader.read(at);
        if (tag && !tag->unfinished && tag->is(open.name) && (depth += tag->closing ? -1 : 1) == 0)
            return tag->end;
        at = reader.nextBracket(tag ? tag->end : at + 1);
    }
    return -1;
}

} // namespace

Placement::Ranges Placement::UbbPlaces(QStringView article)
{
    const qsizetype size = article.size();
    TagReader reader(article);
    QList<std::pair<qsizetype, qsizetype>> spans;
    QList<Tag> tables;             // the open table, row and cell tags, the innermost last
    QList<qsizetype> bold, italic; // the "[" of each open [b] and [i]
    qsizetype leftCell = 0;        // the tag that left the cells, while in a table outside them
    auto inCell = [&] { return tables.isEmpty() || tables.last().kind == Kind::Cell; };

    for (qsizetype at = reader.nextBracket(0); at >= 0;) {
        const std::optional<Tag> tag = reader.read(at);
        if (!tag) {
            at = reader.nextBracket(at + 1);
            continue;
        }
        const bool wasInCell = inCell();
        qsizetype end = tag->end;
        if (tag->unfinished) {
            // Text up to the end of its line, all of it kept whole.
        } else if (tag->kind == Kind::Whole && !tag->closing) {
            // An element that never closes runs to the end of the article.
            end = closingEnd(reader, *tag);
            end = end < 0 ? size + 1 : end;
        } else if (tag->kind == Kind::Table || tag->kind == Kind::Cell) {
            if (!tag->closing) {
                tables.append(*tag);
            } else {
                // It closes the cells and rows left open inside it; a stray one closes nothing.
                const auto open =
                    std::find_if(tables.rbegin(), tables.rend(), [&](const Tag &t) { return t.is(tag->name); });
                if (open != tables.rend())
                    tables.erase(std::prev(open.base()), tables.end());
            }
        } else if (tag->is(u"b") || tag->is(u"i")) {
            QList<qsizetype> &open = tag->is(u"b") ? bold : italic;
            if (!tag->closing)
                open.append(tag->start);
            else if (!open.isEmpty())
                open.removeLast();
        }
        if (wasInCell && inCell())
            spans.append({tag->start, end - tag->start});
        else if (wasInCell)
            leftCell = tag->start;
        else if (inCell())
            spans.append({leftCell, end - leftCell});
        at = reader.nextBracket(end);
    }
    if (!inCell())
        spans.append({leftCell, size + 1 - leftCell});

    // A link's own [/b] or [/i] would close a [b] or [i] left open before it: nothing after one is allowed.
    qsizetype cut = size;
    for (const QList<qsizetype> *open : {&bold, &italic})
        cut = open->isEmpty() ? cut : std::min(cut, open->first());
    return Intersect(Outside(Everywhere(size), spans), {{0, cut}});
}
