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
#include <QThreadPool>

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

const QString ClickTip = QStringLiteral("点击更换关键字");

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

LinkInserter::~LinkInserter()
{
    // A layout still being worked out reports back through the timer: it must not find it gone.
    QThreadPool::globalInstance()->waitForDone();
}

void LinkInserter::GetKey()
{
    const Options options = m_view.options();
    m_pending = Linker::Draw(m_table, options.linkCount, options, m_random, m_rotation);
    m_preview.reset();
    showPreview();
    if (options.inPlace)
        m_previewTimer.start(); // which of them the article already has is worked out shortly
}

void LinkInserter::showPreview()
{
    const Options options = m_view.options();
    QStringList shown;
    if (m_preview) {
        // In the order of the article, each with where it goes.
        for (const Linker::Edit &edit : *m_preview)
            shown.append(numbered(shown.size()) + shownKeyword(edit.link, options.format) +
                         (edit.length > 0 ? QStringLiteral("（文中）") : QStringLiteral("（插入）")));
    } else {
        for (const Linker::Link &link : m_pending)
            shown.append(numbered(shown.size()) + shownKeyword(link, options.format));
    }
    // Ten keywords, or long ones, do not fit the label: it shows what fits, and its tip the rest.
    QLabel &label = *m_view.preview;
    const QString text = shown.join(u"  ");
    const QString fits = label.fontMetrics().elidedText(text, Qt::ElideRight, label.contentsRect().width());
    label.setText(fits);
    label.setToolTip(fits == text ? ClickTip : text + QStringLiteral("\n") + ClickTip);
}

void LinkInserter::Getkey1()
{
    if (m_table.count() >= Linker::MinimumRecords) {
        GetKey();
    } else {
        m_view.preview->setText(QStringLiteral("关键字少于2个"));
        m_view.preview->setToolTip(ClickTip);
    }
}

void LinkInserter::articleChanged()
{
    if (m_preview) {
        m_preview.reset();
        showPreview();
    }
    if (m_view.options().inPlace && m_table.count() >= Linker::MinimumRecords)
        m_previewTimer.start();
}

LinkInserter::LayoutKey LinkInserter::layoutKey(const Options &options) const
{
    Options relevant = options; // what the layout depends on, besides the article and the list
    relevant.bold = relevant.italic = relevant.newWindow = relevant.copyAfterGenerate = relevant.rotateKeywords = false;
    relevant.linkCount = int(drawnLinks().size());
    return {m_view.editor->document()->revision(), m_table.revision(), relevant};
}

QList<Linker::Link> LinkInserter::drawnLinks() const
{
    // Before any draw the pending pair is empty: the article keeps its text.
    return m_pending.isEmpty() ? QList<Linker::Link>(2) : m_pending;
}

void LinkInserter::refreshPreview()
{
    m_previewTimer.stop();
    const Options options = m_view.options();
    if (!options.inPlace || m_table.count() < Linker::MinimumRecords || m_pending.isEmpty())
        return;
    const LayoutKey key = layoutKey(options);
    if (m_layout && m_layout->first == key) {
        m_preview = assign(m_layout->second, options);
        showPreview();
        return;
    }
    if (m_laying && *m_laying == key)
        return; // on its way
    // The article is read and searched on another thread; the layout comes back here, and is
    // used if the article, the list and the options are still what it was worked out for.
    m_laying = key;
    const QString article = m_view.editor->articleText();
    const std::shared_ptr<const KeywordMatcher> matcher = sharedMatcher();
    const qsizetype count = drawnLinks().size();
    QTimer *context = &m_previewTimer;
    QThreadPool::globalInstance()->start([this, article, matcher, count, options, key, context] {
        Linker::Layout layout = Linker::Lay(article, count, options, matcher.get());
        QMetaObject::invokeMethod(context, [this, key, layout = std::move(layout)] {
            if (m_laying == key)
                m_laying.reset();
            const Options now = m_view.options();
            if (layoutKey(now) != key)
                return;
            m_layout = {key, layout};
            if (now.inPlace && !m_pending.isEmpty()) {
                m_preview = assign(layout, now);
                showPreview();
            }
        });
    });
}

std::shared_ptr<const KeywordMatcher> LinkInserter::sharedMatcher()
{
    if (!m_matcher || m_matcherRevision != m_table.revision()) {
        m_matcher = std::make_shared<const KeywordMatcher>(m_table);
        m_matcherRevision = m_table.revision();
    }
    return m_matcher;
}

QList<Linker::Edit> LinkInserter::assign(const Linker::Layout &layout, const Options &options)
{
    if (!options.inPlace)
        return Linker::Assign(layout, drawnLinks(), options, nullptr);
    const Linker::Words words{m_table, *sharedMatcher(), options.rotateKeywords ? &m_rotation : nullptr};
    return Linker::Assign(layout, drawnLinks(), options, &words);
}

QList<Linker::Edit> LinkInserter::plan(const Options &options)
{
    const ArticleEditor &editor = *m_view.editor;
    if (!Linker::ReadsArticle(options)) {
        // Handing out 10 MB of text would cost a generate many times what its edits do.
        return Linker::Plan(
            editor.articleLength(), [&](qsizetype p) { return editor.articleCharAt(p); }, drawnLinks(), options);
    }
    const LayoutKey key = layoutKey(options);
    if (!m_layout || m_layout->first != key) {
        const std::shared_ptr<const KeywordMatcher> matcher = options.inPlace ? sharedMatcher() : nullptr;
        m_layout = {key, Linker::Lay(editor.articleText(), drawnLinks().size(), options, matcher.get())};
    }
    return assign(m_layout->second, options);
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
    if (const Linker::Refusal refusal = Linker::Check({}, m_table.count(), m_hanziCount);
        refusal != Linker::Refusal::None) {
        Messages::Show(m_view.window, QMessageBox::Warning, Linker::RefusalText(refusal));
        return;
    }
    const QList<Linker::Edit> edits = plan(options);
    m_preview.reset();
    editor.applyArticleEdits(edits);
    if (m_view.linked) {
        QList<Linker::Link> links;
        for (const Linker::Edit &edit : edits)
            if (edit.link.record >= 1 && !edit.link.markup.isEmpty())
                links.append(edit.link);
        m_view.linked(links);
    }
    if (options.copyAfterGenerate) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(editor.articleText());
    }
    Linker::Commit(edits, m_pending, options, m_rotation);
    GetKey();
}
