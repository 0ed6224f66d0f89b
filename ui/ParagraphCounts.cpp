#include "ParagraphCounts.h"

#include "ArticleEditor.h"

#include <QTextBlock>
#include <QTextDocument>

ParagraphCounts::ParagraphCounts(const QTextDocument &document) : m_document(document)
{
    recount(0, document.blockCount() - 1, -1);
}

void ParagraphCounts::contentsChange(int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    // Everything before the block holding `position` and everything after the block holding the
    // end of the new text is as it was, so the old blocks in between are as many fewer or more as
    // the document's block count says. That holds whatever the report says was removed (clearing
    // a document reports less than it took away).
    const int blocks = m_document.blockCount();
    auto blockAt = [&](int pos) {
        const QTextBlock block = m_document.findBlock(pos);
        return block.isValid() ? block.blockNumber() : blocks - 1;
    };
    const int first = blockAt(position);
    const int last = qMax(first, blockAt(position + charsAdded));
    const int oldLast = last + int(m_paragraphs.size()) - blocks;
    // The block holding `position` was there before the change as well.
    if (oldLast < first || oldLast >= int(m_paragraphs.size()))
        recount(0, blocks - 1, int(m_paragraphs.size()) - 1); // a report that does not add up
    else
        recount(first, last, oldLast);
}

void ParagraphCounts::recount(int firstBlock, int lastBlock, int oldLastBlock)
{
    const auto from = m_paragraphs.begin() + firstBlock;
    const auto oldEnd = m_paragraphs.begin() + (oldLastBlock + 1);
    for (auto it = from; it != oldEnd; ++it) {
        m_chinese -= it->chinese;
        m_bytes -= it->bytes;
    }
    std::vector<Paragraph> fresh;
    fresh.reserve(lastBlock - firstBlock + 1);
    QTextBlock block = m_document.findBlockByNumber(firstBlock);
    for (int n = firstBlock; n <= lastBlock && block.isValid(); ++n, block = block.next()) {
        // A line break inside a paragraph (Shift+Enter) is CR LF in the article as well.
        const ArticleStatistics s = CountArticle(ArticleEditor::toArticleText(block.text()));
        fresh.push_back({quint32(s.chinese), quint32(s.bytes)});
        m_chinese += s.chinese;
        m_bytes += s.bytes;
    }
    // Overwrite in place where the block count stayed, so a keystroke moves nothing.
    const auto common = std::min<std::ptrdiff_t>(oldEnd - from, std::ptrdiff_t(fresh.size()));
    std::copy(fresh.begin(), fresh.begin() + common, from);
    if (common < oldEnd - from)
        m_paragraphs.erase(from + common, oldEnd);
    else
        m_paragraphs.insert(from + common, fresh.begin() + common, fresh.end());
}

ArticleStatistics ParagraphCounts::total() const
{
    const qint64 breaks = qMax<qint64>(0, qint64(m_paragraphs.size()) - 1);
    return {m_chinese, m_bytes + 2 * breaks};
}
