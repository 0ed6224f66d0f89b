#include "StoredFile.h"

#include "Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace StoredFile {
namespace {
constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView Utf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView Utf16BeBom("\xFE\xFF", 2);

QString decodeUtf16(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}
} // namespace

Text decode(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8Bom))
        return {QString::fromUtf8(bytes.sliced(Utf8Bom.size())), Encoding::Utf8Bom};
    if (bytes.startsWith(Utf16LeBom))
        return {decodeUtf16(bytes.sliced(2), QStringConverter::Utf16LE), Encoding::Utf16Le};
    if (bytes.startsWith(Utf16BeBom))
        return {decodeUtf16(bytes.sliced(2), QStringConverter::Utf16BE), Encoding::Utf16Be};

    QString gbk = Gbk::decode(bytes);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char b) { return quint8(b) < 0x80; });
    if (ascii || !bytes.isValidUtf8())
        return {std::move(gbk), Encoding::Gbk};
    QString utf8 = QString::fromUtf8(bytes);
    if (Gbk::typicality(utf8) > Gbk::typicality(gbk))
        return {std::move(utf8), Encoding::Utf8};
    return {std::move(gbk), Encoding::Gbk};
}

QByteArray encode(QStringView text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Gbk:
        return Gbk::encodeLossless(text);
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        return text.toUtf8();
    case Encoding::Utf16Le:
        return QStringEncoder(QStringConverter::Utf16LE).encode(text);
    case Encoding::Utf16Be:
        return QStringEncoder(QStringConverter::Utf16BE).encode(text);
    }
    return QByteArray();
}

QByteArrayView byteOrderMark(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8Bom:
        return Utf8Bom;
    case Encoding::Utf16Le:
        return Utf16LeBom;
    case Encoding::Utf16Be:
        return Utf16BeBom;
    case Encoding::Gbk:
    case Encoding::Utf8:
        break;
    }
    return {};
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
