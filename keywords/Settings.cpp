#include "Settings.h"

#include "IniFile.h"

#include <QFileInfo>
#include <QStringView>

#include <algorithm>
#include <limits>

QString SettingSection()
{
    return QStringLiteral("Setting");
}

QString SettingKey(OptionBoxes::Box box)
{
    switch (box) {
    case OptionBoxes::CB:
        return QStringLiteral("粗体");
    case OptionBoxes::CI:
        return QStringLiteral("斜体");
    case OptionBoxes::Cnew:
        return QStringLiteral("新窗口打开");
    case OptionBoxes::CCopy:
        return QStringLiteral("生成后复制"); // not the box's full caption: existing files use this key
    case OptionBoxes::LinkFormat:
        return QStringLiteral("链接格式");
    case OptionBoxes::AvoidMarkup:
        return QStringLiteral("避开标签");
    case OptionBoxes::RotateKeywords:
        return QStringLiteral("轮换关键字");
    case OptionBoxes::BoxCount:
        break;
    }
    return QString();
}

int SettingMaximum(OptionBoxes::Box box)
{
    return box == OptionBoxes::AvoidMarkup || box == OptionBoxes::RotateKeywords ? 1 : 2;
}

namespace {
// What LoadSet takes from the file for a key, if anything.
std::optional<int> storedState(const IniFile &file, OptionBoxes::Box box)
{
    const std::optional<qint16> value = ParseIniNumber(file.value(SettingSection(), SettingKey(box)));
    if (value && *value >= 0 && *value <= SettingMaximum(box))
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

void LoadSet(OptionBoxes &boxes, const QString &iniPath)
{
    const std::optional<IniFile> file = IniFile::load(iniPath); // read and decoded once for all keys
    if (!file)
        return;
    for (int b = 0; b < OptionBoxes::BoxCount; ++b) {
        const auto box = OptionBoxes::Box(b);
        if (const std::optional<int> value = storedState(*file, box))
            boxes.setState(box, *value);
    }
}

bool SaveSet(const OptionBoxes &boxes, const QString &iniPath)
{
    std::optional<IniFile> file = IniFile::load(iniPath);
    if (!file)
        return false; // never replace a file we could not read
    const QByteArray before = file->bytes();
    for (int b = 0; b < OptionBoxes::BoxCount; ++b) {
        const auto box = OptionBoxes::Box(b);
        const int state = boxes.state(box);
        if (box >= OptionBoxes::LinkFormat && storedState(*file, box).value_or(0) == state)
            continue; // the file already gives this state; a file without the key stays untouched
        file->setValue(SettingSection(), SettingKey(box), qint16(state));
    }
    return (file->bytes() == before && QFileInfo::exists(iniPath)) || StoredFile::write(iniPath, file->bytes());
}

Qt::CheckState CheckStateFor(int state)
{
    switch (state) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

int StateFor(Qt::CheckState checkState)
{
    switch (checkState) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}
