#include "TextCut.h"

QString GetLeftPart(const QString &Con, const QString &tag)
{
    const qsizetype p = Con.indexOf(tag);
    return p < 0 ? QString() : Con.left(p);
}

QString GetRightPart(const QString &Con, const QString &tag)
{
    const qsizetype p = Con.indexOf(tag);
    return p < 0 ? QString() : Con.sliced(p + tag.size());
}

QString GetBetweenPart(const QString &Con, const QString &tag1, const QString &tag2)
{
    if (!Con.contains(tag1) || !Con.contains(tag2))
        return QString();
    return GetLeftPart(GetRightPart(Con, tag1), tag2);
}
