#include "LinkInserter.h"

#include "Insertion.h"
#include "KeywordTable.h"
#include "MarkupAvoidance.h"
#include "Statistics.h"
#include "TextCut.h"

LinkInserter::LinkInserter(const KeywordTable &table, InsertionHost &host, RandomSource &random)
    : m_table(table), m_host(host), m_random(random)
{
}

LinkInserter::Link LinkInserter::draw(qsizetype i)
{
    const LinkStyle style{m_host.optionState(InsertionHost::Option::Bold),
                          m_host.optionState(InsertionHost::Option::Italic),
                          m_host.optionState(InsertionHost::Option::NewWindow), m_host.linkFormat()};
    return {BuildMarkup(m_table.keyWord(i), m_table.link(i), style), m_table.keyWord(i)};
}

QString LinkInserter::Keywords()
{
    return draw(m_random.position(m_table.count())).markup;
}

void LinkInserter::GetKey()
{
    if (m_host.optionState(InsertionHost::Option::RotateKeywords) == BoxState::Checked) {
        drawRotated();
    } else {
        m_rotation.restart(); // switching the rotation on starts a fresh cycle
        Link first = draw(m_random.position(m_table.count())), second;
        int attempts = 0;
        for (;;) {
            second = draw(m_random.position(m_table.count()));
            ++attempts;
            if (attempts == MaxSecondDraws || second.markup != first.markup)
                break;
        }
        setPending(first, second);
    }
    QString k1 = m_pendingKeyWord1, k2 = m_pendingKeyWord2;
    if (m_host.linkFormat() == LinkFormat::Html) {
        // HTML keeps showing what its mark-up holds, which differs from the keyword only for
        // keywords that themselves contain `">` or "alt=".
        const QString tag1 = QStringLiteral("alt=\"");
        const QString tag2 = QStringLiteral("\">");
        k1 = GetBetweenPart(m_pendingLink1, tag1, tag2);
        k2 = GetBetweenPart(m_pendingLink2, tag1, tag2);
    }
    m_host.setPreviewCaption(QStringLiteral("①") + KeywordTable::shown(k1) + QStringLiteral("  ②") +
                             KeywordTable::shown(k2));
}

void LinkInserter::drawRotated()
{
    const qsizetype n = m_table.count();
    const Link first = draw(m_rotation.next(n, m_table.revision(), m_random));
    // The second differs from the first whenever any record's mark-up does.
    const Link second = draw(
        m_rotation.next(n, m_table.revision(), m_random, [&](qsizetype i) { return draw(i).markup != first.markup; }));
    setPending(first, second);
}

void LinkInserter::setPending(const Link &first, const Link &second)
{
    m_pendingLink1 = first.markup;
    m_pendingKeyWord1 = first.keyWord;
    m_pendingLink2 = second.markup;
    m_pendingKeyWord2 = second.keyWord;
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
    // A point first moves out of a CR LF or surrogate pair, then out of mark-up; the second move
    // never lands inside such a pair again.
    InsertionPoints points = InsertionPointsIn(article);
    if (m_host.optionState(InsertionHost::Option::AvoidMarkup) == BoxState::Checked)
        points = PointsOutsideMarkup(article, points);
    m_host.setArticleText(InsertPairAt(article, points, m_pendingLink1, m_pendingLink2));
    m_host.showInsertedLinks({points.first, m_pendingLink1.size()},
                             {points.second + m_pendingLink1.size(), m_pendingLink2.size()});
    if (m_host.optionState(InsertionHost::Option::CopyAfterGenerate) == BoxState::Checked)
        m_host.copyToClipboard(m_host.articleText());
    GetKey();
}
