#include "ParagraphCounts.h"

#include "ArticleText.h"

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
    // The blocks' text with paragraphs separated by U+2029. Asking each block for its text
    // costs a walk through the document per paragraph; past an eighth of the document one
    // copy of all of it is cheaper (a paste or a generate replaces most of it at once).
    const QTextBlock first = m_document.findBlockByNumber(firstBlock);
    const QTextBlock last = m_document.findBlockByNumber(lastBlock);
    const int start = first.position(), end = last.position() + last.length() - 1;
    QString buffer;
    QStringView text;
    if (qint64(end - start) * 8 >= m_document.characterCount()) {
        buffer = m_document.toRawText();
        text = QStringView(buffer).sliced(start, end - start);
    } else {
        for (QTextBlock block = first;; block = block.next()) {
            buffer += block.text();
            if (block == last)
                break;
            buffer += QChar::ParagraphSeparator;
        }
        text = buffer;
    }
    std::vector<Paragraph> fresh;
    fresh.reserve(lastBlock - firstBlock + 1);
    for (QStringView rest = text;;) {
        const qsizetype cut = rest.indexOf(QChar::ParagraphSeparator);
        const ArticleStatistics s = ArticleText::countParagraph(cut < 0 ? rest : rest.first(cut));
        fresh.push_back({quint32(s.chinese), quint32(s.bytes)});
        m_chinese += s.chinese;
        m_bytes += s.bytes;
        if (cut < 0)
            break;
        rest = rest.sliced(cut + 1);
    }
    Q_ASSERT(fresh.size() == size_t(lastBlock - firstBlock + 1));
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
