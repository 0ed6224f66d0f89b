#pragma once

#include "ArticleText.h"
#include "Options.h"

#include <QList>
#include <QStringView>

// Stretches of an article that a link must not split. A provider knows one kind of mark-up and
// finds what of it holds a point, looking only a limited distance around it, so the cost does not
// grow with the article.
class ProtectedSpans
{
public:
    virtual ~ProtectedSpans() = default;
    // The span holding `point` strictly inside it (start < point < start + length), the outermost
    // one first (a link before the tags and words in it); a span of length 0 when none does.
    virtual ArticleText::Span around(QStringView article, qsizetype point) const = 0;
};

// What the option 避开标签 keeps whole, asked in this order: HTML tags (comments included) and
// links ("<a …>…</a>"); UBB tags ("[b]", "[/url]") and links ("[url…]…[/url]"); Markdown links and
// images ("[…](…)"); runs of ASCII letters, digits and punctuation (an English word, a number, a
// web address, a character entity such as "&nbsp;"). Articles mix their forms (a Markdown article
// may hold HTML, a forum post quotes a web page), so every format keeps all four whole.
QList<const ProtectedSpans *> ProtectedSpansFor(LinkFormat format);

// The point moved out of every span the providers keep whole: to the first position after the
// span, or, when the span runs to the end of the article, to the position before it (and from then
// on only back, out of whatever else holds it). Everything that bounds these spans is an ASCII
// character, so a point that was not inside a CR LF or a surrogate pair never lands in one.
qsizetype MovePoint(QStringView article, qsizetype point, const QList<const ProtectedSpans *> &providers);
