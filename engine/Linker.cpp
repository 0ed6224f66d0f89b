#include "Linker.h"

#include "KeywordTable.h"
#include "Markup.h"
#include "Placement.h"

#include <algorithm>

namespace {
// A link between CR and LF would leave a lone CR, which the editor turns into a second line
// break; one between the halves of a surrogate pair would break the character in two.
qsizetype outsidePairs(QStringView article, qsizetype point)
{
    if (point <= 0 || point >= article.size())
        return point;
    return Placement::SplitsPair(article.at(point - 1), article.at(point)) ? point - 1 : point;
}

Linker::Link drawn(const KeywordTable &table, qsizetype position, const Options &options)
{
    return {BuildMarkup(table.keyWord(position), table.link(position), options), table.keyWord(position)};
}
} // namespace

namespace Linker {

QList<qsizetype> PointsFor(qsizetype length, qsizetype count)
{
    if (count == 2) {
        const qsizetype x = length / 3;
        const qsizetype y = (length - x) / 3;
        const qsizetype z = (length - x - y) / 2;
        return {x, x + y + z};
    }
    QList<qsizetype> points;
    for (qsizetype k = 1; k <= count; ++k)
        points.append(k * length / (count + 1));
    return points;
}

QList<qsizetype> PointsIn(QStringView article, qsizetype count, const Options &options)
{
    QList<qsizetype> points = PointsFor(article.size(), count);
    if (options.avoidMarkup) {
        // The document is read once for all points.
        const Placement::Ranges allowed = Placement::AllowedPlaces(article, options.format);
        for (qsizetype &point : points)
            point = Placement::Nearest(allowed, point);
    } else {
        for (qsizetype &point : points)
            point = outsidePairs(article, point);
        if (options.format == LinkFormat::Markdown) {
            // A Markdown link must not turn the article's own "!", "\" or emphasis into something else.
            const Placement::Ranges safe =
                Placement::Intersect(Placement::MarkdownSafePlaces(article), Placement::PairPlaces(article));
            for (qsizetype &point : points)
                point = Placement::Nearest(safe, point);
        }
    }
    // Points moved on their own may cross: they are sorted.
    std::sort(points.begin(), points.end());
    return points;
}

Result InsertAt(QStringView article, const QList<qsizetype> &points, const QStringList &markups)
{
    Q_ASSERT(points.size() == markups.size() && std::is_sorted(points.begin(), points.end()));
    Result result;
    qsizetype added = 0;
    for (const QString &markup : markups)
        added += markup.size();
    result.text.reserve(article.size() + added);
    qsizetype from = 0;
    for (qsizetype k = 0; k < points.size(); ++k) {
        result.text.append(article.sliced(from, points[k] - from));
        result.links.append({result.text.size(), markups[k].size()});
        result.text.append(markups[k]);
        from = points[k];
    }
    result.text.append(article.sliced(from));
    return result;
}

Result LinkArticle(QStringView article, const QStringList &markups, const Options &options, qsizetype records,
                   std::optional<qint64> chinese)
{
    if (records < MinimumRecords)
        return {Refusal::TooFewRecords, {}, {}};
    if ((chinese ? *chinese : CountArticle(article).chinese) < MinimumChinese)
        return {Refusal::TooFewChinese, {}, {}};
    return InsertAt(article, PointsIn(article, markups.size(), options), markups);
}

QList<Link> Draw(const KeywordTable &table, qsizetype count, const Options &options, RandomSource &random,
                 KeywordRotation &rotation)
{
    Q_ASSERT(table.count() >= 1);
    QList<Link> links;
    QStringList targets; // the records' links drawn so far, for the rotation
    auto isNew = [&](const Link &link) {
        return std::none_of(links.begin(), links.end(), [&](const Link &l) { return l.markup == link.markup; });
    };
    if (!options.rotateKeywords)
        rotation.restart(); // switching the rotation on starts a fresh cycle
    while (links.size() < count) {
        Link link;
        if (options.rotateKeywords) {
            // Records with equal links count as one, whatever their keywords: the link differs from
            // those before whenever any record's link does.
            const qsizetype position = rotation.next(table.count(), table.revision(), random,
                                                     [&](qsizetype i) { return !targets.contains(table.link(i)); });
            link = drawn(table, position, options);
            targets.append(table.link(position));
        } else {
            for (int attempts = 1;; ++attempts) {
                link = drawn(table, random.position(table.count()), options);
                if (attempts == MaxDraws || isNew(link))
                    break;
            }
        }
        links.append(link);
    }
    return links;
}

} // namespace Linker
