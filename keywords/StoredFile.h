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
// - Otherwise the bytes are GBK, unless they are also valid UTF-8 and the UTF-8 reading looks more
//   like Chinese text (Gbk::typicality). About a fifth of the common hanzi have GBK codes that are
//   valid UTF-8 (山 C9BD, 水 CBAE ...), but their UTF-8 reading is Latin, Greek or IPA letters,
//   which score nothing; real UTF-8 Chinese read as GBK turns into rare hanzi, which score below it.
//   On a tie the file is GBK, the program's own form.
// Bytes that do not decode become U+FFFD.
Text decode(QByteArrayView bytes);
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
