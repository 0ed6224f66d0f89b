#include "Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace Gbk {
namespace {

constexpr const char *GbkName = "GBK";
constexpr const char *Gb18030Name = "GB18030";

// One entry per UTF-16 unit, laid out so that count() can add entries up: three 5-bit counter
// fields (31 entries fit without carrying into the next field) and a flag in the top bit,
// whose carry falls off the end of a 16-bit sum.
enum UnitField : quint16 {
    TwoBytes = 1u << 0,      // a double-byte code: two bytes, and a Chinese character
    HighSingle = 1u << 5,    // a single byte above 127 (the euro sign): a Chinese character
    LowSurrogate = 1u << 10, // may close a pair, which then is one character
    Unencodable = 1u << 15,
};
constexpr int FieldBits = 5;
constexpr quint16 FieldMask = (1u << FieldBits) - 1;
constexpr int SumBlock = FieldMask; // entries summed before a field could overflow

using UnitTable = std::array<quint16, 0x10000>;

// One encode of the whole Basic Multilingual Plane, each character followed by the byte 0x01
// (never part of a double-byte code), read back character by character. Built once; the
// statistics then cost a table lookup per unit instead of a converter call per keystroke.
UnitTable buildTable()
{
    UnitTable table{};
    QString all;
    all.reserve(0x20000);
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (!QChar::isSurrogate(c))
            all.append(QChar(char16_t(c))).append(QChar(1));
    }
    QStringEncoder encoder(GbkName);
    const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(all)) : QByteArray();
    qsizetype pos = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c)) {
            table[c] = quint16(Unencodable) | (QChar::isLowSurrogate(c) ? quint16(LowSurrogate) : quint16(0));
            continue;
        }
        const qsizetype end = c == 1 ? pos + 1 : bytes.indexOf('\x01', pos);
        if (end < 0) {
            table[c] = Unencodable;
            continue;
        }
        const QByteArrayView code = QByteArrayView(bytes).sliced(pos, end - pos);
        pos = end + 1;
        // ICU drops unmappable "default ignorable" characters (soft hyphen, joiners) without a
        // trace; code page 936 writes "?" for them as for any other character it lacks.
        if (code.size() == 2)
            table[c] = TwoBytes;
        else if (code.size() == 1 && quint8(code[0]) >= 0x80)
            table[c] = HighSingle;
        else if (code.size() != 1 || (code[0] == '?' && c != u'?'))
            table[c] = Unencodable;
    }
    return table;
}

const UnitTable &unitTable()
{
    static const UnitTable table = buildTable();
    return table;
}

bool isFourByteLead(quint8 b)
{
    return b >= 0x81 && b <= 0xFE;
}
bool isFourByteSecond(quint8 b)
{
    return b >= 0x30 && b <= 0x39;
}

} // namespace

bool available()
{
    return QStringEncoder(GbkName).isValid() && QStringEncoder(Gb18030Name).isValid();
}

// Runs of characters GBK has go through the GBK converter; each character it lacks (a surrogate
// pair counting as one) is written by `missing`.
namespace {
template <typename Missing> QByteArray encodeWith(QStringView text, Missing missing)
{
    const UnitTable &table = unitTable();
    QStringEncoder gbk(GbkName);
    if (!gbk.isValid())
        return QByteArray(text.size(), '?');
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            out.append(gbk.encode(text.sliced(runStart, end - runStart)));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (!(table[u] & Unencodable))
            continue;
        flushRun(i);
        const qsizetype units =
            QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        missing(out, text.sliced(i, units));
        i += units - 1;
        runStart = i + 1;
    }
    flushRun(text.size());
    return out;
}
} // namespace

QByteArray encode(QStringView text)
{
    return encodeWith(text, [](QByteArray &out, QStringView) { out.append('?'); });
}

QByteArray encodeLossless(QStringView text)
{
    QStringEncoder gb18030(Gb18030Name);
    return encodeWith(text, [&gb18030](QByteArray &out, QStringView character) {
        if (character.size() == 1 && character[0].isSurrogate())
            out.append('?'); // a lone surrogate is no character at all
        else
            out.append(gb18030.encode(character));
    });
}

QString decode(QByteArrayView bytes)
{
    Decoder decoder;
    QString out = decoder.decode(bytes);
    out += decoder.finish();
    return out;
}

Counts count(QStringView text)
{
    const UnitTable &table = unitTable();
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    qint64 twoBytes = 0, highSingle = 0, lowSurrogates = 0;
    auto addBlock = [&](quint16 sum) {
        twoBytes += sum & FieldMask;
        highSingle += (sum >> FieldBits) & FieldMask;
        lowSurrogates += (sum >> (2 * FieldBits)) & FieldMask;
    };
    qsizetype i = 0;
    for (; i + SumBlock <= n; i += SumBlock) {
        quint16 sum = 0;
        for (int k = 0; k < SumBlock; ++k)
            sum += table[p[i + k]];
        addBlock(sum);
    }
    quint16 sum = 0;
    for (; i < n; ++i)
        sum += table[p[i]];
    addBlock(sum);

    qint64 pairs = 0;
    if (lowSurrogates > 0) [[unlikely]] {
        for (qsizetype k = 1; k < n; ++k)
            pairs += QChar::isLowSurrogate(p[k]) && QChar::isHighSurrogate(p[k - 1]);
    }
    Counts c;
    c.chinese = twoBytes + highSingle;
    c.bytes = n + twoBytes - pairs; // a pair is one character, written as one "?"
    return c;
}

QString Decoder::decode(QByteArrayView piece)
{
    QByteArray buf = m_pending;
    buf.append(piece);
    m_pending.clear();

    QStringDecoder gbk(GbkName);
    QStringDecoder gb18030(Gb18030Name);
    if (!gbk.isValid() || !gb18030.isValid())
        return QString(buf.size(), QChar::ReplacementCharacter);

    QString out;
    out.reserve(buf.size());
    const auto *b = reinterpret_cast<const quint8 *>(buf.constData());
    const qsizetype n = buf.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            out.append(gbk.decode(QByteArrayView(buf).sliced(runStart, end - runStart)));
    };
    while (i < n) {
        if (!isFourByteLead(b[i])) {
            ++i;
            continue;
        }
        if (i + 1 >= n)
            break; // the rest of this character is in the next piece
        if (!isFourByteSecond(b[i + 1])) {
            i += 2;
            continue;
        }
        if (i + 3 >= n)
            break;
        if (isFourByteLead(b[i + 2]) && isFourByteSecond(b[i + 3])) {
            flushRun(i);
            out.append(gb18030.decode(QByteArrayView(buf).sliced(i, 4)));
            i += 4;
            runStart = i;
        } else {
            i += 2; // not a character: let the GBK decoder report it
        }
    }
    flushRun(i);
    m_pending = buf.sliced(i);
    return out;
}

QString Decoder::finish()
{
    if (m_pending.isEmpty())
        return QString();
    const QString rest(m_pending.size(), QChar::ReplacementCharacter);
    m_pending.clear();
    return rest;
}

} // namespace Gbk
