#include "LinkInserter.h"

#include "ArticleEditor.h"
#include "KeywordTable.h"
#include "Messages.h"
#include "TextCut.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

LinkInserter::LinkInserter(const KeywordTable &table, RandomSource &random, View view)
    : m_table(table), m_random(random), m_view(std::move(view))
{
}

void LinkInserter::GetKey()
{
    const Options options = m_view.options();
    m_pending = Linker::Draw(m_table, 2, options, m_random, m_rotation);
    QStringList shown;
    for (const Linker::Link &link : m_pending) {
        // HTML keeps showing what its mark-up holds, which differs from the keyword only for
        // keywords that themselves contain `">` or "alt="; UBB and Markdown escape the keyword
        // inside the mark-up, so the preview shows it as listed.
        shown.append(
            KeywordTable::shown(options.format == LinkFormat::Html
                                    ? GetBetweenPart(link.markup, QStringLiteral("alt=\""), QStringLiteral("\">"))
                                    : link.keyWord));
    }
    m_view.preview->setText(QStringLiteral("①") + shown.value(0) + QStringLiteral("  ②") + shown.value(1));
}

void LinkInserter::Getkey1()
{
    if (m_table.count() >= Linker::MinimumRecords)
        GetKey();
    else
        m_view.preview->setText(QStringLiteral("关键字少于2个"));
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
    const Linker::Result linked = Linker::LinkArticle(editor.articleText(), {PendingLink1(), PendingLink2()}, options,
                                                      m_table.count(), m_hanziCount);
    switch (linked.refusal) {
    case Linker::Refusal::TooFewRecords:
        Messages::Show(m_view.window, QMessageBox::Warning, QStringLiteral("关键字少于两个？多加点吧！"));
        return;
    case Linker::Refusal::TooFewChinese:
        Messages::Show(m_view.window, QMessageBox::Warning, QStringLiteral("文章字数不能少于80个字，多写点吧！"));
        return;
    case Linker::Refusal::None:
        break;
    }
    editor.replaceArticle(linked.text);
    editor.highlightArticleSpans(linked.links);
    if (options.copyAfterGenerate) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(editor.articleText());
    }
    GetKey();
}
