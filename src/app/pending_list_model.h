// The lines of LstPend. Lines are appended in bulk: they are gathered and handed to the view in one insertion
// when events run, so that a list of a hundred thousand errors fills in a moment.
#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace kova::app {

class PendingListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PendingListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const QString& line);
    void clear();
    // Lines appended so far, shown or still gathered.
    qsizetype lineCount() const { return lines_.size() + gathered_.size(); }
    // The line at a row (gathered lines included).
    QString line(qsizetype row) const;
    // Hands the gathered lines to the view.
    void flush();

private:
    QStringList lines_;
    QStringList gathered_;
    bool flushQueued_ = false;
};

}  // namespace kova::app
