#pragma once

#include "logging/LogTable.h"

#include <QAbstractTableModel>

#include <functional>

// The log grid's view of the log table: cells are shown, never copied.
class QsoTableModel : public QAbstractTableModel, private LogTableListener {
    Q_OBJECT
public:
    explicit QsoTableModel(LogTable &table, QObject *parent = nullptr);
    ~QsoTableModel() override;

    // Called after the operator changed a cell, with its row as it was before.
    void setOnEdited(std::function<void(int row, const QsoRow &was)> onEdited) { onEdited_ = std::move(onEdited); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void rowCountAboutToChange(int oldCount, int newCount) override;
    void rowCountChanged() override;
    void rowChanged(int row) override;
    void aboutToReplaceAll() override;
    void replacedAll() override;

    LogTable &table_;
    std::function<void(int, const QsoRow &)> onEdited_;
    int pendingOld_ = 0;
    int pendingNew_ = 0;
};
