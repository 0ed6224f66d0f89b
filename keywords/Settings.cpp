#include "Settings.h"

#include "IniFile.h"

#include <QFileInfo>
#include <QStringView>

#include <algorithm>
#include <limits>

namespace {

const QString Section = QStringLiteral("Setting");

// A key of the section: its values, the one a file without it gives, and how it reads and sets
// the stored options. The first page's boxes store 2 for grayed.
struct Key
{
    QString name;
    int minimum;
    int maximum;
    int missing;
    bool alwaysWritten;
    int (*get)(const StoredOptions &);
    void (*set)(StoredOptions &, int);
};

template <bool Options::*on, bool StoredOptions::*grayed> Key box(const QString &name)
{
    return {name,
            0,
            2,
            0,
            true,
            [](const StoredOptions &s) { return s.*grayed ? 2 : int(s.options.*on); },
            [](StoredOptions &s, int state) {
                s.options.*on = state == 1;
                s.*grayed = state == 2;
            }};
}

template <bool Options::*on> Key flag(const QString &name)
{
    return {name,
            0,
            1,
            0,
            false,
            [](const StoredOptions &s) { return int(s.options.*on); },
            [](StoredOptions &s, int state) { s.options.*on = state == 1; }};
}

const Key Keys[] = {
    box<&Options::bold, &StoredOptions::boldGrayed>(QStringLiteral("粗体")),
    box<&Options::italic, &StoredOptions::italicGrayed>(QStringLiteral("斜体")),
    box<&Options::newWindow, &StoredOptions::newWindowGrayed>(QStringLiteral("新窗口打开")),
    box<&Options::copyAfterGenerate, &StoredOptions::copyGrayed>(QStringLiteral("生成后复制")),
    {QStringLiteral("链接格式"), 0, 2, 0, false, [](const StoredOptions &s) { return int(s.options.format); },
     [](StoredOptions &s, int state) { s.options.format = LinkFormat(state); }},
    flag<&Options::avoidMarkup>(QStringLiteral("避开标签")),
    flag<&Options::rotateKeywords>(QStringLiteral("轮换关键字")),
    flag<&Options::inPlace>(QStringLiteral("文中匹配")),
    flag<&Options::sentenceEnd>(QStringLiteral("句末插入")),
    {QStringLiteral("链接数量"), 1, Options::MaxLinkCount, Options::DefaultLinkCount, false,
     [](const StoredOptions &s) { return s.options.linkCount; },
     [](StoredOptions &s, int count) { s.options.linkCount = count; }},
};

// What LoadSet takes from the file for a key, if anything.
std::optional<int> storedState(const IniFile &file, const Key &key)
{
    const std::optional<qint16> value = ParseIniNumber(file.value(Section, key.name));
    if (value && *value >= key.minimum && *value <= key.maximum)
        return *value;
    return std::nullopt;
}

} // namespace

std::optional<qint16> ParseIniNumber(const QString &text)
{
    QStringView s = QStringView(text).trimmed();
    bool negative = false;
    if (s.startsWith(u'+') || s.startsWith(u'-')) {
        negative = s.front() == u'-';
        s = s.sliced(1);
    }
    const qsizetype dot = s.indexOf(u'.');
    const QStringView whole = dot < 0 ? s : s.first(dot);
    const QStringView fraction = dot < 0 ? QStringView() : s.sliced(dot + 1);
    auto digits = [](QStringView v) {
        return std::all_of(v.begin(), v.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if ((whole.isEmpty() && fraction.isEmpty()) || !digits(whole) || !digits(fraction))
        return std::nullopt;

    qint32 magnitude = 0;
    for (QChar c : whole) {
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > 100'000)
            return std::nullopt; // far outside 16 bits already; stop before a long number overflows
    }
    if (!fraction.isEmpty()) {
        const QChar first = fraction.front();
        const bool beyondHalf = std::any_of(fraction.begin() + 1, fraction.end(), [](QChar c) { return c != u'0'; });
        if (first > u'5' || (first == u'5' && (beyondHalf || magnitude % 2 == 1)))
            ++magnitude;
    }
    const qint32 value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}

void LoadSet(StoredOptions &stored, const QString &iniPath)
{
    const std::optional<IniFile> file = IniFile::load(iniPath); // read and decoded once for all keys
    if (!file)
        return;
    for (const Key &key : Keys) {
        if (const std::optional<int> value = storedState(*file, key))
            key.set(stored, *value);
    }
}

bool SaveSet(const StoredOptions &stored, const QString &iniPath)
{
    std::optional<IniFile> file = IniFile::load(iniPath);
    if (!file)
        return false; // never replace a file we could not read
    const QByteArray before = file->bytes();
    for (const Key &key : Keys) {
        const int state = key.get(stored);
        if (!key.alwaysWritten && storedState(*file, key).value_or(key.missing) == state)
            continue; // the file already gives this state; a file without the key stays untouched
        file->setValue(Section, key.name, qint16(state));
    }
    return (file->bytes() == before && QFileInfo::exists(iniPath)) || StoredFile::write(iniPath, file->bytes());
}
