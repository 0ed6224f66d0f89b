#include "StoredFile.h"

#include "Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <QDir>

#include <algorithm>
#include <array>
#include <memory>

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

// What a character says about the reading it comes from. Each costs roughly -log2 of how often it turns up in the
// keyword lists Chinese users keep, in bits; the kinds from Hiragana on also depend on their neighbours (cost()).
enum Kind : quint8 {
    Plain,     // ASCII other than letters: the same in both readings, so it weighs nothing
    Hanzi1,    // GB2312's 3,755 common hanzi
    HanziTrad, // Big5's 5,401 common characters
    Kanji,     // JIS X 0208's first level
    Hanzi2,    // GB2312's second level: rarer, but names are full of it
    HanziRare,
    Hangul, // KS X 1001's 2,350 syllables
    Punct,  // the punctuation of Chinese text
    Symbol,
    Foreign,  // stray letters and symbols: IPA, scripts whose UTF-8 is GBK's common hanzi, rare hangul and kana
    Junk,     // controls, private use, unassigned, U+FFFD
    Hiragana, // JIS X 0208's
    Katakana,
    EmojiLead,
    PairLead,
    PairTrail,
    EmojiJoin, // the variation selector and the joiner inside emoji sequences
    Alphabet,  // a letter of another script (Thai, Devanagari)
    // Letters, judged by the word they stand in:
    Letter,    // ASCII
    Latin,     // a letter of a European language beyond ASCII
    LatinRare, // other letters of the Latin script
    Cyrillic,
    CyrillicVowel,
    Greek,
    Mark, // a combining mark
};
constexpr quint8 Upper = 0x80;
constexpr int BaseCost[Hiragana] = {0, 12, 13, 14, 16, 20, 11, 8, 14, 22, 26};
// A change between hanzi and ASCII letters (iPhone维修) is common, but hanzi inside a Latin word are not.
constexpr int HanLetterSwitch = 3;

bool isHan(Kind k)
{
    return k >= Hanzi1 && k <= HanziRare;
}

Kind defaultKind(char32_t c)
{
    if (c < 0x80)
        return QChar::isLetter(c) ? Letter : Plain;
    if (QChar::isHighSurrogate(c))
        return c >= 0xD83C && c <= 0xD83E ? EmojiLead : PairLead; // U+1F000 to U+1FBFF
    if (QChar::isLowSurrogate(c))
        return PairTrail;
    if (c == 0x200D || c == 0xFE0F)
        return EmojiJoin;
    if (QStringView(u"\u3000、。〃々〈〉《》「」『』【】〔〕〖〗！（），．：；？～—‘’“”…").contains(QChar(char16_t(c))))
        return Punct;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return Mark;
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return Junk;
    default:
        break;
    }
    if (c == QChar::ReplacementCharacter || QChar::isNonCharacter(c))
        return Junk;
    if (c == 0x30FC) // the long-vowel mark of katakana
        return Katakana;
    // Pinyin's tone marks; the rest of the spacing modifiers, like the punctuation of other scripts, is foreign.
    if (c == 0x2C7 || (c >= 0x2C9 && c <= 0x2CB) || c == 0x2D9)
        return Symbol;
    if (c >= 0x2B0 && c <= 0x2FF)
        return Foreign;
    if (!QChar::isLetter(c))
        return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
                       (c >= 0x3000 && c <= 0x33FF) || (c >= 0xFE30 && c <= 0xFE4F) || c >= 0xFF00
                   ? Symbol
                   : Foreign;
    switch (QChar::script(c)) {
    case QChar::Script_Latin:
        // Western, Central European, Turkish and Vietnamese letters, pinyin's tone marks, Romanian's commas.
        return (c <= 0x17F && c != 0xAA && c != 0xBA) || (c >= 0x1E00 && c <= 0x1EFF) || (c >= 0x1CD && c <= 0x1DC) ||
                       (c >= 0x218 && c <= 0x21B)
                   ? Latin
                   : LatinRare;
    case QChar::Script_Cyrillic:
        // Russian, Ukrainian and Belarusian letters.
        if ((c >= 0x410 && c <= 0x451) || c == 0x401 || c == 0x404 || c == 0x406 || c == 0x407 || c == 0x40E ||
            c == 0x454 || c == 0x456 || c == 0x457 || c == 0x45E || c == 0x490 || c == 0x491)
            return QStringView(u"АЕЁИОУЫЭЮЯІЇЄаеёиоуыэюяіїє").contains(QChar(char16_t(c))) ? CyrillicVowel : Cyrillic;
        return Foreign;
    case QChar::Script_Greek:
        return Greek;
    case QChar::Script_Han:
        return HanziRare;
    case QChar::Script_Hangul:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return Foreign;
    default:
        // Below U+0800 a run of letters of one script (Armenian, Hebrew, Arabic) is GBK's common hanzi read as
        // UTF-8 (专注, D7A8 D7A2, reads as Hebrew), so only the scripts above it count as words.
        return c >= 0x800 ? Alphabet : Foreign;
    }
}

// Every character's kind; the common sets are read out of the legacy converters, which hold them as ranges of codes.
std::unique_ptr<std::array<quint8, 0x10000>> buildKinds()
{
    auto kinds = std::make_unique<std::array<quint8, 0x10000>>();
    for (char32_t c = 0; c < 0x10000; ++c)
        (*kinds)[c] = quint8(defaultKind(c)) | (QChar::isUpper(c) ? Upper : 0);
    // Double-byte codes lead << 8 | trail from `first` to `last`, trail bytes from 0xA1 (0x40 for Big5) to 0xFE;
    // later sets win, so the cheaper Han kinds come last.
    const auto set = [&kinds](const char *codec, int first, int last, Kind kind) {
        QStringDecoder decoder(codec, QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            return;
        for (int code = first; code <= last; ++code) {
            const int trail = code & 0xFF;
            if (trail < (kind == HanziTrad ? 0x40 : 0xA1) || trail == 0xFF || (trail > 0x7E && trail < 0xA1))
                continue;
            const char bytes[2] = {char(code >> 8), char(trail)};
            const QString c = decoder.decode(QByteArrayView(bytes, 2));
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter)
                (*kinds)[c[0].unicode()] = kind;
        }
    };
    set("GBK", 0xD8A1, 0xF7FE, Hanzi2);
    set("EUC-JP", 0xB0A1, 0xCFD3, Kanji);
    set("EUC-JP", 0xA4A1, 0xA4F3, Hiragana);
    set("EUC-JP", 0xA5A1, 0xA5F6, Katakana);
    set("Big5", 0xA440, 0xC67E, HanziTrad);
    set("GBK", 0xB0A1, 0xD7F9, Hanzi1);
    set("EUC-KR", 0xB0A1, 0xC8FE, Hangul);
    return kinds;
}

const std::array<quint8, 0x10000> &kinds()
{
    static const auto k = buildKinds();
    return *k;
}

// The letters of a word: a run of letters and combining marks.
struct Word
{
    int ascii = 0, latin = 0, latinRare = 0, cyrillic = 0, vowels = 0, caseBreaks = 0, greek = 0;
    bool lastLower = false;

    qint64 cost() const
    {
        if (cyrillic && !ascii && !latin && !latinRare && !greek) // a Russian word has a vowel and a capital first
            return 8 + cyrillic * (cyrillic > 1 && vowels ? 5 : 12) + 8 * caseBreaks;
        if (greek && !ascii && !latin && !latinRare && !cyrillic)
            return 12 + 10 * greek;
        // An accented letter is usual inside a word of ASCII letters (café), odd without them.
        return (ascii ? 6 : 16) * latin + (ascii ? 14 : 22) * latinRare + 22 * (cyrillic + greek);
    }
};

// How unlikely a reading is as a keyword list, in bits.
qint64 cost(QStringView text)
{
    const auto &table = kinds();
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    const auto kindAt = [&](qsizetype i) { return i >= 0 && i < n ? Kind(table[p[i]] & ~Upper) : Plain; };
    qint64 total = 0;
    Word word;
    bool inWord = false;
    Kind previous = Plain, kind = Plain;
    bool markOnLetter = false;
    for (qsizetype i = 0; i < n; ++i, previous = kind) {
        const quint8 entry = table[p[i]];
        kind = Kind(entry & ~Upper);
        if (kind < Letter && inWord) {
            total += word.cost();
            word = Word();
            inWord = false;
        }
        if (kind < Hiragana) {
            total += BaseCost[kind] + (previous == Letter && isHan(kind) ? HanLetterSwitch : 0);
            continue;
        }
        switch (kind) {
        case Hiragana:
        case Katakana: { // in a run of kana, or hiragana after or before kanji (お土産, 使い方)
            const Kind after = kindAt(i + 1);
            const bool kana = previous == Hiragana || previous == Katakana || after == Hiragana || after == Katakana;
            total += kana ? 6 : kind == Hiragana && (isHan(previous) || isHan(after)) ? 10 : 14;
            break;
        }
        case EmojiLead:
        case PairLead:
            total += kindAt(i + 1) != PairTrail ? 26 : kind == EmojiLead ? 12 : 28;
            break;
        case PairTrail:
            total += previous == EmojiLead || previous == PairLead ? 0 : 26;
            break;
        case EmojiJoin:
            total += previous == PairTrail || previous == Symbol ? 2 : 22;
            break;
        case Mark: // an accent or vowel sign written after its letter
            markOnLetter = previous == Letter || previous == Alphabet || (previous == Mark && markOnLetter);
            total += markOnLetter ? 6 : 24;
            inWord = true;
            break;
        case Alphabet: {
            const auto sameScript = [&](qsizetype j) { return j >= 0 && j < n && (p[j] >> 7) == (p[i] >> 7); };
            total += sameScript(i - 1) || sameScript(i + 1) ? 7 : 22;
            break;
        }
        case Cyrillic:
        case CyrillicVowel:
            ++word.cyrillic;
            word.vowels += kind == CyrillicVowel;
            word.caseBreaks += (entry & Upper) && word.lastLower;
            word.lastLower = !(entry & Upper);
            inWord = true;
            break;
        default:
            total += kind == Letter && isHan(previous) ? HanLetterSwitch : 0;
            ++(kind == Letter      ? word.ascii
               : kind == Latin     ? word.latin
               : kind == LatinRare ? word.latinRare
                                   : word.greek);
            inWord = true;
            break;
        }
    }
    return total + (inWord ? word.cost() : 0);
}

// The UTF-8 reading must be likelier by this many bits: GBK is the program's own form, so a tie is GBK.
constexpr qint64 Lean = 2;
// Readings closer than this many bits (odds of 64 to 1) are both offered: a one-word list that reads well either way
// (à la carte, or 路, which is · in UTF-8) is closer, while even one-record lists of real words are mostly farther.
constexpr qint64 Doubt = 6;

} // namespace

Readings readings(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8Bom))
        return {{QString::fromUtf8(bytes.sliced(Utf8Bom.size())), Encoding::Utf8Bom}, std::nullopt};
    if (bytes.startsWith(Utf16LeBom))
        return {{decodeUtf16(bytes.sliced(2), QStringConverter::Utf16LE), Encoding::Utf16Le}, std::nullopt};
    if (bytes.startsWith(Utf16BeBom))
        return {{decodeUtf16(bytes.sliced(2), QStringConverter::Utf16BE), Encoding::Utf16Be}, std::nullopt};

    // ASCII reads the same in both, and GBK keeps it as it is.
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return quint8(b) < 0x80; }))
        return {{QString::fromLatin1(bytes), Encoding::Gbk}, std::nullopt};
    Text gbk{Gbk::decode(bytes), Encoding::Gbk};
    if (!bytes.isValidUtf8())
        return {std::move(gbk), std::nullopt};
    Text utf8{QString::fromUtf8(bytes), Encoding::Utf8};
    // Bytes that are valid UTF-8 but not GBK.
    if (gbk.text.count(QChar::ReplacementCharacter) > utf8.text.count(QChar::ReplacementCharacter))
        return {std::move(utf8), std::nullopt};
    const qint64 margin = cost(gbk.text) - cost(utf8.text) - Lean;
    Readings r{margin > 0 ? std::move(utf8) : std::move(gbk), std::nullopt};
    if (margin < Doubt && margin > -Doubt)
        r.other = margin > 0 ? std::move(gbk) : std::move(utf8);
    return r;
}

Text decode(QByteArrayView bytes)
{
    return readings(bytes).likelier;
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
