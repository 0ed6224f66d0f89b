#include "Insertion.h"

InsertionPoints InsertionPointsFor(qsizetype length)
{
    const qsizetype x = length / 3;
    const qsizetype y = (length - x) / 3;
    const qsizetype z = (length - x - y) / 2;
    return {x, x + y + z};
}

QString InsertPair(const QString &article, const QString &link1, const QString &link2)
{
    const InsertionPoints p = InsertionPointsFor(article.size());
    QString out;
    out.reserve(article.size() + link1.size() + link2.size());
    out.append(QStringView(article).first(p.first));
    out.append(link1);
    out.append(QStringView(article).sliced(p.first, p.second - p.first));
    out.append(link2);
    out.append(QStringView(article).sliced(p.second));
    return out;
}
