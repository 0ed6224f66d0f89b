#pragma once

#include "Insertion.h"

#include <QStringView>

// Insertion that keeps what the article already holds whole. A point strictly inside an HTML tag
// ("<…>", comments included), a UBB tag ("[b]", "[/url]"), an existing link ("<a …>…</a>",
// "[url…]…[/url]", "[…](…)"), or a run of ASCII letters, digits and punctuation (an English word,
// a number, a web address, a character entity such as "&nbsp;") moves to the first position after
// it, or, when nothing follows it, to the position before it (and from then on only back, out of
// whatever else holds it). Everything that bounds such a span is
// an ASCII character, so a point that was not inside a CR LF or a surrogate pair never lands in one.
qsizetype PointOutsideMarkup(QStringView article, qsizetype point);
// Both points moved on their own; if they cross, they are put back in order.
InsertionPoints PointsOutsideMarkup(QStringView article, InsertionPoints points);
