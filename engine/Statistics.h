#pragma once

#include <QString>
#include <QStringView>

// What the window caption shows of an article: Chinese characters (every character that is
// two bytes in GBK, or the euro sign) and the size in GBK bytes. CR LF counts as two bytes.
struct ArticleStatistics
{
    qint64 chinese = 0;
    qint64 bytes = 0;
};

ArticleStatistics CountArticle(QStringView article);
// "（全文共N个汉字-大小：M字节）"
QString StatisticsText(const ArticleStatistics &stats);
