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
QString InsertPair(const QString &article, const QString &link1, const QString &link2);
