#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Bytes in and out of the program's own text files. The program writes GBK; it reads whatever a
// user's editor may have saved a list as.
namespace StoredFile {

// Utf8Bom is UTF-8 whose file starts with a byte-order mark; UTF-16 files always have one.
enum class Encoding { Gbk, Utf8, Utf8Bom, Utf16Le, Utf16Be };

struct Text
{
    QString text;
    Encoding encoding = Encoding::Gbk;
};

// Decides the encoding once for the whole file and decodes it; a byte-order mark is dropped.
// - A UTF-8 or UTF-16 byte-order mark says what the file is.
// - Bytes that are pure ASCII or not valid UTF-8 are GBK; valid UTF-8 that is not valid GBK is UTF-8.
// - Otherwise each reading is priced by how unusual its characters are in a keyword list (common hanzi, kana and
//   hangul cost little, accented letters inside Latin words and Cyrillic words little, rare hanzi, private use and
//   stray letters of other scripts much) and the cheaper one wins; GBK must lose by a few bits, as the program's
//   own form.
// Bytes that do not decode become U+FFFD.
Text decode(QByteArrayView bytes);

// The reading decode() gives, and the other one when the two are close enough that the user should choose.
struct Readings
{
    Text likelier;
    std::optional<Text> other; // the other of GBK and UTF-8, when the two are within 6 bits (64 to 1) of each other
};
Readings readings(QByteArrayView bytes);

// GBK where GBK can, so nothing a user typed is lost (see Gbk::encodeLossless). Never a byte-order
// mark: a whole file starts with byteOrderMark().
QByteArray encode(QStringView text, Encoding encoding);
// The mark a file in this encoding starts with; empty for GBK and plain UTF-8.
QByteArrayView byteOrderMark(Encoding encoding);

// The whole content of a regular file, or nothing when it cannot be opened or read. Folders,
// devices and pipes are refused before opening: reading them could block or never end.
std::optional<QByteArray> read(const QString &path);

// Replaces the file in one step (a temporary file renamed over it), so a failed write leaves the
// old content whole. Every byte is checked on its way to the disk, the last ones included: a full
// disk or a size limit fails the write instead of leaving a short file. False when nothing was
// written; whyNot then learns the reason in words for the user.
bool write(const QString &path, QByteArrayView bytes, QString *whyNot = nullptr);

} // namespace StoredFile
