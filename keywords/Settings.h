#pragma once

#include "Options.h"

#include <QString>

#include <optional>

// What the settings file holds: the options, and which of the first page's four check boxes it
// gives as grayed (stored 2). A grayed box counts as off, so its option is false here; it is written
// back as 2 for as long as it stays grayed.
struct StoredOptions
{
    Options options;
    bool boldGrayed = false;
    bool italicGrayed = false;
    bool newWindowGrayed = false;
    bool copyGrayed = false;

    bool operator==(const StoredOptions &) const = default;
};

// A stored value as a 16-bit number: decimal, an optional sign, spaces around allowed, a
// fraction rounded to the nearest whole number with halves to even (0.5 → 0, 1.5 → 2, 2.5 → 2).
// Anything else, empty text included, or a result beyond 16 bits gives nothing.
std::optional<qint16> ParseIniNumber(const QString &text);

// The keys of the section "Setting", in the order the file lists them: "粗体", "斜体", "新窗口打开",
// "生成后复制" (not the box's full caption: existing files use this key), then "链接格式", "避开标签",
// "轮换关键字", "文中匹配", "句末插入" and "链接数量". The keys after the first four are written only
// when the file does not already give their value (a missing key gives 0, or 2 links), so a file
// from before they existed stays as it was while they are left alone.
//
// Reads the keys into `stored`. A value in the key's range (0 to 2 for the first four and the link
// format, 0 or 1 for the on/off options of the advanced page, 1 to 10 for the number of links) sets
// its option; anything else (or no value) leaves it as it was; each key is read whatever happened to
// the one before.
void LoadSet(StoredOptions &stored, const QString &iniPath);
// Writes the options, 粗体 first, in one replacement of the file. False when they could not be
// stored; a file that exists but cannot be read is never replaced.
bool SaveSet(const StoredOptions &stored, const QString &iniPath);
