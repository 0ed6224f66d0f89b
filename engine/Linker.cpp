#include "Linker.h"

#include "KeywordMatcher.h"
#include "KeywordTable.h"
#include "Markup.h"
#include "Placement.h"

#include <algorithm>
#include <limits>

namespace {
// A link between CR and LF would leave a lone CR, which the editor turns into a second line
// break; one between the halves of a surrogate pair would break the character in two.
qsizetype outsidePairs(qsizetype length, const Linker::CharacterAt &at, qsizetype point)
{
    if (point <= 0 || point >= length)
        return point;
    return Placement::SplitsPair(at(point - 1), at(point)) ? point - 1 : point;
}

Linker::Link drawn(const KeywordTable &table, qsizetype position, const Options &options)
{
    return {BuildMarkup(table.keyWord(position), table.link(position), options), table.keyWord(position), position};
}

// The format's places of an article, read when first asked for and then kept: the options that
// read the document share one reading.
class FormatReading
{
public:
    FormatReading(QStringView article, LinkFormat format) : m_article(article), m_format(format) {}
    const Placement::Ranges &places()
    {
        if (!m_places)
            m_places = Placement::FormatPlaces(m_article, m_format);
        return *m_places;
    }

private:
    QStringView m_article;
    LinkFormat m_format;
    std::optional<Placement::Ranges> m_places;
};

QList<qsizetype> pointsIn(QStringView article, qsizetype count, const Options &options, FormatReading &reading)
{
    QList<qsizetype> points = Linker::PointsFor(article.size(), count);
    if (options.avoidMarkup) {
        const Placement::Ranges allowed = Placement::AllowedPlaces(article, reading.places());
        for (qsizetype &point : points)
            point = Placement::Nearest(allowed, point);
    } else {
        for (qsizetype &point : points)
            point = outsidePairs(
                article.size(), [&](qsizetype i) { return article[i]; }, point);
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

// How far an occurrence is from a point: 0 when the point is in it.
qsizetype distance(const KeywordMatcher::Match &m, qsizetype point)
{
    if (point < m.start)
        return m.start - point;
    return point > m.start + m.length ? point - m.start - m.length : 0;
}

// The links on the article's own words for the points (one at most each, by index), the other
// points left empty.
QList<std::optional<Linker::Edit>> inPlace(const QList<KeywordMatcher::Match> &found, const QList<qsizetype> &points,
                                           const Options &options, const Linker::Words &words)
{
    const KeywordTable &table = words.table;
    QList<bool> taken(found.size(), false);
    const QList<qsizetype> ranks = words.rotation ? words.rotation->ranks(table.count()) : QList<qsizetype>();
    QStringList targets;
    QList<qsizetype> records;
    // The record an occurrence would link, if any is still free, and its place in the rotation.
    auto recordFor = [&](const KeywordMatcher::Match &m) -> std::pair<qsizetype, qsizetype> {
        std::pair<qsizetype, qsizetype> best{0, std::numeric_limits<qsizetype>::max()};
        for (qsizetype r : words.matcher.records(m.keyword)) {
            if (records.contains(r) || targets.contains(table.link(r)))
                continue;
            const qsizetype rank = ranks.isEmpty() ? 0 : ranks[r];
            if (rank < best.second)
                best = {r, rank};
            if (!words.rotation)
                break;
        }
        return best;
    };
    QList<std::optional<Linker::Edit>> edits(points.size());
    for (qsizetype k = 0; k < points.size(); ++k) {
        qsizetype chosen = -1, chosenRecord = 0, bestRank = 0, bestDistance = 0;
        for (qsizetype i = 0; i < found.size(); ++i) {
            if (taken[i])
                continue;
            const auto [record, rank] = recordFor(found[i]);
            if (!record)
                continue;
            const qsizetype d = distance(found[i], points[k]);
            if (chosen < 0 || rank < bestRank || (rank == bestRank && d < bestDistance)) {
                chosen = i;
                chosenRecord = record;
                bestRank = rank;
                bestDistance = d;
            }
        }
        if (chosen < 0)
            break; // nothing free is left for the other points either
        const KeywordMatcher::Match &m = found[chosen];
        taken[chosen] = true;
        records.append(chosenRecord);
        targets.append(table.link(chosenRecord));
        edits[k] = Linker::Edit{m.start, m.length, drawn(table, chosenRecord, options)};
    }
    return edits;
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
    FormatReading reading(article, options.format);
    return pointsIn(article, count, options, reading);
}

Result InsertAt(QStringView article, const QList<qsizetype> &points, const QStringList &markups)
{
    Q_ASSERT(points.size() == markups.size() && std::is_sorted(points.begin(), points.end()));
    QList<Edit> edits;
    for (qsizetype k = 0; k < points.size(); ++k)
        edits.append({points[k], 0, {markups[k], {}}});
    return Apply(article, edits);
}

Layout Lay(QStringView article, qsizetype count, const Options &options, const KeywordMatcher *matcher)
{
    Layout layout;
    layout.points = PointsFor(article.size(), count);
    FormatReading reading(article, options.format); // the document is read once for every option
    const bool inPlace = options.inPlace && matcher;
    const Placement::Ranges places = inPlace || options.sentenceEnd
                                         ? Placement::LinkPlaces(article, options.format, reading.places())
                                         : Placement::Ranges();
    if (inPlace) {
        // An occurrence may be linked when all of it lies in one stretch where links may go.
        const auto allowed = [&](qsizetype start, qsizetype length) {
            const auto r = std::lower_bound(places.begin(), places.end(), start,
                                            [](const Placement::Range &range, qsizetype p) { return range.last < p; });
            return r != places.end() && r->first <= start && r->last >= start + length;
        };
        layout.found = matcher->find(article, allowed);
    }
    layout.inserted = pointsIn(article, count, options, reading);
    if (options.sentenceEnd) {
        Placement::Ranges clauses = places;
        if (options.avoidMarkup)
            clauses = Placement::Intersect(clauses, Placement::TextPlaces(article));
        for (qsizetype &point : layout.inserted)
            point = Placement::ClauseEnd(article, clauses, point);
    }
    return layout;
}

QList<Edit> Assign(const Layout &layout, const QList<Link> &drawn, const Options &options, const Words *words)
{
    const qsizetype count = drawn.size();
    Q_ASSERT(layout.points.size() == count && layout.inserted.size() == count);
    QList<std::optional<Edit>> linked(count);
    if (options.inPlace && words)
        linked = inPlace(layout.found, layout.points, options, *words);
    QList<Edit> edits;
    QStringList targets;
    for (const std::optional<Edit> &edit : linked) {
        if (edit) {
            edits.append(*edit);
            targets.append(words->table.link(edit->link.record));
        }
    }
    // The drawn links for the other points, those whose link is already in the article last.
    QList<Link> inserted;
    QList<Link> repeated;
    for (const Link &link : drawn) {
        const bool repeats = words && link.record > 0 && targets.contains(words->table.link(link.record));
        (repeats ? repeated : inserted).append(link);
    }
    inserted += repeated;
    qsizetype next = 0;
    for (qsizetype k = 0; k < count; ++k) {
        if (linked[k])
            continue;
        qsizetype point = layout.inserted[k];
        // Never inside words that take a link of their own.
        for (const Edit &e : edits) {
            if (e.length > 0 && point > e.start && point < e.start + e.length)
                point = e.start + e.length;
        }
        edits.append({point, 0, inserted.value(next++)});
    }
    // In the order of the article; a link inserted where another's words start comes first.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) {
        return a.start != b.start ? a.start < b.start : a.length < b.length;
    });
    return edits;
}

QList<Edit> Plan(QStringView article, const QList<Link> &drawn, const Options &options, const Words *words)
{
    return Assign(Lay(article, drawn.size(), options, words ? &words->matcher : nullptr), drawn, options, words);
}

QString RefusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::TooFewRecords:
        return QStringLiteral("关键字少于两个？多加点吧！");
    case Refusal::TooFewChinese:
        return QStringLiteral("文章字数不能少于80个字，多写点吧！");
    case Refusal::None:
        break;
    }
    return {};
}

bool ReadsArticle(const Options &options)
{
    return options.avoidMarkup || options.inPlace || options.sentenceEnd || options.format == LinkFormat::Markdown;
}

QList<Edit> Plan(qsizetype length, const CharacterAt &at, const QList<Link> &drawn, const Options &options)
{
    Q_ASSERT(!ReadsArticle(options));
    QList<Edit> edits;
    const QList<qsizetype> points = PointsFor(length, drawn.size());
    for (qsizetype k = 0; k < points.size(); ++k)
        edits.append({outsidePairs(length, at, points[k]), 0, drawn[k]});
    return edits; // in order: a point moves back by one unit at most, onto no earlier point
}

Result Apply(QStringView article, const QList<Edit> &edits)
{
    Result result;
    qsizetype added = 0;
    for (const Edit &e : edits)
        added += e.link.markup.size() - e.length;
    result.text.reserve(article.size() + added);
    qsizetype from = 0;
    for (const Edit &e : edits) {
        Q_ASSERT(e.start >= from);
        result.text.append(article.sliced(from, e.start - from));
        result.links.append({result.text.size(), e.link.markup.size()});
        result.text.append(e.link.markup);
        from = e.start + e.length;
    }
    result.text.append(article.sliced(from));
    return result;
}

Refusal Check(QStringView article, qsizetype records, std::optional<qint64> chinese)
{
    if (records < MinimumRecords)
        return Refusal::TooFewRecords;
    if ((chinese ? *chinese : CountArticle(article).chinese) < MinimumChinese)
        return Refusal::TooFewChinese;
    return Refusal::None;
}

Result LinkArticle(QStringView article, const QList<Link> &drawn, const Options &options, qsizetype records,
                   std::optional<qint64> chinese, const Words *words)
{
    if (const Refusal refusal = Check(article, records, chinese); refusal != Refusal::None)
        return {refusal, {}, {}};
    return Apply(article, Plan(article, drawn, options, words));
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

void Commit(const QList<Edit> &edits, const QList<Link> &drawn, const Options &options, KeywordRotation &rotation)
{
    if (!options.rotateKeywords || !options.inPlace)
        return;
    QList<qsizetype> unused;
    for (const Link &link : drawn)
        unused.append(link.record);
    for (const Edit &edit : edits) {
        if (edit.length > 0)
            rotation.take(edit.link.record);
        else
            unused.removeOne(edit.link.record);
    }
    rotation.putBack(unused);
}

} // namespace Linker
