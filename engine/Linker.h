#pragma once

#include "ArticleText.h"
#include "KeywordMatcher.h"
#include "KeywordRotation.h"
#include "Options.h"
#include "RandomSource.h"

#include <QList>
#include <QString>

#include <functional>
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
// What the user is told of a refusal; empty for None.
QString RefusalText(Refusal refusal);

struct Link
{
    QString markup;
    QString keyWord;
    qsizetype record = 0; // the table position it was drawn from; 0 when not from a table
};

// A link of an article: its mark-up takes the place of `length` units at `start`. A link inserted
// between the article's words replaces nothing; one on the article's own words replaces them.
struct Edit
{
    qsizetype start = 0;
    qsizetype length = 0;
    Link link;
    bool operator==(const Edit &other) const
    {
        return start == other.start && length == other.length && link.markup == other.link.markup;
    }
};

// The list as the option 文中匹配 finds its keywords in an article.
struct Words
{
    const KeywordTable &table;
    const KeywordMatcher &matcher;
    // With 轮换关键字 on: the rotation, whose records earlier in the cycle are linked first.
    const KeywordRotation *rotation = nullptr;
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

// What a generate needs of an article before its links are drawn: it depends on the article, the
// options and the list's keywords only, so it may be worked out ahead, or on another thread.
struct Layout
{
    QList<qsizetype> points;            // the points, as PointsFor gives them
    QList<qsizetype> inserted;          // where a link inserted for each point goes
    QList<KeywordMatcher::Match> found; // with 文中匹配: the keywords where links may go
};
Layout Lay(QStringView article, qsizetype count, const Options &options, const KeywordMatcher *matcher);
// The links of an article laid out so: see Plan.
QList<Edit> Assign(const Layout &layout, const QList<Link> &drawn, const Options &options, const Words *words);

// Where the drawn links go, in the order of the article. Without the options 文中匹配 and 句末插入 the
// k-th drawn link goes to the k-th of PointsIn. With 文中匹配 (and `words`), each point in turn first
// takes the occurrence of a keyword nearest to it where a link may go (Placement::LinkPlaces),
// wrapping the article's own words in the record's mark-up: a record whose link no link before has,
// the first such record of its keyword, or with the rotation the one earliest in its cycle; no
// occurrence twice. The points left take the drawn links in order, those whose link an occurrence
// already has last. With 句末插入 an inserted link moves to the nearest clause end (Placement::ClauseEnd).
QList<Edit> Plan(QStringView article, const QList<Link> &drawn, const Options &options, const Words *words = nullptr);
// What a generate's edits leave the rotation with. With 轮换关键字 and 文中匹配 on, the cycle goes on from
// what went into the article: the records linked on its words leave the cycle, and drawn links that
// found no place come next time. Otherwise the rotation stays as the draw left it.
void Commit(const QList<Edit> &edits, const QList<Link> &drawn, const Options &options, KeywordRotation &rotation);
// Whether the options place links by reading the article (避开标签, 文中匹配, 句末插入, and Markdown,
// whose own characters around a point matter) rather than by its length and the characters on
// either side of each point alone.
bool ReadsArticle(const Options &options);
// An article's character at a position.
using CharacterAt = std::function<QChar(qsizetype)>;
// Plan for options that do not read the article, which is then known by its length and characters.
QList<Edit> Plan(qsizetype length, const CharacterAt &at, const QList<Link> &drawn, const Options &options);

// The article with the edits made; the spans say where each link went.
Result Apply(QStringView article, const QList<Edit> &edits);

// The refusal for an article with `chinese` Chinese characters (counted here when not given) and a
// list of `records` records, if any.
Refusal Check(QStringView article, qsizetype records, std::optional<qint64> chinese = std::nullopt);
// The article linked by Plan, or the refusal.
Result LinkArticle(QStringView article, const QList<Link> &drawn, const Options &options, qsizetype records,
                   std::optional<qint64> chinese = std::nullopt, const Words *words = nullptr);

// `count` links drawn from the table, in the options' format and style, each differing in mark-up
// from those before it when MaxDraws draws allow, or, with 轮换关键字 on, taken from the rotation,
// each with a link (the record's, not its mark-up) other than those before it whenever the table
// holds one. The table must hold a record; the rotation restarts whenever it is off.
QList<Link> Draw(const KeywordTable &table, qsizetype count, const Options &options, RandomSource &random,
                 KeywordRotation &rotation);

} // namespace Linker
