#include "LinkInserter.h"

#include "Insertion.h"
#include "KeywordTable.h"
#include "Statistics.h"
#include "TextCut.h"

LinkInserter::LinkInserter(const KeywordTable &table, InsertionHost &host, RandomSource &random)
    : m_table(table), m_host(host), m_random(random)
{
}

QString LinkInserter::Keywords()
{
    const qsizetype i = m_random.position(m_table.count());
    const LinkStyle style{m_host.optionState(InsertionHost::Option::Bold),
                          m_host.optionState(InsertionHost::Option::Italic),
                          m_host.optionState(InsertionHost::Option::NewWindow)};
    return BuildMarkup(m_table.keyWord(i), m_table.link(i), style);
}

void LinkInserter::GetKey()
{
    m_pendingLink1 = Keywords();
    int attempts = 0;
    for (;;) {
        m_pendingLink2 = Keywords();
        ++attempts;
        if (attempts == MaxSecondDraws || m_pendingLink2 != m_pendingLink1)
            break;
    }
    const QString tag1 = QStringLiteral("alt=\"");
    const QString tag2 = QStringLiteral("\">");
    const QString k1 = GetBetweenPart(m_pendingLink1, tag1, tag2);
    const QString k2 = GetBetweenPart(m_pendingLink2, tag1, tag2);
    m_host.setPreviewCaption(QStringLiteral("①") + k1 + QStringLiteral("  ②") + k2);
}

void LinkInserter::Getkey1()
{
    if (m_table.count() >= MinimumRecords)
        GetKey();
    else
        m_host.setPreviewCaption(QStringLiteral("关键字少于2个"));
}

QString LinkInserter::Tongji()
{
    const ArticleStatistics stats = m_host.articleStatistics();
    m_hanziCount = stats.chinese;
    return StatisticsText(stats);
}

void LinkInserter::Generate()
{
    if (m_table.count() < MinimumRecords) {
        m_host.showWarning(QStringLiteral("关键字少于两个？多加点吧！"));
        return;
    }
    Tongji();
    if (m_hanziCount < MinimumChinese) {
        m_host.showWarning(QStringLiteral("文章字数不能少于80个字，多写点吧！"));
        return;
    }
    const QString article = m_host.articleText();
    m_host.setArticleText(InsertPair(article, m_pendingLink1, m_pendingLink2));
    if (m_host.optionState(InsertionHost::Option::CopyAfterGenerate) == BoxState::Checked)
        m_host.copyToClipboard(m_host.articleText());
    GetKey();
}
