#pragma once

#include "InsertionHost.h"
#include "RandomSource.h"

#include <QList>
#include <QStringList>

// Stands in for the main window: records what the engine shows and copies.
class FakeHost final : public InsertionHost
{
public:
    BoxState options[6] = {}; // indexed by Option
    LinkFormat format = LinkFormat::Html;
    QList<ArticleSpan> shown; // the inserted links, as marked
    QString article;
    QStringList warnings, clipboard;
    QString preview;
    int setTextCount = 0;

    BoxState optionState(Option option) const override { return options[int(option)]; }
    QString articleText() const override { return article; }
    ArticleStatistics articleStatistics() const override { return CountArticle(article); }
    void setArticleText(const QString &text) override { article = text, ++setTextCount; }
    void copyToClipboard(const QString &text) override { clipboard << text; }
    void showWarning(const QString &message) override { warnings << message; }
    void setPreviewCaption(const QString &caption) override { preview = caption; }
    LinkFormat linkFormat() const override { return format; }
    void showInsertedLinks(ArticleSpan first, ArticleSpan second) override { shown = {first, second}; }
};

// Hands out scripted positions, then repeats the last one.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<qsizetype> positions = {1}) : m_positions(std::move(positions)) {}
    qsizetype position(qsizetype n) override { return qMin(m_positions.at(qMin(calls++, m_positions.size() - 1)), n); }
    qsizetype calls = 0;

private:
    QList<qsizetype> m_positions;
};
