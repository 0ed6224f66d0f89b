#include "LinkLedger.h"

#include "ProgramFiles.h"
#include "StoredFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QStringEncoder>

#include <algorithm>
#include <bit>
#include <charconv>
#include <limits>

namespace {

// Writes a field as the file holds it, UTF-8 with the four escapes, at `out`; answers where it ends. Each UTF-16 unit
// takes at most three bytes.
char *appendEscaped(QStringEncoder &utf8, char *out, QStringView field)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        const char escape = c == u'\\' || c == u'|' ? char(c) : c == u'\n' ? 'n' : c == u'\r' ? 'r' : 0;
        if (escape) {
            out = utf8.appendToBuffer(out, field.sliced(from, i - from));
            *out++ = '\\';
            *out++ = escape;
            from = i + 1;
        }
    }
    return utf8.appendToBuffer(out, field.sliced(from));
}

// The field at the start of `rest`, up to a bar or the end, where `rest` is left; false at a backslash that starts none
// of the four escapes. The bytes are valid UTF-8, and the escapes and the bar are ASCII, so no character is cut.
bool takeField(QByteArrayView &rest, QString &field)
{
    qsizetype end = 0;
    bool escaped = false;
    for (; end < rest.size() && rest[end] != '|'; ++end) {
        if (rest[end] == '\\') {
            escaped = true;
            ++end;
        }
    }
    if (end > rest.size()) // a backslash at the end
        return false;
    const QByteArrayView raw = rest.first(end);
    rest = rest.sliced(end);
    if (!escaped) {
        field = QString::fromUtf8(raw);
        return true;
    }
    QByteArray plain;
    plain.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\\') {
            c = raw[++i];
            c = c == '\\' || c == '|' ? c : c == 'n' ? '\n' : c == 'r' ? '\r' : 0;
            if (!c)
                return false;
        }
        plain.append(c);
    }
    field = QString::fromUtf8(plain);
    return true;
}

// The name a damaged ledger is kept under; empty when it could not be moved.
QString setAsideDamaged(const QString &path)
{
    const QString stem =
        path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int i = 1; i < 100; ++i) {
        const QString name = i == 1 ? stem : stem + u'-' + QString::number(i);
        if (QFile::rename(path, name))
            return name;
        if (!QFileInfo::exists(name)) // it failed for another reason than the name
            break;
    }
    return QString();
}

} // namespace

QString LinkLedger::defaultPath()
{
    const QString folder = UserDataFolder();
    return folder.isEmpty() ? QString() : ProgramFilePath(folder, u"Ledger.txt");
}

LinkLedger LinkLedger::load(const QString &path)
{
    LinkLedger ledger;
    if (!QFileInfo(path).isFile()) // missing, or a folder in its place, which save() then names
        return ledger;
    // Read as bytes: a ledger of 100,000 pairs is megabytes, and a decoded copy of it would cost more than the parse.
    const std::optional<QByteArray> bytes = StoredFile::read(path);
    QByteArrayView whole = bytes ? QByteArrayView(*bytes) : QByteArrayView();
    if (whole.startsWith(QByteArrayView("\xEF\xBB\xBF", 3)))
        whole = whole.sliced(3);
    bool good = bytes && whole.isValidUtf8();
    if (good) {
        const qsizetype lines = std::count(whole.begin(), whole.end(), '\n') + 1;
        ledger.m_entries.reserve(lines);
        ledger.reserve(lines);
        QString keyWord, link;
        for (qsizetype from = 0; good && from < whole.size();) {
            qsizetype end = whole.indexOf('\n', from);
            end = end < 0 ? whole.size() : end;
            QByteArrayView line = whole.sliced(from, end - from);
            from = end + 1;
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            const qsizetype bar = line.indexOf('|');
            const qint64 n = bar > 0 ? line.first(bar).toLongLong(&good) : 0;
            QByteArrayView rest = line.sliced(bar + 1);
            good = good && n > 0 && takeField(rest, keyWord) && rest.startsWith('|');
            rest = rest.sliced(good ? 1 : 0);
            good = good && takeField(rest, link) && rest.isEmpty();
            if (good)
                ledger.add(keyWord, link, n);
        }
        if (good)
            return ledger;
    }
    ledger.clear();
    ledger.m_setAside = setAsideDamaged(path);
    return ledger;
}

void LinkLedger::add(const QString &keyWord, const QString &link, qint64 n)
{
    if (n < 1)
        return;
    reserve(m_entries.size() + 1);
    quint32 &place = m_index[slotOf(keyWord, link)];
    if (place == 0) {
        m_entries.append({keyWord, link, 0});
        place = quint32(m_entries.size());
    }
    qint64 &count = m_entries[place - 1].count;
    count = n > std::numeric_limits<qint64>::max() - count ? std::numeric_limits<qint64>::max() : count + n;
}

qint64 LinkLedger::count(const QString &keyWord, const QString &link) const
{
    const quint32 place = m_index.empty() ? 0 : m_index[slotOf(keyWord, link)];
    return place ? m_entries[place - 1].count : 0;
}

void LinkLedger::clear()
{
    m_entries.clear();
    m_index.clear();
}

size_t LinkLedger::slotOf(const QString &keyWord, const QString &link) const
{
    const size_t mask = m_index.size() - 1;
    for (size_t slot = qHashMulti(QHashSeed::globalSeed(), keyWord, link) & mask;; slot = (slot + 1) & mask) {
        const quint32 place = m_index[slot];
        if (place == 0 || (m_entries[place - 1].keyWord == keyWord && m_entries[place - 1].link == link))
            return slot;
    }
}

void LinkLedger::reserve(qsizetype n)
{
    if (m_index.size() >= size_t(n) * 2)
        return;
    m_index.assign(std::bit_ceil(size_t(std::max<qsizetype>(n, 8)) * 2), 0);
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_index[slotOf(m_entries[i].keyWord, m_entries[i].link)] = quint32(i + 1);
}

QList<LinkLedger::Entry> LinkLedger::entries() const
{
    QList<Entry> out = m_entries;
    std::sort(out.begin(), out.end(), [](const Entry &a, const Entry &b) {
        if (a.count != b.count)
            return a.count > b.count;
        const int byKeyWord = a.keyWord.compare(b.keyWord);
        return byKeyWord != 0 ? byKeyWord < 0 : a.link < b.link;
    });
    return out;
}

bool LinkLedger::save(const QString &path, QString *whyNot) const
{
    // Written straight into the bytes: a text built first and converted would be twice their size.
    qsizetype most = 0;
    for (const Entry &e : m_entries)
        most += 22 + 3 * (e.keyWord.size() + e.link.size()); // 19 digits, two bars and the LF
    QByteArray bytes(most, Qt::Uninitialized);
    char *out = bytes.data();
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    for (const Entry &e : m_entries) {
        out = std::to_chars(out, out + 20, e.count).ptr;
        *out++ = '|';
        out = appendEscaped(utf8, out, e.keyWord);
        *out++ = '|';
        out = appendEscaped(utf8, out, e.link);
        *out++ = '\n';
    }
    bytes.truncate(out - bytes.constData());
    return StoredFile::write(path, bytes, whyNot);
}

QByteArray LinkLedger::csv() const
{
    QString out = QStringLiteral("\uFEFF关键字,链接,次数\r\n");
    const auto field = [&out](const QString &f) {
        if (std::none_of(f.cbegin(), f.cend(),
                         [](QChar c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n'; }))
            out.append(f);
        else
            out.append(u'"').append(QString(f).replace(u'"', QStringLiteral("\"\""))).append(u'"');
    };
    for (const Entry &e : entries()) {
        field(e.keyWord);
        out.append(u',');
        field(e.link);
        out.append(u',').append(QString::number(e.count)).append(u"\r\n");
    }
    return out.toUtf8();
}
