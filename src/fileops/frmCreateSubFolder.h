#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;
class UserDialogs;

// "Create New Sub-Folder": the parent folder shown in a folder view that stays on it, and the name of
// the new folder, pre-filled with "New Sub-Folder" and selected. OK answers the trimmed name, Cancel an
// empty one.
class frmCreateSubFolder final : public QDialog
{
    Q_OBJECT

public:
    frmCreateSubFolder(UserDialogs& dialogs, QWidget* parent = nullptr);

    // Shows the window modally for pstrParentFolder; the name is read afterwards.
    void ShowForm(const QString& pstrParentFolder);
    void Prepare(const QString& parentFolder);
    QString EnteredName() const { return m_name; }

private:
    void FolderChosen(const QModelIndex& current);
    void HideNeighbours();

    UserDialogs& m_dialogs;
    QFileSystemModel* m_model;
    QTreeView* m_folders;
    QLineEdit* m_txtNewSubFolderName;
    QLabel* m_lblParent;
    QPersistentModelIndex m_parentIndex;
    QString m_name;
    bool m_restoring = false;
};
