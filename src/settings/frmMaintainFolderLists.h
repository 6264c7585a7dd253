#pragma once

#include "settings/GuiFolderCombos.h"

#include <QDialog>

class AppContext;
class QLineEdit;
class QListWidget;
class QRadioButton;

// "Maintain Folder Lists": edits copies of the two folder boxes' lists; OK writes them to the settings
// file and the boxes, Cancel writes nothing. Controls by name: lstLeftFolderList, lstRightFolderList (one
// visible at a time), optFolderList_0 (right list) and optFolderList_1 (left list), txtNewFolderName,
// cmdBrowse, cmdAdd, cmdDelete, cmdOK, cmdCancel.
class frmMaintainFolderLists final : public QDialog
{
    Q_OBJECT

public:
    frmMaintainFolderLists(AppContext& ctx, const FolderComboBoxes& boxes, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmMaintainFolderLists)

    QStringList LeftFolders() const;
    QStringList RightFolders() const;

private:
    QListWidget* VisibleList() const;
    void ShowList(bool left);
    void cmdBrowse_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void OkButton_Click();

    AppContext& m_ctx;
    FolderComboBoxes m_boxes;
    QListWidget* m_leftList = nullptr;
    QListWidget* m_rightList = nullptr;
    QRadioButton* m_optRight = nullptr;
    QRadioButton* m_optLeft = nullptr;
    QLineEdit* m_txtNewFolderName = nullptr;
};
