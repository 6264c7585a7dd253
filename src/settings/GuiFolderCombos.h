#pragma once

#include <QString>
#include <QStringList>

class AppContext;
class QComboBox;

// The main window's two folder boxes and its flag that marks refilling by program code, so the boxes'
// change events do not take it for the user's choice.
struct FolderComboBoxes
{
    QComboBox* source = nullptr; // cboSourcePath
    QComboBox* target = nullptr; // cboTargetPath
    bool* populatingFolderCombos = nullptr;
};

// Refills both boxes from the settings file; a box without entries shows the placeholder.
void PopulateDirComboBoxesFromIniFile(AppContext& ctx, const FolderComboBoxes& boxes);

// Moves the two compared folders to the top of their lists in the settings file, and puts each into its
// box (first, selected) when the box does not hold it yet.
void AddPathsToIni(AppContext& ctx, const FolderComboBoxes& boxes, const QString& sourcePath,
                   const QString& targetPath);

// Writes the two edited lists to the settings file and refills the boxes with them.
void SaveFoldersListsToIniAndCombos(AppContext& ctx, const FolderComboBoxes& boxes, const QStringList& left,
                                    const QStringList& right);

// The items of a box, in order.
QStringList ComboItems(const QComboBox* box);
