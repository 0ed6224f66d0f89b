// Where a link can go in an HTML article: read by gumbo, an HTML5 parser that builds the tree a
// browser builds, including its error recovery. A link may go only into text the page shows as
// running text of its body; anything the parser would put elsewhere, swallow or show differently
// is left out.
#include "Placement.h"

#include <gumbo.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace Placement {

namespace {

using Spans = QList<std::pair<qsizetype, qsizetype>>;

bool asciiLetter(char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

bool asciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// A "<" starts a tag, a comment or a declaration when a letter, "/", "!" or "?" follows;
// otherwise it is a literal "<".
bool opensTag(const QByteArray &bytes, qsizetype i)
{
    if (bytes[i] != '<' || i + 1 >= bytes.size())
        return false;
    const char next = bytes[i + 1];
    return asciiLetter(next) || next == '/' || next == '!' || next == '?';
}

// The offset after the ">" that closes the tag opened at `i`, skipping quoted attribute values,
// which may hold ">"; -1 when the tag is not closed before `end`.
qsizetype tagEnd(const QByteArray &bytes, qsizetype i, qsizetype end)
{
    char quote = 0;
    bool value = false; // after "=", where a quote opens a value
    for (++i; i < end; ++i) {
        const char c = bytes[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '>') {
            return i + 1;
        } else if (value && (c == '"' || c == '\'')) {
            quote = c;
        } else if (c == '=') {
            value = true;
        } else if (!asciiSpace(c)) {
            value = false;
        }
    }
    return -1;
}

// Elements whose content is not running text of the page, or where a link would not work or show
// as one: scripts and styles, form controls, code, headings, links and buttons, embedded content
// and its fallback, drawings and formulas, and whatever the page hides.
bool closed(const GumboNode *node)
{
    const GumboElement &e = node->v.element;
    if (e.tag_namespace != GUMBO_NAMESPACE_HTML || gumbo_get_attribute(&e.attributes, "hidden"))
        return true;
    switch (e.tag) {
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_OPTGROUP:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_PROGRESS:
    case GUMBO_TAG_METER:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_CODE:
    case GUMBO_TAG_KBD:
    case GUMBO_TAG_SAMP:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_A:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_RT:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_APPLET:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
        return true;
    case GUMBO_TAG_DETAILS: // closed, it shows its summary only
        return !gumbo_get_attribute(&e.attributes, "open");
    default:
        return false;
    }
}

// Elements shown inside a line of text.
bool inlineElement(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_A:
    case GUMBO_TAG_SPAN:
    case GUMBO_TAG_B:
    case GUMBO_TAG_I:
    case GUMBO_TAG_U:
    case GUMBO_TAG_S:
    case GUMBO_TAG_EM:
    case GUMBO_TAG_STRONG:
    case GUMBO_TAG_SMALL:
    case GUMBO_TAG_BIG:
    case GUMBO_TAG_FONT:
    case GUMBO_TAG_MARK:
    case GUMBO_TAG_SUB:
    case GUMBO_TAG_SUP:
    case GUMBO_TAG_LABEL:
    case GUMBO_TAG_Q:
    case GUMBO_TAG_CITE:
    case GUMBO_TAG_DFN:
    case GUMBO_TAG_ABBR:
    case GUMBO_TAG_ACRONYM:
    case GUMBO_TAG_TIME:
    case GUMBO_TAG_DATA:
    case GUMBO_TAG_CODE:
    case GUMBO_TAG_KBD:
    case GUMBO_TAG_SAMP:
    case GUMBO_TAG_VAR:
    case GUMBO_TAG_INS:
    case GUMBO_TAG_DEL:
    case GUMBO_TAG_STRIKE:
    case GUMBO_TAG_BDI:
    case GUMBO_TAG_BDO:
    case GUMBO_TAG_NOBR:
    case GUMBO_TAG_TT:
    case GUMBO_TAG_RUBY:
        return true;
    default:
        return false;
    }
}

// White space alone is part of a line between two inline elements that hold something; between
// blocks, or alone in an element, it would give a link put there a line of its own.
bool inLine(const GumboNode *space)
{
    const GumboVector &siblings = space->parent->v.element.children;
    auto holds = [&](size_t k) {
        const auto *node = k < siblings.length ? static_cast<const GumboNode *>(siblings.data[k]) : nullptr;
        return node && node->type == GUMBO_NODE_ELEMENT && inlineElement(node->v.element.tag) &&
               node->v.element.children.length > 0;
    };
    const size_t k = space->index_within_parent;
    return k > 0 && holds(k - 1) && holds(k + 1);
}

unsigned sourceOffset(const GumboNode *node)
{
    const bool element = node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
    return element ? node->v.element.start_pos.offset : node->v.text.start_pos.offset;
}

// Where in the article's bytes start..end a link would split mark-up: character references, and
// tags the parser dropped (a stray end tag, a second <body>) but which are mark-up in the article
// all the same. Appended to `marks` as spans of positions, (start, length).
void markUp(const Utf8Text &text, qsizetype start, qsizetype end, Spans &marks)
{
    const QByteArray &bytes = text.bytes();
    for (qsizetype i = start; i < end; ++i) {
        qsizetype j = i + 1, last = 0; // the span's end, and how far it reaches as a position
        if (bytes[i] == '&') {
            while (j < end && (asciiLetter(bytes[j]) || (bytes[j] >= '0' && bytes[j] <= '9') || bytes[j] == '#'))
                ++j;
            j += j < end && bytes[j] == ';';
            last = text.position(j);
        } else if (opensTag(bytes, i)) {
            j = tagEnd(bytes, i, end);
            // After </body> or </html>, and the white space that follows, the page has ended:
            // comments there go outside the body, unless a link put there takes the parser back.
            const QByteArrayView tag = QByteArrayView(bytes).sliced(i, std::min(end - i, qsizetype(6)));
            if (j > 0 &&
                (tag.compare("</body", Qt::CaseInsensitive) == 0 || tag.compare("</html", Qt::CaseInsensitive) == 0)) {
                while (j < end && asciiSpace(bytes[j]))
                    ++j;
                j = j == end ? -1 : j;
            }
            last = j < 0 ? text.position(end) + 1 : text.position(j); // an unclosed tag takes the end too
            j = j < 0 ? end : j;
        } else {
            continue;
        }
        const qsizetype first = text.position(i);
        marks.append({first, last - first});
        i = j - 1;
    }
}

// The positions of the text a link may go into, and the mark-up inside it. A template's content,
// never shown, is a node type of its own and never entered.
void collect(const GumboNode *body, const Utf8Text &text, Ranges &texts, Spans &marks)
{
    const QByteArray &bytes = text.bytes();
    QList<const GumboNode *> pending{body};
    while (!pending.isEmpty()) {
        const GumboNode *node = pending.takeLast();
        if (node->type == GUMBO_NODE_ELEMENT) {
            // Nodes written inside a table but outside its cells are shown in front of the table,
            // and so would a link be: the parser puts them before a node written earlier.
            const GumboVector &children = node->v.element.children;
            unsigned later = UINT_MAX;
            for (unsigned k = children.length; k-- > 0;) {
                const auto *child = static_cast<const GumboNode *>(children.data[k]);
                if (sourceOffset(child) < later && !(child->type == GUMBO_NODE_ELEMENT && closed(child)))
                    pending.append(child);
                later = std::min(later, sourceOffset(child));
            }
            continue;
        }
        if (node->type != GUMBO_NODE_TEXT && (node->type != GUMBO_NODE_WHITESPACE || !inLine(node)))
            continue;
        qsizetype start = node->v.text.start_pos.offset;
        const qsizetype end = start + qsizetype(node->v.text.original_text.length);
        // The parser reads CR LF as LF and starts the text at the LF.
        if (start > 0 && bytes[start - 1] == '\r' && bytes[start] == '\n')
            --start;
        texts.append({text.position(start), text.position(end)});
        markUp(text, start, end, marks);
    }
}

// gumbo's defaults without the parse errors, which are not wanted: recording each one copies the
// open elements, which takes memory by the square of the nesting depth.
const GumboOptions parsing = [] {
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    return options;
}();

struct OutputDeleter
{
    void operator()(GumboOutput *output) const { gumbo_destroy_output(&parsing, output); }
};

} // namespace

Ranges HtmlPlaces(QStringView article)
{
    const Utf8Text text(article);
    const QByteArray &bytes = text.bytes();
    Spans marks;
    // Plain text, pasted without any tag, is shown as it is: a link goes anywhere but into a
    // character reference.
    bool tags = false;
    for (qsizetype i = 0; i < bytes.size() && !tags; ++i)
        tags = opensTag(bytes, i);
    if (!tags) {
        markUp(text, 0, bytes.size(), marks);
        return Outside(Everywhere(article.size()), marks);
    }

    const std::unique_ptr<GumboOutput, OutputDeleter> output(
        gumbo_parse_with_options(&parsing, bytes.constData(), size_t(bytes.size())));
    Ranges texts;
    const GumboVector &top = output->root->v.element.children;
    for (unsigned k = 0; k < top.length; ++k) {
        const auto *node = static_cast<const GumboNode *>(top.data[k]);
        if (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == GUMBO_TAG_BODY)
            collect(node, text, texts, marks);
    }

    std::sort(texts.begin(), texts.end(), [](const Range &a, const Range &b) { return a.first < b.first; });
    Ranges ranges;
    for (const Range &r : std::as_const(texts))
        Append(ranges, r.first, r.last);
    std::sort(marks.begin(), marks.end());
    return Outside(ranges, marks);
}

} // namespace Placement
