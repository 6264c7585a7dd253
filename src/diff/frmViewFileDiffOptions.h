#pragma once

#include <QDialog>
#include <functional>

class AppContext;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// The folders of the comparison window a differences run starts from: where the file pickers begin.
struct DiffCallerFolders
{
    QString left;
    QString right;
};

// "View File Difference - Options": the two files and the options of the next differences run, asked
// just before it while "Prompt For Options" is on. OK stores everything and starts the run; Cancel
// stores nothing.
//
// Widgets by name: txtFileOne, cmdFileOne, txtFileTwo, cmdFileTwo, chkIgnoreCase, chkIgnoreWhiteSpace,
// optFormat0, optFormat1, chkShowOptionsDialog, cmdOK, cmdCancel, cmdHelp.
class frmViewFileDiffOptions final : public QDialog
{
    Q_OBJECT

public:
    // marksChanged runs after OK stored the options, so the main window's menu marks follow them.
    frmViewFileDiffOptions(AppContext& ctx, DiffCallerFolders folders, std::function<void()> marksChanged,
                           QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmViewFileDiffOptions)

    void ChooseFile(bool one);
    void Ok();
    // The differences window that OK started saved a file.
    bool SavedAFile() const { return m_savedAFile; }

private:
    AppContext& m_ctx;
    DiffCallerFolders m_folders;
    std::function<void()> m_marksChanged;
    QLineEdit* m_txtFile[2] = {nullptr, nullptr};
    QCheckBox* m_chkIgnoreCase = nullptr;
    QCheckBox* m_chkIgnoreWhiteSpace = nullptr;
    QCheckBox* m_chkShowOptionsDialog = nullptr;
    QRadioButton* m_optFormat[2] = {nullptr, nullptr};
    bool m_savedAFile = false;
};

// The folder a file picker starts in: the folder part of text when it exists, else the caller's folder
// when it exists, else "/".
QString PickerStartFolder(const QString& text, const QString& callerFolder);
