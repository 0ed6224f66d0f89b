#pragma once

#include "Statistics.h"

#include <QtGlobal>

#include <vector>

class QTextDocument;

// The article statistics of a document, kept current from the document's own change reports:
// Chinese characters and GBK bytes per paragraph, so an edit recounts only the paragraphs it
// touched and the caption never scans a long article again on a keystroke.
class ParagraphCounts
{
    Q_DISABLE_COPY_MOVE(ParagraphCounts)

public:
    // Counts every paragraph the document holds now.
    explicit ParagraphCounts(const QTextDocument &document);

    // QTextDocument::contentsChange: the text from position on, charsRemoved long before, is
    // charsAdded long now.
    void contentsChange(int position, int charsRemoved, int charsAdded);

    // As if the article were counted whole, CR LF between paragraphs included.
    ArticleStatistics total() const;

private:
    // A document holds fewer than 2^31 characters, so a paragraph's bytes fit in 32 bits.
    struct Paragraph
    {
        quint32 chinese = 0;
        quint32 bytes = 0;
    };

    void recount(int firstBlock, int lastBlock, int oldLastBlock);

    const QTextDocument &m_document;
    std::vector<Paragraph> m_paragraphs; // one per block, in document order
    qint64 m_chinese = 0;
    qint64 m_bytes = 0; // of the paragraphs alone; the line breaks between them come on top
};
