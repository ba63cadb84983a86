// The lines of LstPend. Lines are appended in bulk: they are gathered and handed to the view in one insertion
// when events run, so that a list of a hundred thousand errors fills in a moment. Each line knows the error row it
// shows, if any, and the view can be narrowed to some of the lines (the filter of the error summary).
#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace kova::app {

class PendingListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PendingListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // A line; `errorRow` is the index of the error row it shows (in the order listed), -1 for other lines.
    void append(const QString& line, int errorRow = -1);
    void clear();
    // Lines appended so far, shown or still gathered (the filter does not change them).
    qsizetype lineCount() const { return lines_.size() + gathered_.size(); }
    // The line at a position (gathered lines included).
    QString line(qsizetype position) const;
    // Hands the gathered lines to the view.
    void flush();

    // The error row shown at a row of the view, -1 when the line shows none.
    int errorRowAt(int viewRow) const;
    // The error row of a line position, -1 when the line shows none.
    int errorRowOfLine(qsizetype position) const {
        return position >= 0 && position < lineCount() ? errorRows_[static_cast<std::size_t>(position)] : -1;
    }
    // The line position shown at a row of the view.
    qsizetype lineAt(int viewRow) const;
    // The view shows only these line positions (ascending), or every line again.
    void showOnly(std::vector<qsizetype> positions);
    void showAll();
    bool filtered() const { return filtered_; }

private:
    QStringList lines_;
    QStringList gathered_;
    std::vector<int> errorRows_;  // per line, shown and gathered
    std::vector<qsizetype> shown_;
    bool filtered_ = false;
    bool flushQueued_ = false;
};

}  // namespace kova::app
