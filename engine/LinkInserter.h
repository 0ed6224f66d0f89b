#pragma once

#include "InsertionHost.h"
#include "KeywordRotation.h"
#include "RandomSource.h"

#include <QString>

class KeywordTable;

// The generate button's logic and the pending pair it inserts: two link mark-ups drawn in
// advance and shown in the preview, so the user sees which keywords the next press will use.
class LinkInserter
{
    Q_DISABLE_COPY_MOVE(LinkInserter)

public:
    static constexpr int MinimumRecords = 2;
    static constexpr int MinimumChinese = 80;
    static constexpr int MaxSecondDraws = 20;

    LinkInserter(const KeywordTable &table, InsertionHost &host, RandomSource &random);

    // Mark-up for one record drawn at random, in the options' current style. Needs count() >= 1.
    QString Keywords();
    // Draws a new pending pair (the second differing from the first if 20 tries allow, or taken
    // from the rotation when it is on) and shows its keywords in the preview. Needs two records.
    void GetKey();
    // The preview refresh: a new pair when there are two records, otherwise a notice instead.
    void Getkey1();
    // The generate button: two refusals, the insertion, the optional copy, the next pair.
    void Generate();
    // The article's statistics as the window keeps them: remembers the Chinese count and returns
    // the caption's text.
    QString Tongji();

    qint64 HanziCount() const { return m_hanziCount; }
    const QString &PendingLink1() const { return m_pendingLink1; }
    const QString &PendingLink2() const { return m_pendingLink2; }

private:
    struct Link
    {
        QString markup;
        QString keyWord;
    };
    Link draw(qsizetype position);
    void drawRotated();
    void setPending(const Link &first, const Link &second);

    const KeywordTable &m_table;
    InsertionHost &m_host;
    RandomSource &m_random;
    QString m_pendingLink1;
    QString m_pendingLink2;
    // Kept beside the mark-up for the preview: UBB and Markdown escape the keyword inside it.
    QString m_pendingKeyWord1;
    QString m_pendingKeyWord2;
    KeywordRotation m_rotation;
    qint64 m_hanziCount = 0;
};
