#pragma once

// Where the article is published: web pages, forums that take UBB (BBCode), Markdown sites. The
// numbers are the ones the settings file stores.
enum class LinkFormat { Html = 0, Ubb = 1, Markdown = 2 };

// The program's options as one plain value: what the settings file holds, what the window's
// controls show and what the linker is told. Every option is off by default, and two links go in.
struct Options
{
    static constexpr int DefaultLinkCount = 2;
    static constexpr int MaxLinkCount = 10;

    bool bold = false;
    bool italic = false;
    bool newWindow = false; // HTML only: UBB and Markdown have no equivalent
    bool copyAfterGenerate = false;
    LinkFormat format = LinkFormat::Html;
    bool avoidMarkup = false;
    bool rotateKeywords = false;
    bool inPlace = false;     // link the keywords where the article already has them
    bool sentenceEnd = false; // an inserted link goes to the nearest clause end
    int linkCount = DefaultLinkCount;

    bool operator==(const Options &) const = default;
};
