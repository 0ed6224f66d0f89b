#include "Placement.h"

#include <md4c.h>

#include <algorithm>
#include <cctype>
#include <utility>

// The article is read as GitHub-flavoured Markdown (tables, strikethrough, task lists, bare web
// addresses as links), the dialect most sites that take Markdown render. md4c hands out its text
// as pieces of the source, so the places are the pieces of a paragraph's own words; every other
// character of the article is mark-up, code, a link, raw HTML or a heading, and is left alone.
namespace {

using ByteRange = std::pair<qsizetype, qsizetype>; // first and last byte offset, both included

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
    bool linkOpened = false;
    QByteArray tagName; // the raw HTML tag being read, when it opens or closes an element
    bool closingTag = false, selfClosing = false;
    QList<ByteRange> places;

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

    void text(MD_TEXTTYPE type, const char *text, qsizetype length)
    {
        const qsizetype at = text - input;
        const bool inInput = text >= input && at + length <= size;
        if (type == MD_TEXT_HTML) {
            if (inInput)
                readHtml(QByteArrayView(text, length));
            return;
        }
        endTag();
        const bool linkBefore = std::exchange(afterLink, false);
        // A link whose text starts right where the words before it end is a bare web address,
        // which is a link only after a space, a line start or a bracket: nothing may go before it.
        if (std::exchange(linkOpened, false) && !places.isEmpty() && places.last().second == at &&
            --places.last().second < places.last().first)
            places.removeLast();
        if (!inInput || !inText())
            return;
        // "[x]" followed by "[K](L)" reads as "[x][K]", a reference to K: the link before would
        // lose its reference.
        const qsizetype first = linkBefore && at > 0 && input[at - 1] == ']' ? at + 1 : at;
        if (type == MD_TEXT_NORMAL) {
            places.append({first, at + length});
        } else if (type == MD_TEXT_ENTITY) { // around a character reference, never inside it
            places.append({first, at});
            places.append({at + length, at + length});
        }
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

int leaveBlock(MD_BLOCKTYPE, void *, void *userdata)
{
    auto *reader = static_cast<Reader *>(userdata);
    reader->endTag();
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
    reader->linkOpened = reader->closedSpans == 0 && (type == MD_SPAN_A || type == MD_SPAN_IMG);
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
                              .flags = MD_DIALECT_GITHUB,
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
    for (const auto &[first, last] : reader.places) {
        const Range range = {utf8.position(first), utf8.position(last)};
        if (range.first > range.last)
            continue;
        if (!places.isEmpty() && places.last().last + 1 >= range.first)
            places.last().last = std::max(places.last().last, range.last);
        else
            places.append(range);
    }
    return places;
}
