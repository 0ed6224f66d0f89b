#include "StoredFile.h"

#include "Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace StoredFile {
namespace {
constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF", 3);
}

Encoding detect(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8Bom))
        return Encoding::Utf8;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char b) { return quint8(b) < 0x80; });
    return !ascii && bytes.isValidUtf8() ? Encoding::Utf8 : Encoding::Gbk;
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    if (encoding == Encoding::Gbk)
        return Gbk::decode(bytes);
    if (bytes.startsWith(Utf8Bom))
        bytes = bytes.sliced(Utf8Bom.size());
    return QString::fromUtf8(bytes);
}

QByteArray encode(QStringView text, Encoding encoding)
{
    return encoding == Encoding::Gbk ? Gbk::encodeLossless(text) : text.toUtf8();
}

std::optional<QByteArray> read(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool write(const QString &path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace StoredFile
