#pragma once

#include "LinkLedger.h"

#include <QAbstractTableModel>
#include <QList>

// The ledger's counts as the 高级设置 page lists them: most first, keyword, link and count, long
// texts shown short as the keyword list shows them.
class LedgerModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LedgerModel)

public:
    enum Column { ColumnKeyWord, ColumnLink, ColumnCount, Columns };

    using QAbstractTableModel::QAbstractTableModel;
    void show(const LinkLedger &ledger);
    const QList<LinkLedger::Entry> &entries() const { return m_entries; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<LinkLedger::Entry> m_entries;
};
