#include "app/catalogue_model.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

#include "core/text.h"

namespace kova::app {

namespace {

struct GridColumn {
    const char* caption;
    const char* field;
    const char* typical;  // about the widest text the column holds
};

// The grid's columns in the order shown; "Transmitida" only on the screens that show it.
const GridColumn kColumns[] = {
    {"CNPJ", "CNPJ", "00.000.000/0000-00"},
    {"Ano", "TRIMANO", "0000"},
    {"Situação", "SITUACAO", "03 - Incorporação/Incorporada"},
    {"Data do Evento", "DATAEVENTO", "00/00/0000"},
    {"Tipo", "Tipo", "Retificadora"},
    {"Transmitida", "TRANSMITIDA", "S"},
    {"Nome Empresarial", "NOME", "EMPRESA DECLARANTE DE NOME BASTANTE LONGO LTDA"},
};
constexpr int kTransmittedColumn = 5;

const GridColumn& columnAt(int section, bool withTransmitted) {
    return kColumns[!withTransmitted && section >= kTransmittedColumn ? section + 1 : section];
}

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("kova-catalogo-%1").arg(++counter);
}

}  // namespace

CatalogueModel::CatalogueModel(const QString& databasePath, bool withTransmitted, QObject* parent)
    : QSqlQueryModel(parent), connection_(nextConnectionName()), withTransmitted_(withTransmitted) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(databasePath);
    // The grid only reads; the catalogue is written through the program's own connection.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) openError_ = db.lastError().text();
}

CatalogueModel::~CatalogueModel() {
    clear();
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

void CatalogueModel::refresh() {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    setQuery(QString::fromLatin1(kCatalogueQuery), db);
    while (canFetchMore()) fetchMore();
}

void CatalogueModel::empty() { clear(); }

QString CatalogueModel::field(int row, const char* name) const {
    // Straight from the query: data() of this model speaks of the grid's columns, not the table's.
    const int column = record().indexOf(QString::fromLatin1(name));
    return QSqlQueryModel::data(createIndex(row, column), Qt::DisplayRole).toString();
}

CatalogueRow CatalogueModel::row(int row) const {
    CatalogueRow r;
    const auto text = [&](const char* name) { return field(row, name).toStdString(); };
    r.cnpj = text("CNPJ");
    r.year = text("TRIMANO");
    r.situation = text("SITUACAO");
    r.eventDate = text("DATAEVENTO");
    r.name = text("NOME");
    r.type = text("Tipo");
    r.fileName = text("nomearquivo");
    r.folderName = text("NOMEDIRETORIO");
    const int receipt = record().indexOf(QStringLiteral("NOMEARQUIVORECIBO"));
    if (!QSqlQueryModel::data(createIndex(row, receipt), Qt::DisplayRole).isNull())
        r.receiptFileName = text("NOMEARQUIVORECIBO");
    r.transmitted = text("TRANSMITIDA");
    r.periodStart = text("PERI");
    r.periodEnd = text("PERF");
    return r;
}

int CatalogueModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    const int all = static_cast<int>(std::size(kColumns));
    return withTransmitted_ ? all : all - 1;
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const GridColumn& column = columnAt(index.column(), withTransmitted_);
    const std::string value = field(index.row(), column.field).toStdString();
    // The CNPJ punctuated; the name without the blanks that fill it to 60 characters.
    if (&column == &kColumns[0]) return QString::fromStdString(applyMask(kCnpjMask, value));
    return QString::fromStdString(std::string(trimRightBlanks(value)));
}

QString CatalogueModel::typicalText(int column) const {
    return QString::fromUtf8(columnAt(column, withTransmitted_).typical);
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QSqlQueryModel::headerData(section, orientation, role);
    return QString::fromUtf8(columnAt(section, withTransmitted_).caption);
}

}  // namespace kova::app
