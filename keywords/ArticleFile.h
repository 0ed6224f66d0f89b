#pragma once

#include "StoredFile.h"

#include <QByteArray>
#include <QString>

// Article files on disk, read for linking and written back as they were but for the links. The
// program links text whose every line break is CR LF; a file keeps its own encoding, byte-order
// mark and line breaks, byte for byte, so that linking a folder changes nothing but the links.
namespace ArticleFile {

// Why a file is left alone.
// - Unreadable: missing, a folder, a device or pipe, or the read failed.
// - TooLarge: over MaxBytes, judged by its size before anything is read.
// - Binary: not text, or text that would not come back byte for byte:
//   - a NUL byte (a NUL character in a UTF-16 file);
//   - control characters other than tab, CR, LF and form feed (ESC, backspace, DEL, the C1 controls) making up more
//     than one character in 20: text has none or a stray few, a binary file read as text is full of them;
//   - bytes that do not decode in the file's encoding (they would come back as U+FFFD), or any other bytes the
//     encoding does not give back as they were. Writing such a file would change what the user stored.
enum class Skip { None, Unreadable, Binary, TooLarge };
constexpr qint64 MaxBytes = 64LL * 1024 * 1024;

// The line breaks a file uses. None: not one; Mixed: more than one kind.
enum class LineEnds { CrLf, Lf, Cr, None, Mixed };

struct Article
{
    // Every line break as CR LF, whatever the file has: CR LF, a lone LF and a lone CR are each one break (so "\r\r\n"
    // is two). U+2028 and U+2029 are characters like any other.
    QString text;
    // As StoredFile::decode decides: the byte-order mark, else the keyword lists' rule.
    StoredFile::Encoding encoding = StoredFile::Encoding::Gbk;
    LineEnds lineEnds = LineEnds::None;
    // Mixed only: the file's breaks in order, each a LineEnds (CrLf, Lf or Cr) as one byte.
    QByteArray breaks;
};

struct Read
{
    Skip skip = Skip::None;
    QString reason; // for the user, when skipped: 无法读取：文件不存在, 不是文本文件, 文件超过 64 MB, ...
    Article article;
};
Read read(const QString &path);

// The file's bytes for the article's text after linking: the byte-order mark, then the text in the file's encoding
// with the k-th CR LF written as the file's k-th break. Linking adds no breaks and never parts a CR from its LF, so
// bytes(a, a.text) is the file as read, and a link adds its own bytes only. A break beyond the file's own is written as
// the file's kind, or CR LF where the file has none or mixes them. In a GBK file a character GBK lacks (an emoji) is
// written in its GB18030 form, as the keyword list is, so nothing is lost.
QByteArray bytes(const Article &article, const QString &linkedText);

// Replaces the file in one step with bytes() (StoredFile::write). False when nothing was written; whyNot then learns
// the reason in words for the user.
bool write(const QString &path, const Article &article, const QString &linkedText, QString *whyNot = nullptr);

} // namespace ArticleFile
