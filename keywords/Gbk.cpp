#include "Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <bitset>
#include <memory>
#include <vector>

namespace Gbk {
namespace {

constexpr const char *GbkName = "GBK";
constexpr const char *Gb18030Name = "GB18030";
constexpr auto Stateless = QStringConverter::Flag::Stateless;

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

constexpr char16_t PuaFirst = 0xE000;
constexpr char16_t PuaLast = 0xF8FF;

struct Tables
{
    std::array<quint16, 0x10000> units{};
    // GBK reads 82 double-byte codes as user-defined (private-use) characters where GB18030 has
    // real ones (ǹ, ḿ, the ideographic description characters, 䶮 ...). The writer puts those real
    // characters there, so the reader must take them back as such.
    std::array<char16_t, PuaLast - PuaFirst + 1> puaFix{};
    // Characters the file writer cannot put in GBK form and read back as themselves: GBK lacks
    // them, or their GBK code now reads as another character (the private-use twins above).
    std::bitset<0x10000> viaGb18030;
};

bool isFourByteLead(quint8 b)
{
    return b >= 0x81 && b <= 0xFE;
}
bool isFourByteSecond(quint8 b)
{
    return b >= 0x30 && b <= 0x39;
}

// Built once from one encode of the whole Basic Multilingual Plane (each character followed by
// the byte 0x01, which is never part of a double-byte code) and one decode of every double-byte
// code. The statistics then cost a lookup per unit instead of a converter call per keystroke.
std::unique_ptr<Tables> buildTables()
{
    auto t = std::make_unique<Tables>();

    // What each double-byte code reads as: GBK's character, or GB18030's where GBK's is private use.
    std::vector<char16_t> codeChar(0x10000, QChar::ReplacementCharacter);
    QStringDecoder gbk(GbkName, Stateless), gb18030(Gb18030Name, Stateless);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char code[2] = {char(lead), char(trail)};
            const QString g = gbk.decode(QByteArrayView(code, 2));
            if (g.size() != 1 || g[0] == QChar::ReplacementCharacter)
                continue;
            char16_t c = g[0].unicode();
            if (c >= PuaFirst && c <= PuaLast) {
                const QString h = gb18030.decode(QByteArrayView(code, 2));
                if (h.size() == 1 && !(h[0].unicode() >= PuaFirst && h[0].unicode() <= PuaLast) &&
                    !h[0].isSurrogate() && h[0] != QChar::ReplacementCharacter) {
                    t->puaFix[c - PuaFirst] = h[0].unicode();
                    c = h[0].unicode();
                }
            }
            codeChar[lead << 8 | trail] = c;
        }
    }

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
        quint16 &unit = t->units[c];
        if (QChar::isSurrogate(c)) {
            unit = quint16(Unencodable) | (QChar::isLowSurrogate(c) ? quint16(LowSurrogate) : quint16(0));
            t->viaGb18030.set(c);
            continue;
        }
        const qsizetype end = c == 1 ? pos + 1 : bytes.indexOf('\x01', pos);
        if (end < 0) {
            unit = Unencodable;
            t->viaGb18030.set(c);
            continue;
        }
        const QByteArrayView code = QByteArrayView(bytes).sliced(pos, end - pos);
        pos = end + 1;
        // ICU drops unmappable "default ignorable" characters (soft hyphen, joiners) without a
        // trace; code page 936 writes "?" for them as for any other character it lacks.
        if (code.size() == 2)
            unit = TwoBytes;
        else if (code.size() == 1 && quint8(code[0]) >= 0x80)
            unit = HighSingle;
        else if (code.size() != 1 || (code[0] == '?' && c != u'?'))
            unit = Unencodable;

        if (code.size() == 2) {
            const int lead = quint8(code[0]), trail = quint8(code[1]);
            t->viaGb18030.set(c, codeChar[lead << 8 | trail] != c);
        } else {
            const quint8 b = code.isEmpty() ? 0 : quint8(code[0]);
            const bool readsBack = unit != Unencodable && (b == c || (b == 0x80 && c == u'\u20AC'));
            t->viaGb18030.set(c, !readsBack);
        }
    }
    return t;
}

const Tables &tables()
{
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

} // namespace

bool available()
{
    return QStringEncoder(GbkName).isValid() && QStringEncoder(Gb18030Name).isValid();
}

// Runs of characters GBK has go through the GBK converter; each character `other` picks (a
// surrogate pair counting as one) is written by `write`.
namespace {
template <typename Other, typename Write> QByteArray encodeWith(QStringView text, Other other, Write write)
{
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
        if (!other(u))
            continue;
        flushRun(i);
        const qsizetype units =
            QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        write(out, text.sliced(i, units));
        i += units - 1;
        runStart = i + 1;
    }
    flushRun(text.size());
    return out;
}
} // namespace

QByteArray encode(QStringView text)
{
    const auto &units = tables().units;
    return encodeWith(
        text, [&units](char16_t u) { return units[u] & Unencodable; },
        [](QByteArray &out, QStringView) { out.append('?'); });
}

QByteArray encodeLossless(QStringView text)
{
    const auto &via = tables().viaGb18030;
    QStringEncoder gb18030(Gb18030Name);
    return encodeWith(
        text, [&via](char16_t u) { return via[u]; },
        [&gb18030](QByteArray &out, QStringView character) {
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
    const auto &table = tables().units;
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

Decoder::Decoder() : m_gbk(GbkName, Stateless), m_gb18030(Gb18030Name, Stateless) {}

QString Decoder::decode(QByteArrayView piece)
{
    QByteArray buf = m_pending;
    buf.append(piece);
    m_pending.clear();
    if (!m_gbk.isValid() || !m_gb18030.isValid())
        return QString(buf.size(), QChar::ReplacementCharacter);

    const auto &puaFix = tables().puaFix;
    QString out;
    out.reserve(buf.size());
    const auto *b = reinterpret_cast<const quint8 *>(buf.constData());
    const qsizetype n = buf.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    auto flushRun = [&](qsizetype end) {
        if (end <= runStart)
            return;
        const qsizetype from = out.size();
        out.append(m_gbk.decode(QByteArrayView(buf).sliced(runStart, end - runStart)));
        for (qsizetype k = from; k < out.size(); ++k) {
            const char16_t u = out[k].unicode();
            if (u >= PuaFirst && u <= PuaLast && puaFix[u - PuaFirst]) [[unlikely]]
                out[k] = QChar(puaFix[u - PuaFirst]);
        }
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
            out.append(m_gb18030.decode(QByteArrayView(buf).sliced(i, 4)));
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
