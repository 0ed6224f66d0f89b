#include "KeywordTable.h"

#include <limits>

QString KeywordTable::shown(const QString &text)
{
    if (text.size() <= ShownLength)
        return text;
    qsizetype cut = ShownLength;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

KeywordTable::KeywordTable(QObject *parent) : QAbstractTableModel(parent) {}

void KeywordTable::append(const QString &keyWord, const QString &link)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(Row{qint64(row) + 1, keyWord, link});
    ++m_revision;
    endInsertRows();
}

void KeywordTable::append(const QList<Record> &records)
{
    if (records.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(records.size()) - 1);
    m_rows.reserve(m_rows.size() + records.size());
    for (const Record &r : records)
        m_rows.append(Row{qint64(m_rows.size()) + 1, r.keyWord, r.link});
    ++m_revision;
    endInsertRows();
}

void KeywordTable::remove(qsizetype i)
{
    if (i < 1 || i > m_rows.size())
        return;
    beginRemoveRows({}, int(i - 1), int(i - 1));
    m_rows.removeAt(i - 1);
    ++m_revision;
    endRemoveRows();
}

void KeywordTable::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    ++m_revision;
    endResetModel();
}

int KeywordTable::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(qMin<qsizetype>(m_rows.size(), std::numeric_limits<int>::max()));
}

int KeywordTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KeywordTable::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const Row &r = m_rows.at(index.row());
    switch (index.column()) {
    case ColumnId:
        return QString::number(r.id);
    case ColumnKeyWord:
        return shown(r.keyWord);
    case ColumnLink:
        return shown(r.link);
    default:
        return {};
    }
}

QVariant KeywordTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColumnId:
        return QStringLiteral("ID");
    case ColumnKeyWord:
        return QStringLiteral("KeyWord");
    case ColumnLink:
        return QStringLiteral("Link");
    default:
        return {};
    }
}

QList<KeywordTable::Record> KeywordTable::records() const
{
    QList<Record> out;
    out.reserve(m_rows.size());
    for (const Row &row : m_rows)
        out.append({row.keyWord, row.link});
    return out;
}
