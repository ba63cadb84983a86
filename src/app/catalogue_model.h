// The grid's data source on the catalogue of generated declarations: Qt's SQL query model over the table
// IDENTIFICACAO of the work database, in the grids' order, with the columns a screen shows (CNPJ punctuated).
#pragma once

#include <QSqlQueryModel>
#include <QString>

#include "delivery/catalogue.h"

namespace kova::app {

class CatalogueModel : public QSqlQueryModel {
    Q_OBJECT
public:
    // Opens a connection of its own to the work database; `withTransmitted` adds the column "Transmitida".
    CatalogueModel(const QString& databasePath, bool withTransmitted, QObject* parent = nullptr);
    ~CatalogueModel() override;

    // Empty when the connection opened.
    QString openError() const { return openError_; }
    // Reads every row again. The rows are all fetched, so no read is left open on the database.
    void refresh();
    // Shows no rows (and holds no read on the database).
    void empty();
    // Every column of a row, as the catalogue keeps it.
    CatalogueRow row(int row) const;

    // About the widest text a column holds, to size the grid before its rows are read.
    QString typicalText(int column) const;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString field(int row, const char* name) const;

    QString connection_;
    QString openError_;
    bool withTransmitted_;
};

}  // namespace kova::app
