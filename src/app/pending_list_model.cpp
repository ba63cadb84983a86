#include "app/pending_list_model.h"

#include <QTimer>

namespace kova::app {

PendingListModel::PendingListModel(QObject* parent) : QAbstractListModel(parent) {}

int PendingListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant PendingListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lines_.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return lines_[index.row()];
    return {};
}

QString PendingListModel::line(qsizetype row) const {
    if (row < lines_.size()) return lines_[row];
    return gathered_.value(row - lines_.size());
}

void PendingListModel::append(const QString& line) {
    gathered_.append(line);
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, &PendingListModel::flush);
    }
}

void PendingListModel::flush() {
    flushQueued_ = false;
    if (gathered_.isEmpty()) return;
    const int first = static_cast<int>(lines_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(gathered_.size()) - 1);
    lines_.append(gathered_);
    gathered_.clear();
    endInsertRows();
}

void PendingListModel::clear() {
    beginResetModel();
    lines_.clear();
    gathered_.clear();
    endResetModel();
}

}  // namespace kova::app
