#include "logging/QsoTableModel.h"

#include "logging/LogFile.h"
#include "logging/PlainText.h"
#include "logging/ScreenText.h"

QsoTableModel::QsoTableModel(LogTable &table, QObject *parent)
    : QAbstractTableModel(parent), table_(table), subscription_(table.subscribe(*this))
{
}

int QsoTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : table_.rowCount();
}

int QsoTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : LogTable::ColumnCount;
}

QVariant QsoTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return toScreen(table_.cell(index.row(), index.column()));
}

bool QsoTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    // A pasted line break or tab would break the log line apart at the next start.
    std::string text = withoutControlChars(fromScreen(value.toString().toUpper()));
    if (text == table_.cell(index.row(), index.column()))
        return true;
    // An edit the log line could not carry would misread or drop the QSO at the next start.
    if (!FitsQsoLine(index.column(), text))
        return false;
    const QsoRow was = table_.row(index.row());
    table_.setCell(index.row(), index.column(), std::move(text));
    if (onEdited_)
        onEdited_(index.row(), was);
    return true;
}

Qt::ItemFlags QsoTableModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

void QsoTableModel::rowCountAboutToChange(int oldCount, int newCount)
{
    if (newCount > oldCount)
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
    else
        beginRemoveRows(QModelIndex(), newCount, oldCount - 1);
}

void QsoTableModel::rowCountChanged(int oldCount, int newCount)
{
    if (newCount > oldCount)
        endInsertRows();
    else
        endRemoveRows();
}

void QsoTableModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, LogTable::ColumnCount - 1));
}
