#pragma once

#include <QString>

// Where the two links go in an article of length L (UTF-16 units, CR LF counting two): after
// the first third, and after the third of three nearly equal parts of the rest.
struct InsertionPoints
{
    qsizetype first;
    qsizetype second;
};

InsertionPoints InsertionPointsFor(qsizetype length);
// The points for this article: one that falls between the CR and the LF of a line break, or
// between the halves of a surrogate pair, moves one unit back, before the pair.
InsertionPoints InsertionPointsIn(QStringView article);
QString InsertPair(const QString &article, const QString &link1, const QString &link2);
// The article with link1 at the first point and link2 at the second (first <= second).
QString InsertPairAt(QStringView article, InsertionPoints points, const QString &link1, const QString &link2);
