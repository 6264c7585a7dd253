#include "settings/GuiFolderCombos.h"

#include "app/AppContext.h"
#include "platform/CIniFile.h"
#include "settings/FolderLists.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>

namespace {

// Sets the populating flag for the life of the object and gives it back its old value.
class PopulatingScope final
{
public:
    explicit PopulatingScope(bool* flag) : m_flag(flag), m_old(flag != nullptr && *flag)
    {
        if (m_flag != nullptr)
            *m_flag = true;
    }
    ~PopulatingScope()
    {
        if (m_flag != nullptr)
            *m_flag = m_old;
    }
    Q_DISABLE_COPY_MOVE(PopulatingScope)

private:
    bool* m_flag;
    bool m_old;
};

void WidenDropDown(QComboBox* box)
{
    const QFontMetrics metrics(box->view()->font());
    int widest = 0;
    for (int i = 0; i < box->count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(box->itemText(i)));
    // Room for the frame and a vertical scroll bar beside the longest path.
    box->view()->setMinimumWidth(widest + 40);
}

void Fill(QComboBox* box, const QStringList& entries, bool placeholderWhenEmpty)
{
    if (box == nullptr)
        return;
    box->clear();
    box->clearEditText();
    box->addItems(entries);
    if (box->count() == 0 && placeholderWhenEmpty)
        box->addItem(FolderLists::Placeholder());
    if (box->count() > 0)
        box->setCurrentIndex(0);
    WidenDropDown(box);
}

void AddPathToList(CIniFile& ini, QComboBox* box, const QString& section, const QString& rawPath)
{
    const QString path = FolderLists::WithTrailingSlash(rawPath);
    if (path.isEmpty())
        return;
    FolderLists::WriteStored(ini, section, FolderLists::MoveToTop(FolderLists::ReadStored(ini, section), path));
    if (box == nullptr)
        return;
    if (box->findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        box->insertItem(0, path);
        box->setCurrentIndex(0);
    }
    const int placeholder = box->findText(FolderLists::Placeholder(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (placeholder >= 0)
        box->removeItem(placeholder);
    WidenDropDown(box);
}

} // namespace

QStringList ComboItems(const QComboBox* box)
{
    QStringList items;
    if (box == nullptr)
        return items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void PopulateDirComboBoxesFromIniFile(AppContext& ctx, const FolderComboBoxes& boxes)
{
    try {
        PopulatingScope populating(boxes.populatingFolderCombos);
        CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        ini.TakeSnapshot();
        Fill(boxes.source, FolderLists::ReadEntries(ini, FolderLists::SourceSection()), true);
        Fill(boxes.target, FolderLists::ReadEntries(ini, FolderLists::TargetSection()), true);
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.PopulateDirComboBoxesFromIniFile"));
    }
}

void AddPathsToIni(AppContext& ctx, const FolderComboBoxes& boxes, const QString& sourcePath,
                   const QString& targetPath)
{
    try {
        PopulatingScope populating(boxes.populatingFolderCombos);
        CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        // Both lists in one replacement of the file, not one per entry.
        ini.TakeSnapshot();
        AddPathToList(ini, boxes.source, FolderLists::SourceSection(), sourcePath);
        AddPathToList(ini, boxes.target, FolderLists::TargetSection(), targetPath);
        ini.Commit();
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.AddPathsToIni"));
    }
}

void SaveFoldersListsToIniAndCombos(AppContext& ctx, const FolderComboBoxes& boxes, const QStringList& left,
                                    const QStringList& right)
{
    try {
        PopulatingScope populating(boxes.populatingFolderCombos);
        CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        const QStringList leftList = left.mid(0, FolderLists::MaxFolders);
        const QStringList rightList = right.mid(0, FolderLists::MaxFolders);
        ini.TakeSnapshot();
        FolderLists::WriteStored(ini, FolderLists::SourceSection(), leftList);
        FolderLists::WriteStored(ini, FolderLists::TargetSection(), rightList);
        ini.Commit();
        Fill(boxes.source, leftList, false);
        Fill(boxes.target, rightList, false);
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMaintainFolderLists.SaveFoldersListsToIniAndCombos"));
    }
}
