#include "Placement.h"

#include <md4c.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <utility>

// The article is read as GitHub-flavoured Markdown (tables, strikethrough, task lists, bare
// addresses as links), the dialect most sites that take Markdown render. md4c hands out its text
// as pieces of the source, so the places are the pieces of a paragraph's own words; every other
// character of the article is mark-up, code, a link, raw HTML or a heading, and is left alone.
namespace {

using ByteRange = std::pair<qsizetype, qsizetype>; // first and last byte offset, both included

// md4c 0.4 finds bare web addresses only after a space, and once it does, it misreads emphasis
// that follows a link to one; GitHub links one wherever its scheme starts. They are found here the
// way GitHub finds them, and md4c is left to find bare e-mail addresses.
constexpr unsigned Dialect =
    MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_TASKLISTS | MD_FLAG_PERMISSIVEEMAILAUTOLINKS;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// HTML elements that have no closing tag.
bool isVoidElement(QByteArrayView name)
{
    static const QByteArrayView names[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                           "input", "link", "meta", "param", "source", "track", "wbr"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](QByteArrayView n) { return name.compare(n, Qt::CaseInsensitive) == 0; });
}

struct Reader
{
    const char *input = nullptr;
    qsizetype size = 0;
    QList<MD_BLOCKTYPE> blocks;
    int closedSpans = 0;  // links, images and code spans open around the text
    int struckSpans = 0;  // strikethrough open around the text
    int htmlElements = 0; // raw HTML elements open in the current block
    bool afterLink = false;
    QByteArray tagName; // the raw HTML tag being read, when it opens or closes an element
    bool closingTag = false, selfClosing = false;
    QList<ByteRange> places;
    QList<ByteRange> unread;        // bare web addresses and lines read otherwise by GitHub
    ByteRange paragraph = {-1, -1}; // the words of the paragraph or list item being read
    qsizetype lazyLine = -1;        // its first line that continues a list item or quote unmarked

    // Words of a paragraph, a tight list item (its paragraph is not reported as one) or a table
    // body cell; header cells and headings are titles, left as they are.
    bool inText() const
    {
        if (blocks.isEmpty() || closedSpans > 0 || struckSpans > 0 || htmlElements > 0)
            return false;
        const MD_BLOCKTYPE block = blocks.last();
        return block == MD_BLOCK_P || block == MD_BLOCK_LI || block == MD_BLOCK_TD;
    }

    // An element opens at its tag and closes at its closing tag; a tag split over lines comes in
    // pieces, and whether it closes itself shows only in the last piece.
    void endTag()
    {
        if (tagName.isEmpty())
            return;
        if (closingTag)
            htmlElements = std::max(0, htmlElements - 1);
        else if (!selfClosing && !isVoidElement(tagName))
            ++htmlElements;
        tagName.clear();
    }

    void readHtml(QByteArrayView piece)
    {
        if (piece.startsWith('<')) {
            endTag();
            closingTag = piece.startsWith("</");
            const qsizetype start = closingTag ? 2 : 1;
            qsizetype end = start;
            while (end < piece.size() && (std::isalnum(quint8(piece[end])) || piece[end] == '-'))
                ++end;
            tagName = piece.sliced(start, end - start).toByteArray(); // empty for a comment
        }
        if (!piece.trimmed().isEmpty())
            selfClosing = piece.trimmed().endsWith("/>");
    }

    // GitHub's bare web addresses that start in the words first..last: "http://", "https://" or
    // "ftp://" after anything but a letter, "www." after a space, a line start or one of "*_~(".
    // Each runs to the next space or "<", whatever it holds.
    void findAddresses(qsizetype first, qsizetype last)
    {
        const QByteArrayView words(input + first, last - first);
        for (qsizetype k = 0; k < words.size(); ++k) {
            qsizetype start = -1;
            if (words.sliced(k).startsWith("://")) {
                start = k;
                while (start > 0 && std::isalpha(quint8(words[start - 1])))
                    --start;
                const QByteArray scheme = words.sliced(start, k - start).toByteArray().toLower();
                if (scheme != "http" && scheme != "https" && scheme != "ftp")
                    start = -1;
            } else if (words.sliced(k).startsWith("www.")) {
                const char before = first + k > 0 ? input[first + k - 1] : ' ';
                if (isSpace(before) || (before != 0 && std::strchr("*_~(", before)))
                    start = k;
            }
            if (start < 0)
                continue;
            qsizetype end = first + k;
            while (end < size && !isSpace(input[end]) && input[end] != '<')
                ++end;
            unread.append({first + start, end});
            k = end - first;
        }
    }

    // A line of a list item or quote that is neither indented nor quoted continues it lazily; a
    // paragraph whose first line is indented with a tab may be code to GitHub.
    void readLine(qsizetype at, qsizetype length)
    {
        qsizetype line = at;
        while (line > 0 && (input[line - 1] == ' ' || input[line - 1] == '\t'))
            --line;
        const bool lineStart = line == 0 || input[line - 1] == '\n';
        if (paragraph.first < 0 && lineStart && QByteArrayView(input + line, at - line).contains('\t'))
            lazyLine = at;
        paragraph = {paragraph.first < 0 ? at : paragraph.first, at + length};
        const bool nested = blocks.contains(MD_BLOCK_LI) || blocks.contains(MD_BLOCK_QUOTE);
        if (nested && lazyLine < 0 && lineStart && line == at)
            lazyLine = at;
    }

    void text(MD_TEXTTYPE type, const char *text, qsizetype length)
    {
        // Line breaks and replacement characters are not pieces of the source.
        const bool fromSource = !std::less<>()(text, input) && !std::less<>()(input + size, text + length);
        const qsizetype at = text - input;
        if (fromSource && !blocks.isEmpty() && (blocks.last() == MD_BLOCK_P || blocks.last() == MD_BLOCK_LI))
            readLine(at, length);
        if (type == MD_TEXT_HTML) {
            if (fromSource)
                readHtml(QByteArrayView(text, length));
            return;
        }
        endTag();
        const bool linkBefore = std::exchange(afterLink, false);
        if (!fromSource || !inText())
            return;
        // "[x]" followed by "[K](L)" reads as "[x][K]", a reference to K: the link before would
        // lose its reference.
        const qsizetype first = linkBefore && at > 0 && input[at - 1] == ']' ? at + 1 : at;
        if (type == MD_TEXT_NORMAL) {
            words(first, at + length);
            findAddresses(at, at + length);
        } else if (type == MD_TEXT_ENTITY) { // around a character reference, never inside it
            places.append({first, at});
            places.append({at + length, at + length});
        }
    }

    // Where md4c and GitHub may read a paragraph's lines differently, nothing goes from that line
    // on: GitHub starts a table at a line followed by a line of "|", "-" and ":", where md4c reads
    // on; a line of a list item or quote that is neither indented nor quoted may start a block of
    // its own, up to the next blank line.
    void endParagraph()
    {
        const auto [first, last] = std::exchange(paragraph, {-1, -1});
        const qsizetype lazy = std::exchange(lazyLine, -1);
        qsizetype line = first;
        for (qsizetype p = first; p < last && (lazy < 0 || p < lazy); ++p) {
            if (input[p] != '\n')
                continue;
            qsizetype q = p + 1, dashes = 0, bars = 0;
            while (q < size && (isSpace(input[q]) || input[q] == '>') && input[q] != '\n')
                ++q;
            for (; q < size && input[q] != '\r' && input[q] != '\n'; ++q) {
                if (!std::strchr(" \t|:-", input[q]))
                    break;
                dashes += input[q] == '-';
                bars += input[q] == '|';
            }
            if (dashes > 0 && bars > 0 && (q == size || input[q] == '\r' || input[q] == '\n'))
                return cutFrom(line);
            line = p + 1;
        }
        if (lazy >= 0) {
            qsizetype blank = lazy; // GitHub may end there a block that md4c does not see
            for (bool empty = false; blank < size && !empty; ++blank) {
                if (input[blank] == '\n') {
                    qsizetype q = blank + 1;
                    while (q < size && (input[q] == ' ' || input[q] == '\t' || input[q] == '\r'))
                        ++q;
                    empty = q == size || input[q] == '\n';
                }
            }
            unread.append({lazy, blank});
        }
    }

    void cutFrom(qsizetype cut)
    {
        while (!places.isEmpty() && places.last().first >= cut)
            places.removeLast();
        if (!places.isEmpty())
            places.last().second = std::min(places.last().second, cut - 1);
    }

    // The positions first..last, except those touching a "~" (a link beside one could make a
    // strikethrough mark open or close where it did not) and those inside brackets.
    void words(qsizetype first, qsizetype last)
    {
        // Blanks that end a line are dropped by GitHub: a link after them would show them.
        qsizetype end = last;
        while (end < size && (input[end] == ' ' || input[end] == '\t'))
            ++end;
        if (end == size || input[end] == '\r' || input[end] == '\n') {
            while (last > first && (input[last - 1] == ' ' || input[last - 1] == '\t'))
                --last;
        }
        int brackets = 0; // GitHub may read "[x]" as a reference that md4c leaves as text
        for (qsizetype p = first; p <= last; ++p) {
            if (p > first && input[p - 1] == '[' && (p < 2 || input[p - 2] != '\\'))
                ++brackets;
            if (p > first && input[p - 1] == ']' && brackets > 0)
                --brackets;
            if (brackets > 0 || (p > 0 && input[p - 1] == '~') || (p < size && input[p] == '~')) {
                if (p > first)
                    places.append({first, p - 1});
                first = p + 1;
            }
        }
        if (first <= last)
            places.append({first, last});
    }
};

int enterBlock(MD_BLOCKTYPE type, void *, void *userdata)
{
    auto *reader = static_cast<Reader *>(userdata);
    reader->endTag();
    reader->afterLink = false;
    reader->blocks.append(type);
    reader->htmlElements = 0;
    return 0;
}

int leaveBlock(MD_BLOCKTYPE type, void *, void *userdata)
{
    auto *reader = static_cast<Reader *>(userdata);
    reader->endTag();
    if (type == MD_BLOCK_P || type == MD_BLOCK_LI)
        reader->endParagraph();
    reader->afterLink = false;
    reader->blocks.removeLast();
    reader->htmlElements = 0;
    return 0;
}

bool closes(MD_SPANTYPE type)
{
    return type == MD_SPAN_A || type == MD_SPAN_IMG || type == MD_SPAN_CODE || type == MD_SPAN_LATEXMATH ||
           type == MD_SPAN_LATEXMATH_DISPLAY || type == MD_SPAN_WIKILINK;
}

int enterSpan(MD_SPANTYPE type, void *, void *userdata)
{
    auto *reader = static_cast<Reader *>(userdata);
    reader->endTag();
    reader->afterLink = false;
    reader->closedSpans += closes(type);
    reader->struckSpans += type == MD_SPAN_DEL;
    return 0;
}

int leaveSpan(MD_SPANTYPE type, void *, void *userdata)
{
    auto *reader = static_cast<Reader *>(userdata);
    reader->endTag();
    reader->closedSpans -= closes(type);
    reader->struckSpans -= type == MD_SPAN_DEL;
    reader->afterLink = type == MD_SPAN_A || type == MD_SPAN_IMG;
    return 0;
}

int text(MD_TEXTTYPE type, const MD_CHAR *text, MD_SIZE size, void *userdata)
{
    static_cast<Reader *>(userdata)->text(type, text, size);
    return 0;
}

} // namespace

Placement::Ranges Placement::MarkdownPlaces(QStringView article)
{
    const Utf8Text utf8(article);
    Reader reader;
    reader.input = utf8.bytes().constData();
    reader.size = utf8.bytes().size();
    const MD_PARSER parser = {.abi_version = 0,
                              .flags = Dialect,
                              .enter_block = enterBlock,
                              .leave_block = leaveBlock,
                              .enter_span = enterSpan,
                              .leave_span = leaveSpan,
                              .text = text,
                              .debug_log = nullptr,
                              .syntax = nullptr};
    if (md_parse(reader.input, MD_SIZE(reader.size), &parser, &reader) != 0)
        return {};
    std::sort(reader.places.begin(), reader.places.end());
    Ranges places;
    for (const auto &[first, last] : reader.places)
        Append(places, utf8.position(first), utf8.position(last));
    // Nothing goes right before a bare web address, inside it or right after it, where GitHub
    // would take the link for more of the address; nor in lines GitHub reads otherwise.
    std::sort(reader.unread.begin(), reader.unread.end());
    QList<std::pair<qsizetype, qsizetype>> unread;
    for (const auto &[first, last] : reader.unread) {
        const qsizetype start = utf8.position(first);
        unread.append({start - 1, utf8.position(last) - start + 2});
    }
    return Outside(places, unread);
}
