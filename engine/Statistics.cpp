#include "Statistics.h"

#include "Gbk.h"

ArticleStatistics CountArticle(QStringView article)
{
    const Gbk::Counts c = Gbk::count(article);
    return {c.chinese, c.bytes};
}

QString StatisticsText(const ArticleStatistics &stats)
{
    return QStringLiteral("（全文共") + QString::number(stats.chinese) + QStringLiteral("个汉字-大小：") +
           QString::number(stats.bytes) + QStringLiteral("字节）");
}
