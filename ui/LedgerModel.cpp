#include "LedgerModel.h"

#include "KeywordTable.h"

void LedgerModel::show(const LinkLedger &ledger)
{
    beginResetModel();
    m_entries = ledger.entries();
    endResetModel();
}

int LedgerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int LedgerModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant LedgerModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::TextAlignmentRole))
        return {};
    const LinkLedger::Entry &entry = m_entries.at(index.row());
    switch (index.column()) {
    case ColumnKeyWord:
        return role == Qt::TextAlignmentRole ? QVariant() : KeywordTable::shown(entry.keyWord);
    case ColumnLink:
        return role == Qt::TextAlignmentRole ? QVariant() : KeywordTable::shown(entry.link);
    default:
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return role == Qt::DisplayRole ? QVariant(entry.count) : QVariant();
    }
}

QVariant LedgerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColumnKeyWord:
        return QStringLiteral("关键字");
    case ColumnLink:
        return QStringLiteral("链接");
    default:
        return QStringLiteral("次数");
    }
}
