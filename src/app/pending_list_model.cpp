#include "app/pending_list_model.h"

#include <QTimer>

namespace kova::app {

PendingListModel::PendingListModel(QObject* parent) : QAbstractListModel(parent) {}

int PendingListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(filtered_ ? static_cast<qsizetype>(shown_.size()) : lines_.size());
}

qsizetype PendingListModel::lineAt(int viewRow) const {
    if (viewRow < 0 || viewRow >= rowCount()) return -1;
    return filtered_ ? shown_[static_cast<std::size_t>(viewRow)] : viewRow;
}

QVariant PendingListModel::data(const QModelIndex& index, int role) const {
    const qsizetype position = index.isValid() ? lineAt(index.row()) : -1;
    if (position < 0) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return lines_[position];
    return {};
}

int PendingListModel::errorRowAt(int viewRow) const {
    return errorRowOfLine(lineAt(viewRow));
}

QString PendingListModel::line(qsizetype position) const {
    if (position < lines_.size()) return lines_[position];
    return gathered_.value(position - lines_.size());
}

void PendingListModel::append(const QString& line, int errorRow) {
    gathered_.append(line);
    errorRows_.push_back(errorRow);
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, &PendingListModel::flush);
    }
}

void PendingListModel::flush() {
    flushQueued_ = false;
    if (gathered_.isEmpty()) return;
    if (filtered_) {
        // New lines belong to a new list: the view shows all of it.
        lines_.append(gathered_);
        gathered_.clear();
        showAll();
        return;
    }
    const int first = static_cast<int>(lines_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(gathered_.size()) - 1);
    lines_.append(gathered_);
    gathered_.clear();
    endInsertRows();
}

void PendingListModel::showOnly(std::vector<qsizetype> positions) {
    flush();
    beginResetModel();
    shown_ = std::move(positions);
    filtered_ = true;
    endResetModel();
}

void PendingListModel::showAll() {
    beginResetModel();
    shown_.clear();
    filtered_ = false;
    endResetModel();
}

void PendingListModel::clear() {
    beginResetModel();
    lines_.clear();
    gathered_.clear();
    errorRows_.clear();
    shown_.clear();
    filtered_ = false;
    endResetModel();
}

}  // namespace kova::app
