#pragma once

#include "KeywordTable.h"
#include "StoredFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// The keyword list file ("Data.txt", and the lists the user imports and exports): one record a
// line, KeyWord "|" Link CR LF, in GBK, and one more CR LF after the last record.

// The records of a list's text. A line ends at CR LF, at a lone CR or at a lone LF. Only U+0020 is trimmed, and only at
// the line's two ends; empty fields are skipped, the first two others are the keyword and the link, and any further
// ones are ignored.
QList<KeywordTable::Record> ParseKeywordText(QStringView text);
// The bytes SaveTXT writes for the whole table, starting with the encoding's byte-order mark.
QByteArray KeywordFileBytes(const KeywordTable &table, StoredFile::Encoding encoding = StoredFile::Encoding::Gbk);

enum class ListRead { Read, Missing, Unreadable };
// Appends the file's records to the table. A file that cannot be read adds nothing; Unreadable
// says that it exists all the same, so it must not be replaced by what the table holds. readAs,
// when given, learns the encoding the file was read in.
ListRead JiaTXT(KeywordTable &table, const QString &path, StoredFile::Encoding *readAs = nullptr);
// Replaces the file with the whole table. A failed save leaves the old file as it was and
// answers false. The program's own list is written back in the encoding it was read in, so a
// list read in the wrong one keeps its bytes whatever the reading showed.
bool SaveTXT(const KeywordTable &table, const QString &path, StoredFile::Encoding encoding = StoredFile::Encoding::Gbk);

// Asked when a list reads plausibly both as GBK and as UTF-8: given the records of each reading,
// the likelier first, answers the index of the one to use, or -1 to import nothing.
using ChooseReading = std::function<int(const QList<StoredFile::Encoding> &encodings,
                                        const QList<QList<KeywordTable::Record>> &readings)>;
// The import button: asks for a file and, when it can be read, replaces the table with its
// records (IDs 1 to N). A cancelled dialog or an unreadable file leaves the table as it was.
// Without chooseReading the likelier reading is taken.
void ImportKeywords(KeywordTable &table, const std::function<QString()> &chooseFileToOpen,
                    const ChooseReading &chooseReading = {});
// The export button: saves the table in GBK under the chosen name; a cancelled dialog (empty name)
// writes nothing. Empty text when it worked or nothing was chosen, else why the file could not be
// written.
QString ExportKeywords(const KeywordTable &table, const std::function<QString()> &chooseFileToSave);
