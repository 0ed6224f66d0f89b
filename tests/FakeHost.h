#pragma once

#include "InsertionHost.h"
#include "RandomSource.h"

#include <QList>
#include <QStringList>

// Stands in for the main window: records what the engine shows and copies.
class FakeHost final : public InsertionHost
{
public:
    BoxState bold = BoxState::Unchecked;
    BoxState italic = BoxState::Unchecked;
    BoxState newWindow = BoxState::Unchecked;
    BoxState copy = BoxState::Unchecked;
    QString article;
    QStringList warnings;
    QStringList clipboard;
    QString preview;
    int setTextCount = 0;

    BoxState optionState(Option option) const override
    {
        switch (option) {
        case Option::Bold:
            return bold;
        case Option::Italic:
            return italic;
        case Option::NewWindow:
            return newWindow;
        case Option::CopyAfterGenerate:
            return copy;
        }
        return BoxState::Unchecked;
    }
    QString articleText() const override { return article; }
    void setArticleText(const QString &text) override
    {
        article = text;
        ++setTextCount;
    }
    void copyToClipboard(const QString &text) override { clipboard << text; }
    void showWarning(const QString &message) override { warnings << message; }
    void setPreviewCaption(const QString &caption) override { preview = caption; }
};

// Hands out scripted positions, then repeats the last one.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<qsizetype> positions = {1}) : m_positions(std::move(positions)) {}
    qsizetype position(qsizetype n) override
    {
        ++calls;
        const qsizetype p = m_positions.at(qMin(m_next, m_positions.size() - 1));
        ++m_next;
        return qMin(p, n);
    }
    int calls = 0;

private:
    QList<qsizetype> m_positions;
    qsizetype m_next = 0;
};
