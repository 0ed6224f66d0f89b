#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

#include <optional>

// The option controls as the settings code sees them: the four check boxes of the first page and
// the three options of the advanced page. The main window implements this over its real controls;
// tests fake it.
class OptionBoxes
{
public:
    // In the order the settings file lists them. The last three start at 0 and are written only
    // when they hold something else or the file already names them, so a file from before they
    // existed stays as it was while they are left alone.
    enum Box { CB, CI, Cnew, CCopy, LinkFormat, AvoidMarkup, RotateKeywords, BoxCount };

    virtual ~OptionBoxes() = default;
    // 0 clear, 1 ticked, 2 grayed: the numbers the settings file stores, not Qt::CheckState's
    // (see CheckStateFor).
    virtual int state(Box box) const = 0;
    virtual void setState(Box box, int state) = 0;
};

// "Setting", the settings file's one section.
QString SettingSection();
// "粗体", "斜体", "新窗口打开", "生成后复制", "链接格式", "避开标签", "轮换关键字".
QString SettingKey(OptionBoxes::Box box);
// The highest state a control takes: 2 for the check boxes (grayed) and the link format (Markdown),
// 1 for the two on/off options of the advanced page.
int SettingMaximum(OptionBoxes::Box box);

// A stored value as a 16-bit number: decimal, an optional sign, spaces around allowed, a
// fraction rounded to the nearest whole number with halves to even (0.5 → 0, 1.5 → 2, 2.5 → 2).
// Anything else, empty text included, or a result beyond 16 bits gives nothing.
std::optional<qint16> ParseIniNumber(const QString &text);

// Reads the keys into their controls. A value from 0 to the control's maximum sets it; anything
// else (or no value) leaves it as it was; each key is read whatever happened to the one before.
void LoadSet(OptionBoxes &boxes, const QString &iniPath);
// Writes the states, CB first, in one replacement of the file. False when they could not be
// stored; a file that exists but cannot be read is never replaced.
bool SaveSet(const OptionBoxes &boxes, const QString &iniPath);

// Stored state 1 (ticked) is Qt::Checked (2) and stored 2 (grayed) is Qt::PartiallyChecked (1).
Qt::CheckState CheckStateFor(int state);
int StateFor(Qt::CheckState checkState);
