#include "ArticleFile.h"

#include <QFileInfo>

#include <algorithm>

namespace ArticleFile {
namespace {

Read skipped(Skip skip, const QString &reason)
{
    Read r;
    r.skip = skip;
    r.reason = reason;
    return r;
}

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\f' && u != u'\r') || (u >= 0x7F && u <= 0x9F);
}

// The decoded text with each break as CR LF, and the breaks the file had.
void takeText(QString decoded, Article &a)
{
    const QChar *p = decoded.constData();
    const qsizetype n = decoded.size();
    qsizetype crLf = 0, lf = 0, cr = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++crLf, ++i;
        else if (p[i] == u'\r')
            ++cr;
        else if (p[i] == u'\n')
            ++lf;
    }
    const int kinds = (crLf > 0) + (lf > 0) + (cr > 0);
    a.lineEnds = kinds == 0  ? LineEnds::None
                 : kinds > 1 ? LineEnds::Mixed
                 : crLf      ? LineEnds::CrLf
                 : lf        ? LineEnds::Lf
                             : LineEnds::Cr;
    if (lf + cr == 0) {
        a.text = std::move(decoded);
        return;
    }
    a.text = QString(n + lf + cr, Qt::Uninitialized);
    QChar *o = a.text.data();
    if (a.lineEnds == LineEnds::Mixed)
        a.breaks.reserve(crLf + lf + cr);
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] != u'\r' && p[i] != u'\n') {
            *o++ = p[i];
            continue;
        }
        const bool pair = p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n';
        if (a.lineEnds == LineEnds::Mixed)
            a.breaks.append(char(pair ? LineEnds::CrLf : p[i] == u'\r' ? LineEnds::Cr : LineEnds::Lf));
        i += pair;
        *o++ = u'\r';
        *o++ = u'\n';
    }
}

} // namespace

Read read(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return skipped(Skip::Unreadable, QStringLiteral("无法读取：文件不存在"));
    if (info.isDir())
        return skipped(Skip::Unreadable, QStringLiteral("无法读取：这是一个文件夹"));
    if (!info.isFile())
        return skipped(Skip::Unreadable, QStringLiteral("无法读取：不是普通文件"));
    if (info.size() > MaxBytes)
        return skipped(Skip::TooLarge, QStringLiteral("文件超过 64 MB"));
    const std::optional<QByteArray> bytes = StoredFile::read(path);
    if (!bytes)
        return skipped(Skip::Unreadable, info.isReadable() ? QStringLiteral("无法读取：读取出错")
                                                           : QStringLiteral("无法读取：没有读取权限"));

    const QString notText = QStringLiteral("不是文本文件");
    const bool utf16 = bytes->startsWith("\xFF\xFE") || bytes->startsWith("\xFE\xFF");
    if (!utf16 && bytes->contains('\0'))
        return skipped(Skip::Binary, notText);
    StoredFile::Text decoded = StoredFile::decode(*bytes);
    const QString &t = decoded.text;
    if (t.contains(QChar(0)) || std::count_if(t.cbegin(), t.cend(), isControl) * 20 > t.size())
        return skipped(Skip::Binary, notText);

    // Bytes that do not decode, or decode to what the encoding writes otherwise, would not come back. The line breaks
    // always do: takeText() and bytes() undo each other.
    if (StoredFile::encode(t, decoded.encoding) !=
        QByteArrayView(*bytes).sliced(StoredFile::byteOrderMark(decoded.encoding).size()))
        return skipped(Skip::Binary, QStringLiteral("含有无法按其编码读出的字节，写回会改变文件"));
    Read r;
    r.article.encoding = decoded.encoding;
    takeText(std::move(decoded.text), r.article);
    return r;
}

QByteArray bytes(const Article &article, const QString &linkedText)
{
    QString restored;
    const QString *text = &linkedText;
    if (article.lineEnds != LineEnds::CrLf && article.lineEnds != LineEnds::None) {
        restored.reserve(linkedText.size());
        const QStringView whole(linkedText);
        qsizetype from = 0, k = 0;
        for (qsizetype at; (at = whole.indexOf(u"\r\n", from)) >= 0; from = at + 2, ++k) {
            restored.append(whole.sliced(from, at - from));
            const LineEnds kind = article.lineEnds != LineEnds::Mixed ? article.lineEnds
                                  : k < article.breaks.size()         ? LineEnds(article.breaks[k])
                                                                      : LineEnds::CrLf;
            restored.append(kind == LineEnds::Lf   ? QStringView(u"\n")
                            : kind == LineEnds::Cr ? QStringView(u"\r")
                                                   : QStringView(u"\r\n"));
        }
        restored.append(whole.sliced(from));
        text = &restored;
    }
    return StoredFile::byteOrderMark(article.encoding).toByteArray() + StoredFile::encode(*text, article.encoding);
}

bool write(const QString &path, const Article &article, const QString &linkedText, QString *whyNot)
{
    return StoredFile::write(path, bytes(article, linkedText), whyNot);
}

} // namespace ArticleFile
