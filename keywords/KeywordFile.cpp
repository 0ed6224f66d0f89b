#include "KeywordFile.h"

#include "StoredFile.h"

#include <optional>

namespace {

// One line, split without building a list of fields: a line of a million bars costs no more
// than a million characters of anything else.
void addRecord(QStringView line, QList<KeywordTable::Record> &records)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin] == u' ')
        ++begin;
    while (end > begin && line[end - 1] == u' ')
        --end;
    line = line.sliced(begin, end - begin);

    KeywordTable::Record record;
    int fields = 0;
    for (qsizetype pos = 0; fields < 2 && pos <= line.size();) {
        qsizetype bar = line.indexOf(u'|', pos);
        if (bar < 0)
            bar = line.size();
        if (bar > pos)
            (fields++ == 0 ? record.keyWord : record.link) = line.sliced(pos, bar - pos).toString();
        pos = bar + 1;
    }
    if (fields > 0)
        records.append(std::move(record));
}

std::optional<QList<KeywordTable::Record>> readRecords(const QString &path)
{
    const std::optional<QByteArray> bytes = StoredFile::read(path);
    if (!bytes)
        return std::nullopt;
    const QString text = StoredFile::decode(*bytes, StoredFile::detect(*bytes));
    return ParseKeywordText(text);
}

} // namespace

QList<KeywordTable::Record> ParseKeywordText(QStringView text)
{
    // Lists are Windows text read the way Windows' line input reads it: CR LF or a lone CR ends a
    // line, a lone LF is part of the text.
    QList<KeywordTable::Record> records;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\r', start);
        if (end < 0)
            end = text.size();
        addRecord(text.sliced(start, end - start), records);
        start = end + 1;
        if (start < text.size() && text[start] == u'\n')
            ++start;
    }
    return records;
}

QByteArray KeywordFileBytes(const KeywordTable &table)
{
    qsizetype size = 2;
    for (qsizetype i = 1; i <= table.count(); ++i)
        size += table.keyWord(i).size() + table.link(i).size() + 3;
    QString text;
    text.reserve(size);
    for (qsizetype i = 1; i <= table.count(); ++i)
        text.append(table.keyWord(i)).append(u'|').append(table.link(i)).append(u"\r\n");
    text.append(u"\r\n");
    return StoredFile::encode(text, StoredFile::Encoding::Gbk);
}

void JiaTXT(KeywordTable &table, const QString &path)
{
    if (const auto records = readRecords(path))
        table.append(*records);
}

void SaveTXT(const KeywordTable &table, const QString &path)
{
    StoredFile::write(path, KeywordFileBytes(table));
}

void ImportKeywords(KeywordTable &table, const std::function<QString()> &chooseFileToOpen)
{
    const QString path = chooseFileToOpen();
    if (path.isEmpty())
        return;
    // Read before clearing: a file that turns out unreadable must not cost the user the table.
    const auto records = readRecords(path);
    if (!records)
        return;
    table.clear();
    table.append(*records);
}

void ExportKeywords(const KeywordTable &table, const std::function<QString()> &chooseFileToSave)
{
    SaveTXT(table, chooseFileToSave());
}
