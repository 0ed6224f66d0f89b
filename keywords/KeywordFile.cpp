#include "KeywordFile.h"

#include "StoredFile.h"

#include <QFileInfo>

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

std::optional<QList<KeywordTable::Record>> readRecords(const QString &path, StoredFile::Encoding *readAs = nullptr)
{
    const std::optional<QByteArray> bytes = StoredFile::read(path);
    if (!bytes)
        return std::nullopt;
    const StoredFile::Text decoded = StoredFile::decode(*bytes);
    if (readAs)
        *readAs = decoded.encoding;
    return ParseKeywordText(decoded.text);
}

} // namespace

QList<KeywordTable::Record> ParseKeywordText(QStringView text)
{
    // The program writes CR LF, but lists saved on Linux and macOS end their lines with LF alone,
    // and old Mac lists with CR alone.
    QList<KeywordTable::Record> records;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        addRecord(text.sliced(start, end - start), records);
        start = end + 1;
        if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n')
            ++start;
    }
    return records;
}

QByteArray KeywordFileBytes(const KeywordTable &table, StoredFile::Encoding encoding)
{
    qsizetype size = 2;
    for (qsizetype i = 1; i <= table.count(); ++i)
        size += table.keyWord(i).size() + table.link(i).size() + 3;
    QString text;
    text.reserve(size);
    for (qsizetype i = 1; i <= table.count(); ++i)
        text.append(table.keyWord(i)).append(u'|').append(table.link(i)).append(u"\r\n");
    text.append(u"\r\n");
    return StoredFile::byteOrderMark(encoding).toByteArray() + StoredFile::encode(text, encoding);
}

ListRead JiaTXT(KeywordTable &table, const QString &path, StoredFile::Encoding *readAs)
{
    const auto records = readRecords(path, readAs);
    if (!records)
        return QFileInfo::exists(path) ? ListRead::Unreadable : ListRead::Missing;
    table.append(*records);
    return ListRead::Read;
}

bool SaveTXT(const KeywordTable &table, const QString &path, StoredFile::Encoding encoding)
{
    return StoredFile::write(path, KeywordFileBytes(table, encoding));
}

void ImportKeywords(KeywordTable &table, const std::function<QString()> &chooseFileToOpen,
                    const ChooseReading &chooseReading)
{
    const QString path = chooseFileToOpen();
    if (path.isEmpty())
        return;
    // Read before clearing: a file that turns out unreadable must not cost the user the table.
    const std::optional<QByteArray> bytes = StoredFile::read(path);
    if (!bytes)
        return;
    const StoredFile::Readings readings = StoredFile::readings(*bytes);
    QList<KeywordTable::Record> records = ParseKeywordText(readings.likelier.text);
    if (readings.other && chooseReading) {
        QList<QList<KeywordTable::Record>> both{records, ParseKeywordText(readings.other->text)};
        const int chosen = chooseReading({readings.likelier.encoding, readings.other->encoding}, both);
        if (chosen < 0 || chosen >= both.size())
            return;
        records = std::move(both[chosen]);
    }
    table.clear();
    table.append(records);
}

QString ExportKeywords(const KeywordTable &table, const std::function<QString()> &chooseFileToSave)
{
    const QString path = chooseFileToSave();
    QString whyNot;
    if (!path.isEmpty())
        StoredFile::write(path, KeywordFileBytes(table), &whyNot);
    return whyNot;
}
