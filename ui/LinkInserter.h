#pragma once

#include "KeywordRotation.h"
#include "Linker.h"
#include "RandomSource.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class ArticleEditor;
class KeywordMatcher;
class KeywordTable;
class QLabel;
class QWidget;

// The generate button's controller. It keeps the pending links (two unless the options say
// otherwise), drawn in advance and shown in the preview, so the user sees which keywords the next
// press will use; with 文中匹配 on, the preview also tells which of them go on the article's own
// words, worked out again shortly after the article changes. The linking itself is the engine's;
// this turns its refusals into message boxes, shows the preview, makes the edits, marks the links
// and copies the article.
class LinkInserter
{
    Q_DISABLE_COPY_MOVE(LinkInserter)

public:
    // The controls it works: the window (the parent of its message boxes), the article editor, the
    // preview label, and the options as the window's controls show them. `linked`, when given,
    // learns the links each generate put into the article, before the next ones are drawn.
    struct View
    {
        QWidget *window;
        ArticleEditor *editor;
        QLabel *preview;
        std::function<Options()> options;
        std::function<void(const QList<Linker::Link> &links)> linked = {};
    };

    LinkInserter(const KeywordTable &table, RandomSource &random, View view);
    ~LinkInserter();

    // Draws new pending links and shows their keywords in the preview. Needs two records.
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
    const QList<Linker::Link> &pending() const { return m_pending; }
    // How many links each record has had (see KeywordRotation::setLinked).
    void setLinked(std::function<qint64(qsizetype position)> linked) { m_rotation.setLinked(std::move(linked)); }

    // How long after an edit the preview of 文中匹配 is worked out again.
    static constexpr int PreviewDelay = 300;
    // To be told of every change to the article.
    void articleChanged();
    // Works out the preview of 文中匹配 now, if it waits.
    void refreshPreview();

private:
    // What a layout was worked out for: the document's and the list's revisions and the options
    // it depends on.
    struct LayoutKey
    {
        int document;
        quint64 list;
        Options options;
        bool operator==(const LayoutKey &) const = default;
    };
    LayoutKey layoutKey(const Options &options) const;
    QList<Linker::Link> drawnLinks() const;
    void showPreview();
    // The keyword list's matcher, built again after a change to the list.
    std::shared_ptr<const KeywordMatcher> sharedMatcher();
    QList<Linker::Edit> assign(const Linker::Layout &layout, const Options &options);
    // The edits of the next generate for the article.
    QList<Linker::Edit> plan(const Options &options);

    const KeywordTable &m_table;
    RandomSource &m_random;
    View m_view;
    QList<Linker::Link> m_pending;
    KeywordRotation m_rotation;
    qint64 m_hanziCount = 0;
    std::shared_ptr<const KeywordMatcher> m_matcher;
    quint64 m_matcherRevision = 0;
    std::optional<std::pair<LayoutKey, Linker::Layout>> m_layout; // the last one worked out
    std::optional<LayoutKey> m_laying;                            // the one on its way, if any
    std::optional<QList<Linker::Edit>> m_preview;                 // what the preview shows, when it tells
    QTimer m_previewTimer;
};
