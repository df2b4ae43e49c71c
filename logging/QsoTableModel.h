#pragma once

#include "logging/LogTable.h"

#include <QAbstractTableModel>

#include <functional>

// The log grid's view of the log table: cells are shown, never copied.
class QsoTableModel : public QAbstractTableModel, private LogTableListener {
    Q_OBJECT
public:
    explicit QsoTableModel(LogTable &table, QObject *parent = nullptr);

    // Called after the operator changed a cell, with its row as it was before.
    void setOnEdited(std::function<void(int row, const QsoRow &was)> onEdited) { onEdited_ = std::move(onEdited); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void qsoCommitted(int row, QsoId) override { rowChanged(row); }
    void qsoDeleted(int row, QsoId) override { rowChanged(row); }
    void cellEdited(int row, int, QsoId) override { rowChanged(row); }
    void rowCountAboutToChange(int oldCount, int newCount) override;
    void rowCountChanged(int oldCount, int newCount) override;
    void aboutToReplaceAll() override { beginResetModel(); }
    void allReplaced() override { endResetModel(); }
    void rowChanged(int row);

    LogTable &table_;
    std::function<void(int, const QsoRow &)> onEdited_;
    LogTable::Subscription subscription_;
};
