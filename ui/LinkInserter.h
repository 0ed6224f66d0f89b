#pragma once

#include "KeywordRotation.h"
#include "Linker.h"
#include "RandomSource.h"

#include <QString>

#include <functional>

class ArticleEditor;
class KeywordTable;
class QLabel;
class QWidget;

// The generate button's controller. It keeps the pending pair: two links drawn in advance and
// shown in the preview, so the user sees which keywords the next press will use. The linking
// itself is the engine's; this turns its refusals into message boxes, shows the preview, marks the
// links and copies the article.
class LinkInserter
{
    Q_DISABLE_COPY_MOVE(LinkInserter)

public:
    // The controls it works: the window (the parent of its message boxes), the article editor, the
    // preview label, and the options as the window's controls show them.
    struct View
    {
        QWidget *window;
        ArticleEditor *editor;
        QLabel *preview;
        std::function<Options()> options;
    };

    LinkInserter(const KeywordTable &table, RandomSource &random, View view);

    // Draws a new pending pair and shows its keywords in the preview. Needs two records.
    void GetKey();
    // The preview refresh: a new pair when there are two records, otherwise a notice instead.
    void Getkey1();
    // The generate button: two refusals, the insertion, the optional copy, the next pair. Before
    // any pair was drawn, the pending pair is empty and the article stays as it is.
    void Generate();
    // The article's statistics as the window keeps them: remembers the Chinese count and returns
    // the caption's text.
    QString Tongji();

    qint64 HanziCount() const { return m_hanziCount; }
    QString PendingLink1() const { return m_pending.value(0).markup; }
    QString PendingLink2() const { return m_pending.value(1).markup; }

private:
    const KeywordTable &m_table;
    RandomSource &m_random;
    View m_view;
    QList<Linker::Link> m_pending;
    KeywordRotation m_rotation;
    qint64 m_hanziCount = 0;
};
