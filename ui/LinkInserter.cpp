#include "LinkInserter.h"

#include "ArticleEditor.h"
#include "KeywordMatcher.h"
#include "KeywordTable.h"
#include "Messages.h"
#include "TextCut.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTextDocument>

namespace {
// What the preview shows of a link: HTML keeps showing what its mark-up holds, which differs from
// the keyword only for keywords that themselves contain `">` or "alt="; UBB and Markdown escape
// the keyword inside the mark-up, so the preview shows it as listed.
QString shownKeyword(const Linker::Link &link, LinkFormat format)
{
    return KeywordTable::shown(format == LinkFormat::Html
                                   ? GetBetweenPart(link.markup, QStringLiteral("alt=\""), QStringLiteral("\">"))
                                   : link.keyWord);
}

QString numbered(qsizetype k)
{
    return QString(QChar(0x2460 + int(k))); // ① … ⑩
}
} // namespace

LinkInserter::LinkInserter(const KeywordTable &table, RandomSource &random, View view)
    : m_table(table), m_random(random), m_view(std::move(view))
{
    m_previewTimer.setSingleShot(true);
    m_previewTimer.setInterval(PreviewDelay);
    QObject::connect(&m_previewTimer, &QTimer::timeout, [this] { refreshPreview(); });
}

void LinkInserter::GetKey()
{
    const Options options = m_view.options();
    m_pending = Linker::Draw(m_table, options.linkCount, options, m_random, m_rotation);
    m_plan.reset();
    showPreview();
    if (options.inPlace)
        m_previewTimer.start(); // which of them the article already has is worked out shortly
}

void LinkInserter::showPreview()
{
    const Options options = m_view.options();
    QStringList shown;
    if (m_plan) {
        // In the order of the article, each with where it goes.
        for (const Linker::Edit &edit : *m_plan)
            shown.append(numbered(shown.size()) + shownKeyword(edit.link, options.format) +
                         (edit.length > 0 ? QStringLiteral("（文中）") : QStringLiteral("（插入）")));
    } else {
        for (const Linker::Link &link : m_pending)
            shown.append(numbered(shown.size()) + shownKeyword(link, options.format));
    }
    m_view.preview->setText(shown.join(u"  "));
}

void LinkInserter::Getkey1()
{
    if (m_table.count() >= Linker::MinimumRecords)
        GetKey();
    else
        m_view.preview->setText(QStringLiteral("关键字少于2个"));
}

void LinkInserter::articleChanged()
{
    if (m_plan) {
        m_plan.reset();
        showPreview();
    }
    if (m_view.options().inPlace && m_table.count() >= Linker::MinimumRecords)
        m_previewTimer.start();
}

void LinkInserter::refreshPreview()
{
    m_previewTimer.stop();
    const Options options = m_view.options();
    if (!options.inPlace || m_table.count() < Linker::MinimumRecords || m_pending.isEmpty())
        return;
    plan(options);
    showPreview();
}

const KeywordMatcher &LinkInserter::matcher()
{
    if (!m_matcher || m_matcherRevision != m_table.revision()) {
        m_matcher = std::make_shared<const KeywordMatcher>(m_table);
        m_matcherRevision = m_table.revision();
    }
    return *m_matcher;
}

const QList<Linker::Edit> &LinkInserter::plan(const Options &options)
{
    const int revision = m_view.editor->document()->revision();
    if (!m_plan || m_planRevision != revision || m_planOptions != options) {
        // Before any draw the pending pair is empty: the article keeps its text.
        const QList<Linker::Link> drawn = m_pending.isEmpty() ? QList<Linker::Link>(2) : m_pending;
        const ArticleEditor &editor = *m_view.editor;
        // The article is read whole only when the options need it: handing out 10 MB of text
        // would cost a generate many times what its edits do.
        const QString article = Linker::ReadsArticle(options) ? editor.articleText() : QString();
        if (!Linker::ReadsArticle(options)) {
            m_plan = Linker::Plan(
                editor.articleLength(), [&](qsizetype p) { return editor.articleCharAt(p); }, drawn, options);
        } else if (options.inPlace) {
            const Linker::Words words{m_table, matcher(), options.rotateKeywords ? &m_rotation : nullptr};
            m_plan = Linker::Plan(article, drawn, options, &words);
        } else {
            m_plan = Linker::Plan(article, drawn, options);
        }
        m_planRevision = revision;
        m_planOptions = options;
    }
    return *m_plan;
}

QString LinkInserter::Tongji()
{
    const ArticleStatistics stats = m_view.editor->statistics();
    m_hanziCount = stats.chinese;
    return StatisticsText(stats);
}

void LinkInserter::Generate()
{
    if (m_table.count() >= Linker::MinimumRecords)
        Tongji(); // the count is taken only once the list has passed
    ArticleEditor &editor = *m_view.editor;
    const Options options = m_view.options();
    switch (Linker::Check({}, m_table.count(), m_hanziCount)) {
    case Linker::Refusal::TooFewRecords:
        Messages::Show(m_view.window, QMessageBox::Warning, QStringLiteral("关键字少于两个？多加点吧！"));
        return;
    case Linker::Refusal::TooFewChinese:
        Messages::Show(m_view.window, QMessageBox::Warning, QStringLiteral("文章字数不能少于80个字，多写点吧！"));
        return;
    case Linker::Refusal::None:
        break;
    }
    const QList<Linker::Edit> edits = plan(options);
    m_plan.reset();
    editor.applyArticleEdits(edits);
    if (options.copyAfterGenerate) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(editor.articleText());
    }
    if (options.rotateKeywords && options.inPlace) {
        // The cycle goes on from what went into the article: the records linked on its words leave
        // the cycle, and drawn links that found no place come next time.
        QList<qsizetype> unused;
        for (const Linker::Link &link : m_pending)
            unused.append(link.record);
        for (const Linker::Edit &edit : edits) {
            if (edit.length > 0)
                m_rotation.take(edit.link.record);
            else
                unused.removeOne(edit.link.record);
        }
        m_rotation.putBack(unused);
    }
    GetKey();
}
