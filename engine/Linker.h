#pragma once

#include "ArticleText.h"
#include "KeywordRotation.h"
#include "Options.h"
#include "RandomSource.h"

#include <QList>
#include <QString>

#include <optional>

class KeywordTable;

// Linking one article, with no window behind it: the window's generate button and any headless
// caller run the same functions.
namespace Linker {

constexpr int MinimumRecords = 2;
constexpr int MinimumChinese = 80;
// How often the draw tries for a link that differs from those already drawn for the article.
constexpr int MaxDraws = 20;

// Why an article is not linked, in the order the checks are made.
enum class Refusal { None, TooFewRecords, TooFewChinese };

struct Link
{
    QString markup;
    QString keyWord;
};

struct Result
{
    Refusal refusal = Refusal::None;
    QString text;                   // the linked article; empty when refused
    QList<ArticleText::Span> links; // where the links went in it, in the order of the article
};

// The points of `count` links in an article of `length` units. Two links go after the first third
// and after the third of three nearly equal parts of the rest; any other number is spread evenly,
// the k-th of n at k·length/(n + 1).
QList<qsizetype> PointsFor(qsizetype length, qsizetype count);
// The points for this article, in order. With the option 避开标签 each goes to the nearest position
// the article's format allows (see Placement). Without it, a point that falls between the CR and the
// LF of a line break, or between the halves of a surrogate pair, moves one unit back, before the
// pair; a Markdown one then moves on past a "!", a "\" or an emphasis run it would change.
QList<qsizetype> PointsIn(QStringView article, qsizetype count, const Options &options);

// `markups[k]` at `points[k]` (in order); the spans say where each went.
Result InsertAt(QStringView article, const QList<qsizetype> &points, const QStringList &markups);

// The article with the mark-ups at its points, or the refusal for a list of `records` records.
// `chinese` is the article's Chinese count when the caller keeps it; otherwise it is counted here.
Result LinkArticle(QStringView article, const QStringList &markups, const Options &options, qsizetype records,
                   std::optional<qint64> chinese = std::nullopt);

// `count` links drawn from the table, in the options' format and style, each differing in mark-up
// from those before it when MaxDraws draws allow, or, with 轮换关键字 on, taken from the rotation,
// each with a link (the record's, not its mark-up) other than those before it whenever the table
// holds one. The table must hold a record; the rotation restarts whenever it is off.
QList<Link> Draw(const KeywordTable &table, qsizetype count, const Options &options, RandomSource &random,
                 KeywordRotation &rotation);

} // namespace Linker
