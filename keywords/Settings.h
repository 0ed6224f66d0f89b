#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

#include <optional>

// The four option check boxes as the settings code sees them. The main window implements this
// over its real boxes; tests fake it.
class OptionBoxes
{
public:
    // In the order the settings file lists them.
    enum Box { CB, CI, Cnew, CCopy, BoxCount };

    virtual ~OptionBoxes() = default;
    // 0 clear, 1 ticked, 2 grayed: the numbers the settings file stores, not Qt::CheckState's
    // (see CheckStateFor).
    virtual int state(Box box) const = 0;
    virtual void setState(Box box, int state) = 0;
};

// "Setting", the settings file's one section.
QString SettingSection();
// "粗体", "斜体", "新窗口打开", "生成后复制".
QString SettingKey(OptionBoxes::Box box);

// A stored value as a 16-bit number: decimal, an optional sign, spaces around allowed, a
// fraction rounded to the nearest whole number with halves to even (0.5 → 0, 1.5 → 2, 2.5 → 2).
// Anything else, empty text included, or a result beyond 16 bits gives nothing.
std::optional<qint16> ParseIniNumber(const QString &text);

// Reads the four keys into their boxes. A value other than 0, 1 or 2 (or none) leaves its box as
// it was; each key is read whatever happened to the one before.
void LoadSet(OptionBoxes &boxes, const QString &iniPath);
// Writes the four boxes' states, CB first, CCopy last, in one replacement of the file. False when
// they could not be stored; a file that exists but cannot be read is never replaced.
bool SaveSet(const OptionBoxes &boxes, const QString &iniPath);

// Stored state 1 (ticked) is Qt::Checked (2) and stored 2 (grayed) is Qt::PartiallyChecked (1).
Qt::CheckState CheckStateFor(int state);
int StateFor(Qt::CheckState checkState);
