#include "StoredFile.h"

#include "Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <QDir>

#include <algorithm>

#include <cerrno>
#include <unistd.h>

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

namespace {
QString reasonFor(int error, const QString &fallback)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case EFBIG:
        return QStringLiteral("文件超过了系统允许的大小");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件夹不存在");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    default:
        return fallback.isEmpty() ? QStringLiteral("无法写入") : fallback;
    }
}

// errno right after the call that failed, before anything else can change it.
bool failed(QString *whyNot, int error, const QString &fallback = {})
{
    if (whyNot)
        *whyNot = reasonFor(error, fallback);
    return false;
}
} // namespace

bool write(const QString &path, QByteArrayView bytes, QString *whyNot)
{
    if (path.isEmpty())
        return failed(whyNot, ENOENT);
    const QFileInfo info(path);
    if (info.isDir())
        return failed(whyNot, 0, QStringLiteral("同名的文件夹已存在"));
    if (!info.dir().exists())
        return failed(whyNot, ENOENT);
    if (info.exists() && !info.isWritable())
        return failed(whyNot, 0, QStringLiteral("文件是只读的"));
    // Unbuffered: each write reaches the system at once and reports its own failure. A buffered
    // write of a small file only fails when the buffer is flushed inside commit(), which does not
    // report it, and the short temporary file would replace the list.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(whyNot, errno, file.errorString());
    for (qsizetype done = 0; done < bytes.size();) {
        errno = 0;
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            const int error = errno;
            file.cancelWriting();
            return failed(whyNot, error, file.errorString());
        }
        done += n;
    }
    // commit() syncs but ignores a failure; a disk that cannot keep the data fails here instead.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        const int error = errno;
        file.cancelWriting();
        return failed(whyNot, error);
    }
    errno = 0;
    if (!file.commit())
        return failed(whyNot, errno, file.errorString());
    return true;
}

} // namespace StoredFile
