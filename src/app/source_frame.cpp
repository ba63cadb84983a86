#include "app/source_frame.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStorageInfo>
#include <QTreeView>

namespace kova::app {

namespace {

bool isSystemArea(const QString& root) {
    static const QStringList hidden = {QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
                                       QStringLiteral("/run"), QStringLiteral("/snap"), QStringLiteral("/boot")};
    if (root.startsWith(QLatin1String("/run/media/"))) return false;
    for (const QString& h : hidden) {
        if (root == h || root.startsWith(h + QLatin1Char('/'))) return true;
    }
    return false;
}

}  // namespace

QStringList driveList() {
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || root == QDir::rootPath() || isSystemArea(root)) continue;
        if (!QFileInfo(root).isDir()) continue;  // a single file mounted over another
        if (!drives.contains(root)) drives.append(root);
    }
    drives.sort();
    drives.prepend(QDir::rootPath());
    return drives;
}

QString driveOf(const QString& path) {
    const QStorageInfo volume(path);
    const QString root = volume.isValid() ? volume.rootPath() : QDir::rootPath();
    return isSystemArea(root) ? QDir::rootPath() : root;
}

bool folderReadable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) return false;
    QDir dir(folder);
    dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);  // a folder that lists nothing is still readable
    return dir.exists();
}

SourceFrame::SourceFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Selecionar a origem dos dados"), parent),
      drive_(new QComboBox(this)),
      dir_(new QTreeView(this)),
      file_(new QListView(this)),
      txtArq_(new QLineEdit(this)),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("Frame1"));
    drive_->setObjectName(QStringLiteral("Drive1"));
    dir_->setObjectName(QStringLiteral("Dir1"));
    file_->setObjectName(QStringLiteral("File1"));
    txtArq_->setObjectName(QStringLiteral("TxtArq"));

    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setReadOnly(true);
    dir_->setModel(folders_);
    for (int c = 1; c < folders_->columnCount(); ++c) dir_->hideColumn(c);
    dir_->header()->hide();
    dir_->setFixedHeight(150);

    // Files that are neither hidden nor folders, by name: the files a person keeps declarations in.
    files_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    files_->setReadOnly(true);
    file_->setModel(files_);
    file_->setFixedHeight(150);
    // Room for a whole usual file name ("declaracao-com-erros.txt") beside the folders.
    file_->setMinimumWidth(file_->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('x'))));

    auto* layout = new QGridLayout(this);
    layout->setVerticalSpacing(4);
    layout->addWidget(new QLabel(QStringLiteral("Unidade Origem:"), this), 0, 0);
    layout->addWidget(drive_, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("Pasta Origem:"), this), 2, 0);
    layout->addWidget(dir_, 3, 0);
    layout->addWidget(new QLabel(QStringLiteral("Arquivos:"), this), 2, 1);
    layout->addWidget(file_, 3, 1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Nome do Arquivo:"), this));
    nameRow->addWidget(txtArq_, 1);
    layout->addLayout(nameRow, 4, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    fillDrives();

    connect(drive_, &QComboBox::activated, this, [this](int index) {
        if (!quiet_) emit driveChosen(drive_->itemData(index).toString());
    });
    connect(dir_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (quiet_ || !current.isValid()) return;
        emit folderChosen(folders_->filePath(current));
    });
    connect(file_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (quiet_ || !current.isValid()) return;
        emit fileChosen(folder_, files_->fileName(current));
    });
    // Only the chosen drive's branch of the tree is shown.
    connect(folders_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int, int) {
        if (parent == dir_->rootIndex()) showDriveBranch();
    });
}

void SourceFrame::fillDrives() {
    const QString current = drive();
    quiet_ = true;
    drive_->clear();
    for (const QString& d : driveList()) drive_->addItem(d, d);
    const int at = drive_->findData(current);
    if (at >= 0) drive_->setCurrentIndex(at);
    quiet_ = false;
}

QString SourceFrame::drive() const { return drive_->currentData().toString(); }

void SourceFrame::setDrive(const QString& drive) {
    quiet_ = true;
    int at = drive_->findData(drive);
    if (at < 0) {
        drive_->addItem(drive, drive);
        at = drive_->count() - 1;
    }
    drive_->setCurrentIndex(at);
    driveRoot_ = drive;
    folders_->setRootPath(drive);
    const QModelIndex driveIndex = folders_->index(drive);
    dir_->setRootIndex(driveIndex.parent());
    showDriveBranch();
    quiet_ = false;
    setFolder(drive);
}

void SourceFrame::showDriveBranch() {
    const QModelIndex root = dir_->rootIndex();
    const QString driveClean = QDir::cleanPath(driveRoot_);
    for (int row = 0; row < folders_->rowCount(root); ++row) {
        const QModelIndex child = folders_->index(row, 0, root);
        dir_->setRowHidden(row, root, QDir::cleanPath(folders_->filePath(child)) != driveClean);
    }
}

void SourceFrame::setFolder(const QString& folder) {
    quiet_ = true;
    const QModelIndex index = folders_->index(folder);
    if (index.isValid()) {
        dir_->setCurrentIndex(index);
        dir_->expand(index);
        dir_->scrollTo(index);
    }
    quiet_ = false;
    pointFilesAt(folder);
}

void SourceFrame::pointFilesAt(const QString& folder) {
    folder_ = folder;
    quiet_ = true;
    files_->setRootPath(folder);
    file_->setRootIndex(files_->index(folder));
    file_->clearSelection();
    file_->setCurrentIndex(QModelIndex());
    quiet_ = false;
}

void SourceFrame::refresh() {
    fillDrives();
    if (!folder_.isEmpty()) {
        // A new root path makes the model read the folder again.
        quiet_ = true;
        files_->setRootPath(QString());
        files_->setRootPath(folder_);
        file_->setRootIndex(files_->index(folder_));
        quiet_ = false;
    }
}

void SourceFrame::setPickersEnabled(bool enabled) {
    drive_->setEnabled(enabled);
    dir_->setEnabled(enabled);
    file_->setEnabled(enabled);
}

}  // namespace kova::app
