// Frame1 "Selecionar a origem dos dados" of the import screen: the drive list (the root and the mount points of
// this machine), the folder tree and the file list of the chosen folder, and the file-name box TxtArq.
#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListView;
class QTreeView;

namespace kova::app {

// The root first, then the mount points that can hold files (system areas left out), in name order.
QStringList driveList();
// The drive (mount point) holding a path.
QString driveOf(const QString& path);
// True when the folder can be listed.
bool folderReadable(const QString& folder);

class SourceFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit SourceFrame(QWidget* parent = nullptr);

    QComboBox* Drive1() const { return drive_; }
    QTreeView* Dir1() const { return dir_; }
    QListView* File1() const { return file_; }
    QLineEdit* TxtArq() const { return txtArq_; }

    QString drive() const;
    QString folder() const { return folder_; }
    // Points the drive list at a drive (added when missing) and the folder tree at its root.
    void setDrive(const QString& drive);
    // Points the folder tree at a folder of the current drive, and the file list at it.
    void setFolder(const QString& folder);
    // Lists the drives again and rereads the current folder.
    void refresh();
    void setPickersEnabled(bool enabled);

signals:
    // The person chose another drive, folder or file.
    void driveChosen(const QString& drive);
    void folderChosen(const QString& folder);
    void fileChosen(const QString& folder, const QString& fileName);

private:
    void fillDrives();
    void showDriveBranch();
    void pointFilesAt(const QString& folder);

    QComboBox* drive_;
    QTreeView* dir_;
    QListView* file_;
    QLineEdit* txtArq_;
    QFileSystemModel* folders_;
    QFileSystemModel* files_;
    QString driveRoot_;
    QString folder_;
    bool quiet_ = false;  // changes made by the program, not by the person
};

}  // namespace kova::app
