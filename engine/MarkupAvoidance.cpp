#include "MarkupAvoidance.h"

#include <algorithm>

// Each finder looks only a limited distance around the point, so the cost does not grow with the
// article: an HTML tag or link is looked for up to TagReach characters away, the UBB and Markdown
// forms (which stay on one line) up to LineReach. A link whose closing lies beyond the reach is
// taken for one that runs to the end, and the point goes before it, which is safe as well.
namespace {

constexpr qsizetype TagReach = 65536;
constexpr qsizetype LineReach = 4096;

// The last `c` in [point - reach, from], or -1.
qsizetype lastWithin(QStringView text, QChar c, qsizetype from, qsizetype point, qsizetype reach)
{
    const qsizetype low = std::max<qsizetype>(0, point - reach);
    if (from < low)
        return -1;
    const qsizetype at = text.sliced(low, from - low + 1).lastIndexOf(c);
    return at < 0 ? -1 : low + at;
}

// The first `c` in [from, point + reach), or -1. Forward searches are vectorised; backward ones are
// not, so a finder looks ahead first where that can rule a span out.
qsizetype firstCharWithin(QStringView text, QChar c, qsizetype from, qsizetype point, qsizetype reach)
{
    const qsizetype high = std::min(text.size(), point + reach);
    if (from >= high)
        return -1;
    const qsizetype at = text.sliced(from, high - from).indexOf(c);
    return at < 0 ? -1 : from + at;
}

// The first `what` (any case) in [from, point + reach), or -1.
qsizetype firstWithin(QStringView text, QStringView what, qsizetype from, qsizetype point, qsizetype reach)
{
    const qsizetype high = std::min(text.size(), point + reach);
    if (from >= high)
        return -1;
    const qsizetype at = text.sliced(from, high - from).indexOf(what, 0, Qt::CaseInsensitive);
    return at < 0 ? -1 : from + at;
}

struct Span
{
    qsizetype begin = -1;
    qsizetype end = -1;
    bool holds(qsizetype point) const { return begin >= 0 && begin < point && point < end; }
};

bool asciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool blank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

// ASCII letters, digits and punctuation, without the characters that open or close mark-up.
bool runCharacter(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'<' && c != u'>' && c != u'[' && c != u']';
}

bool startsWithName(QStringView text, qsizetype at, QStringView name)
{
    if (at + name.size() >= text.size() || text.sliced(at, name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return false;
    const QChar after = text[at + name.size()];
    return after == u'>' || after == u']' || after == u'=' || blank(after);
}

// The end (one past ">") of the HTML tag that starts at `at`, or -1 when no tag starts there.
// Quotes count only as attribute values ("=" before them), so a stray apostrophe cannot swallow
// the rest of the article; an unquoted "<" means this was no tag.
qsizetype htmlTagEnd(QStringView text, qsizetype at)
{
    if (at + 1 >= text.size())
        return -1;
    const QChar first = text[at + 1];
    if (text.sliced(at).startsWith(u"<!--")) {
        const qsizetype close = firstWithin(text, u"-->", at + 4, at, TagReach);
        return close < 0 ? -1 : close + 3;
    }
    if (!asciiLetter(first) && first != u'/' && first != u'!' && first != u'?')
        return -1;
    QChar quote;
    QChar previous;
    for (qsizetype i = at + 1, end = std::min(text.size(), at + TagReach); i < end; ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if ((c == u'"' || c == u'\'') && previous == u'=') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        } else if (c == u'<') {
            return -1;
        }
        if (!blank(c))
            previous = c;
    }
    return -1;
}

// A UBB tag: "[" and a letter, or "[/" and a letter, up to the next "]" on the same line.
qsizetype ubbTagEnd(QStringView text, qsizetype at)
{
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == u'/')
        ++i;
    if (i >= text.size() || !asciiLetter(text[i]))
        return -1;
    for (const qsizetype end = std::min(text.size(), at + LineReach); i < end; ++i) {
        const QChar c = text[i];
        if (c == u']')
            return i + 1;
        if (c == u'[' || c == u'\r' || c == u'\n')
            return -1;
    }
    return -1;
}

// The tag opened by `open` ("<" or "[") that holds the point.
Span tagAround(QStringView text, qsizetype point, QChar open)
{
    // Inside a tag, its closing character comes before any opening one.
    const QChar close = open == u'<' ? u'>' : u']';
    const qsizetype reach = open == u'<' ? TagReach : LineReach;
    const qsizetype ahead = firstCharWithin(text, close, point, point, reach);
    const qsizetype next = firstCharWithin(text, open, point, point, reach);
    if (ahead < 0 || (next >= 0 && next < ahead))
        return {};
    const qsizetype at = lastWithin(text, open, point - 1, point, reach);
    if (at < 0)
        return {};
    const Span tag{at, open == u'<' ? htmlTagEnd(text, at) : ubbTagEnd(text, at)};
    return tag.holds(point) ? tag : Span{};
}

// An element such as <a …>…</a> or [url…]…[/url] around the point: the nearest opening or closing
// tag before the point decides; an opening without a closing runs to the end of the article.
Span elementAround(QStringView text, qsizetype point, QChar open, QStringView name, QStringView closing)
{
    const QString closeName = u'/' + name.toString();
    const qsizetype reach = open == u'<' ? TagReach : LineReach;
    // A closing tag must follow within reach, unless the article ends within it.
    if (point + reach < text.size() && firstCharWithin(text, open, point, point, reach) < 0)
        return {};
    for (qsizetype at = lastWithin(text, open, point - 1, point, reach); at >= 0;
         at = lastWithin(text, open, at - 1, point, reach)) {
        if (startsWithName(text, at + 1, closeName)) {
            const Span tag{at, open == u'<' ? htmlTagEnd(text, at) : ubbTagEnd(text, at)};
            return tag.holds(point) ? tag : Span{};
        }
        if (startsWithName(text, at + 1, name)) {
            // A closing tag that holds the point was found above, so the closing looked for starts
            // at the point or after it.
            qsizetype close = firstWithin(text, closing, point, point, reach);
            while (close >= 0 && !startsWithName(text, close + 1, closeName))
                close = firstWithin(text, closing, close + 1, point, reach);
            const qsizetype end = close < 0 ? -1 : open == u'<' ? htmlTagEnd(text, close) : close + closing.size();
            return {at, end < 0 ? text.size() : end};
        }
    }
    return {};
}

// A Markdown link or image, "[text](target)" or "![text](target)", on one line.
Span markdownLinkAround(QStringView text, qsizetype point)
{
    if (firstCharWithin(text, u')', point, point, LineReach) < 0)
        return {}; // no link ends ahead
    const qsizetype lineStart = lastWithin(text, u'\n', point - 1, point, LineReach) + 1;
    const qsizetype lineEnd = std::min(text.size(), point + LineReach);
    for (qsizetype at = lastWithin(text, u'[', point - 1, point, LineReach); at >= lineStart;
         at = lastWithin(text, u'[', at - 1, point, LineReach)) {
        qsizetype i = at + 1;
        while (i < lineEnd && text[i] != u']' && text[i] != u'\n')
            ++i;
        if (i + 1 >= lineEnd || text[i] != u']' || text[i + 1] != u'(')
            continue;
        int depth = 0;
        for (++i; i < lineEnd && text[i] != u'\n'; ++i) {
            if (text[i] == u'\\') {
                ++i;
            } else if (text[i] == u'(') {
                ++depth;
            } else if (text[i] == u')' && --depth == 0) {
                const Span link{at > 0 && text[at - 1] == u'!' ? at - 1 : at, i + 1};
                return link.holds(point) ? link : Span{};
            }
        }
    }
    return {};
}

Span runAround(QStringView text, qsizetype point)
{
    if (point <= 0 || point >= text.size() || !runCharacter(text[point - 1]) || !runCharacter(text[point]))
        return {};
    Span run{point - 1, point + 1};
    while (run.begin > 0 && runCharacter(text[run.begin - 1]))
        --run.begin;
    while (run.end < text.size() && runCharacter(text[run.end]))
        ++run.end;
    return run;
}

ArticleText::Span toArticleSpan(Span span)
{
    return span.begin >= 0 ? ArticleText::Span{span.begin, span.end - span.begin} : ArticleText::Span{};
}

// Links come before the tags and words inside them.
class HtmlSpans final : public ProtectedSpans
{
public:
    ArticleText::Span around(QStringView text, qsizetype point) const override
    {
        Span span = elementAround(text, point, u'<', u"a", u"</a");
        if (!span.holds(point))
            span = tagAround(text, point, u'<');
        return toArticleSpan(span);
    }
};

class UbbSpans final : public ProtectedSpans
{
public:
    ArticleText::Span around(QStringView text, qsizetype point) const override
    {
        Span span = elementAround(text, point, u'[', u"url", u"[/url]");
        if (!span.holds(point))
            span = tagAround(text, point, u'[');
        return toArticleSpan(span);
    }
};

class MarkdownSpans final : public ProtectedSpans
{
public:
    ArticleText::Span around(QStringView text, qsizetype point) const override
    {
        return toArticleSpan(markdownLinkAround(text, point));
    }
};

class WordSpans final : public ProtectedSpans
{
public:
    ArticleText::Span around(QStringView text, qsizetype point) const override
    {
        return toArticleSpan(runAround(text, point));
    }
};

} // namespace

QList<const ProtectedSpans *> ProtectedSpansFor(LinkFormat)
{
    static const HtmlSpans html;
    static const UbbSpans ubb;
    static const MarkdownSpans markdown;
    static const WordSpans words;
    return {&html, &ubb, &markdown, &words};
}

qsizetype MovePoint(QStringView text, qsizetype point, const QList<const ProtectedSpans *> &providers)
{
    // A move can land inside another span, so the providers are asked again until none holds the
    // point. Moves go forward until a span reaches the end; from then on everything ahead is
    // mark-up, so they only go back. Each phase moves one way only, so it ends (badly formed
    // mark-up can overlap without nesting).
    bool back = false;
    for (;;) {
        ArticleText::Span span;
        for (const ProtectedSpans *provider : providers) {
            span = provider->around(text, point);
            if (span.length > 0)
                break;
        }
        if (span.length == 0)
            return point;
        const qsizetype end = span.start + span.length;
        Q_ASSERT(span.start < point && point < end);
        back = back || end >= text.size();
        point = back ? span.start : end;
    }
}
