#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Bytes in and out of the program's own text files. They are GBK, but a list saved by a modern
// editor is often UTF-8, so the reader recognises that; the writers always write GBK.
namespace StoredFile {

enum class Encoding { Gbk, Utf8 };

// UTF-8 when the bytes start with its byte-order mark, or are valid UTF-8 and hold something
// beyond ASCII (real GBK text almost never is); GBK otherwise, pure ASCII included.
Encoding detect(QByteArrayView bytes);
// A UTF-8 byte-order mark at the start is dropped; bytes that do not decode become U+FFFD.
QString decode(QByteArrayView bytes, Encoding encoding);
// GBK where GBK can, so nothing a user typed is lost (see Gbk::encodeLossless).
QByteArray encode(QStringView text, Encoding encoding);

// The whole content of a regular file, or nothing when it cannot be opened or read. Folders,
// devices and pipes are refused before opening: reading them could block or never end.
std::optional<QByteArray> read(const QString &path);

// Replaces the file in one step (a temporary file renamed over it), so a failed write leaves the
// old content whole. False when nothing was written.
bool write(const QString &path, QByteArrayView bytes);

} // namespace StoredFile
