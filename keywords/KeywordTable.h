#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// The user's keyword–link records, in the order they were added. The list view shows this model
// directly; there is no second copy. Positions are 1-based; an ID is count + 1 at the time of the
// append and is never renumbered, so IDs may repeat after a removal.
class KeywordTable final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordTable)

public:
    enum Column { ColumnId, ColumnKeyWord, ColumnLink, ColumnCount };

    struct Record
    {
        QString keyWord;
        QString link;
    };

    // The most of a keyword or link the window shows. An imported record can be megabytes long, and
    // laying out such a text in a cell, a tooltip or the preview takes seconds; the record itself
    // stays whole.
    static constexpr qsizetype ShownLength = 200;
    // The text as the window shows it: whole when it fits, otherwise cut at a character boundary
    // with "…" after it.
    static QString shown(const QString &text);

    explicit KeywordTable(QObject *parent = nullptr);

    qsizetype count() const { return m_rows.size(); }
    // Position i runs from 1 to count().
    const QString &keyWord(qsizetype i) const { return m_rows.at(i - 1).keyWord; }
    const QString &link(qsizetype i) const { return m_rows.at(i - 1).link; }
    qint64 id(qsizetype i) const { return m_rows.at(i - 1).id; }
    // Goes up with every append, removal and clear, so a reader can tell that the records changed.
    quint64 revision() const { return m_revision; }
    // Keywords and links, in order: a copy for work that must not see later changes.
    QList<Record> records() const;

    void append(const QString &keyWord, const QString &link);
    // Appends in one step, as many single appends would (IDs count+1, count+2, ...).
    void append(const QList<Record> &records);
    void remove(qsizetype i);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // The cells and their tooltips hold the shown form of a keyword or link.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        qint64 id;
        QString keyWord;
        QString link;
    };
    QList<Row> m_rows;
    quint64 m_revision = 0;
};
