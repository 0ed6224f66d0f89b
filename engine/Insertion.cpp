#include "Insertion.h"

namespace {
// A link between CR and LF would leave a lone CR, which the editor turns into a second line
// break; one between the halves of a surrogate pair would break the character in two.
qsizetype outsidePairs(QStringView article, qsizetype point)
{
    if (point <= 0 || point >= article.size())
        return point;
    const QChar before = article.at(point - 1), after = article.at(point);
    const bool splitsLineBreak = before == u'\r' && after == u'\n';
    const bool splitsCharacter = before.isHighSurrogate() && after.isLowSurrogate();
    return splitsLineBreak || splitsCharacter ? point - 1 : point;
}
} // namespace

InsertionPoints InsertionPointsFor(qsizetype length)
{
    const qsizetype x = length / 3;
    const qsizetype y = (length - x) / 3;
    const qsizetype z = (length - x - y) / 2;
    return {x, x + y + z};
}

InsertionPoints InsertionPointsIn(QStringView article)
{
    const InsertionPoints p = InsertionPointsFor(article.size());
    return {outsidePairs(article, p.first), outsidePairs(article, p.second)};
}

QString InsertPair(const QString &article, const QString &link1, const QString &link2)
{
    return InsertPairAt(article, InsertionPointsIn(article), link1, link2);
}

QString InsertPairAt(QStringView article, InsertionPoints p, const QString &link1, const QString &link2)
{
    QString out;
    out.reserve(article.size() + link1.size() + link2.size());
    out.append(article.first(p.first));
    out.append(link1);
    out.append(article.sliced(p.first, p.second - p.first));
    out.append(link2);
    out.append(article.sliced(p.second));
    return out;
}
