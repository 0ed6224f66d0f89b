#include "Settings.h"

#include "IniFile.h"

#include <QFileInfo>
#include <QStringView>

#include <algorithm>
#include <limits>

namespace {

const QString Section = QStringLiteral("Setting");

// A key of the section and the option it holds. The link format is the one key without a flag.
struct Key
{
    QString name;
    int maximum;
    bool Options::*on;
    bool StoredOptions::*grayed; // the first page's boxes, which can be stored grayed
    bool alwaysWritten;
};

const Key Keys[] = {
    {QStringLiteral("粗体"), 2, &Options::bold, &StoredOptions::boldGrayed, true},
    {QStringLiteral("斜体"), 2, &Options::italic, &StoredOptions::italicGrayed, true},
    {QStringLiteral("新窗口打开"), 2, &Options::newWindow, &StoredOptions::newWindowGrayed, true},
    {QStringLiteral("生成后复制"), 2, &Options::copyAfterGenerate, &StoredOptions::copyGrayed, true},
    {QStringLiteral("链接格式"), 2, nullptr, nullptr, false},
    {QStringLiteral("避开标签"), 1, &Options::avoidMarkup, nullptr, false},
    {QStringLiteral("轮换关键字"), 1, &Options::rotateKeywords, nullptr, false},
};

int stateOf(const StoredOptions &stored, const Key &key)
{
    if (!key.on)
        return int(stored.options.format);
    if (key.grayed && stored.*key.grayed)
        return 2;
    return stored.options.*key.on ? 1 : 0;
}

void setState(StoredOptions &stored, const Key &key, int state)
{
    if (!key.on) {
        stored.options.format = LinkFormat(state);
        return;
    }
    stored.options.*key.on = state == 1;
    if (key.grayed)
        stored.*key.grayed = state == 2;
}

// What LoadSet takes from the file for a key, if anything.
std::optional<int> storedState(const IniFile &file, const Key &key)
{
    const std::optional<qint16> value = ParseIniNumber(file.value(Section, key.name));
    if (value && *value >= 0 && *value <= key.maximum)
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
            setState(stored, key, *value);
    }
}

bool SaveSet(const StoredOptions &stored, const QString &iniPath)
{
    std::optional<IniFile> file = IniFile::load(iniPath);
    if (!file)
        return false; // never replace a file we could not read
    const QByteArray before = file->bytes();
    for (const Key &key : Keys) {
        const int state = stateOf(stored, key);
        if (!key.alwaysWritten && storedState(*file, key).value_or(0) == state)
            continue; // the file already gives this state; a file without the key stays untouched
        file->setValue(Section, key.name, qint16(state));
    }
    return (file->bytes() == before && QFileInfo::exists(iniPath)) || StoredFile::write(iniPath, file->bytes());
}
