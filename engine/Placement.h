#pragma once

#include "Options.h"

#include <QByteArray>
#include <QList>
#include <QStringView>

// Where in an article link mark-up may go. A position is a UTF-16 offset into the article's CR LF
// text, from 0 (before the first character) to its length (after the last).
namespace Placement {

// The positions first..last, both included.
struct Range
{
    qsizetype first = 0;
    qsizetype last = 0;
    bool operator==(const Range &) const = default;
};
// In order, disjoint and not touching.
using Ranges = QList<Range>;

// Adds first..last to ranges built in order of their first position, joining it to the last range
// when they overlap or touch; an empty span (first > last) adds nothing.
void Append(Ranges &ranges, qsizetype first, qsizetype last);
// Every position of an article of `length` units.
Ranges Everywhere(qsizetype length);
// The positions in both.
Ranges Intersect(const Ranges &a, const Ranges &b);
// The positions of `within` not strictly inside any of the spans (start, start + length), which
// must be in order of their start.
Ranges Outside(const Ranges &within, const QList<std::pair<qsizetype, qsizetype>> &spans);
// The nearest allowed position at or after `point`, or, when none follows, the last one before
// it; `point` itself when nothing is allowed.
qsizetype Nearest(const Ranges &allowed, qsizetype point);

// Whether a position between these two characters splits a CR LF line break or a surrogate pair.
bool SplitsPair(QChar before, QChar after);
// Positions that do not split a CR LF line break or a surrogate pair.
Ranges PairPlaces(QStringView article);
// Positions that split nothing in plain text: not between the CR and the LF of a line break, not
// between the halves of a surrogate pair, not inside a run of ASCII letters, digits and
// punctuation other than the mark-up characters < > [ ] (an English word, a number, a web
// address, a character entity).
Ranges TextPlaces(QStringView article);

// Where each format renders a link inserted at the position as a link, and the article around it
// as before. The three readers are in their own files.
Ranges HtmlPlaces(QStringView article);
Ranges MarkdownPlaces(QStringView article);
Ranges UbbPlaces(QStringView article);

// Positions where a Markdown link does not change the article's own text: not right after a "!"
// (the link would become an image) or a "\" (it would show literally), and not touching a run of
// "*" or "_" (it would break the emphasis). Holds for Markdown whether or not mark-up is avoided.
Ranges MarkdownSafePlaces(QStringView article);

// Where the format renders a link as a link and leaves the article's own text as it was: its
// reader's places, for Markdown only the safe ones.
Ranges FormatPlaces(QStringView article, LinkFormat format);
// Positions outside the lines that read as headings in plain text: a line of 1 to
// MaxHeadingLength characters (not counting spaces at its ends, nor the format's tags) whose last
// character, after any closing quotes and brackets, is not a clause mark (see ClauseEnd). Such a
// line is excluded from its start to its end.
constexpr qsizetype MaxHeadingLength = 30;
Ranges BodyPlaces(QStringView article, LinkFormat format);
// Where a link may go at all: the format's places in the body, splitting no line break or
// surrogate pair. Links on the article's own words and links at clause ends keep to these.
Ranges LinkPlaces(QStringView article, LinkFormat format);
// The same from the format's places already read.
Ranges LinkPlaces(QStringView article, LinkFormat format, const Ranges &formatPlaces);

// What the option 避开标签 allows for an article in `format`: the format's places that split
// nothing in the text.
Ranges AllowedPlaces(QStringView article, LinkFormat format);
// The same from the format's places already read.
Ranges AllowedPlaces(QStringView article, const Ranges &formatPlaces);

// The clause end nearest to `point` within `reach` units either way (the later one on a tie), or
// `point` when there is none. A clause end is an allowed position right after a clause mark
// (，。；：！？、 and their full-width or ideographic forms, and any closing quotes and brackets after
// them), after an ASCII , . ; : ! ? and the space that follows it, or at the end of a paragraph.
constexpr qsizetype ClauseReach = 300;
qsizetype ClauseEnd(QStringView article, const Ranges &allowed, qsizetype point, qsizetype reach = ClauseReach);

// UTF-8 byte offsets of a UTF-16 text and back, for parsers that read UTF-8.
class Utf8Text
{
public:
    explicit Utf8Text(QStringView text);
    const QByteArray &bytes() const { return m_bytes; }
    // The UTF-16 position of a byte offset, 0..bytes().size(); an offset inside a character's
    // bytes gives the position after it.
    qsizetype position(qsizetype byteOffset) const;

private:
    static constexpr int Block = 256;
    QByteArray m_bytes;
    QList<qsizetype> m_blockPositions; // the UTF-16 units of the characters that start before each block
};

} // namespace Placement
