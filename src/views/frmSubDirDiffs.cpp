#include "views/frmSubDirDiffs.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "app/GuiToolbarPictures.h"
#include "base/DesktopOpener.h"
#include "diff/GuiDiffCommands.h"
#include "platform/DriveQueries.h"
#include "sync/GuiSyncCommands.h"
#include "fileops/frmConfirmation.h"
#include "fileops/frmFileOpProgress.h"
#include "views/GuiCategoryPictures.h"
#include "views/GuiResultPane.h"
#include "views/GuiSelectionCommands.h"
#include "views/PaneRows.h"
#include "views/ResultTableModel.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace {

constexpr uint32_t VerticalScrollMessage = 0x115;

// The commands of the window, with the captions of its menus. The first group are the window's own names;
// the second are the commands of the shared controllers that the window's items appear as.
const GuiCommandRegistry::Command OwnCommands[] = {
    {"mnuFileCompareFiles", "Compare Two Files..."},
    {"mnuFileOpenFile", "Open File"},
    {"mnuFileCopy", "Copy the Selected Files"},
    {"mnuFileMove", "Move the Selected Files"},
    {"mnuFileDeletePermanently", "Delete Permanently"},
    {"mnuFileDeleteRecycle", "Send To Recycle Bin"},
    {"mnuFilePrint", "Print..."},
    {"mnuFileClose", "<-- Back to Main Window"},
    {"mnuSelectAll", "Select All"},
    {"mnuSelectNewer", "Select Newer Files"},
    {"mnuSelectOlder", "Select Older Files"},
    {"mnuSelectOrphans", "Select Orphan Files"},
    {"mnuSelectBinary", "Select Files with Same Date/Time but Different Contents"},
    // Commands of the shared controllers.
    {"mnuFileShowFileDiffs", "Show File Differences"},
    {"mnuFileAutoSynch", "Synchronize the Sub-Folders"},
    {"mnuFileSyncSelectedObjects", "Synchronize Selected Files Only"},
    {"mnuDeSelectAll", "DeSelect All"},
    {"mnuInvertSelection", "Invert Selection"},
    {"mnuSelectOther", "Select Wizard..."},
    {"mnuSelectShowNext", "Show Next Selected"},
    {"mnuSelectShowOnlySelected", "Show Only Selected"},
    {"mnuViewCompareResultsSummary", "Summary"},
};

} // namespace

void StyleCaption(QLabel* caption, bool gradient)
{
    if (!gradient) {
        caption->setStyleSheet(QString());
        return;
    }
    // The highlight colour fading to a lighter form of itself, with the highlight's own text colour, so the
    // caption reads in light and dark palettes alike.
    const QPalette palette = caption->palette();
    const QColor from = palette.color(QPalette::Highlight);
    const QColor to = from.lighter(135);
    caption->setStyleSheet(QStringLiteral("QLabel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %1, "
                                          "stop:1 %2); color: %3; padding: 2px 4px; }")
                               .arg(from.name(), to.name(), palette.color(QPalette::HighlightedText).name()));
}

frmSubDirDiffs::frmSubDirDiffs(AppContext& ctx, GuiResultsFrame& main, const CSubFolderDiffs& diffs, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_main(main),
      m_rows(MakeSubFolderRows(diffs, main.ComparedFolder(main.SourcePane()), main.ComparedFolder(main.TargetPane()))),
      m_confirmation(std::make_unique<GuiConfirmation>(this)), m_runner(std::make_unique<GuiFileOpRunner>(this)),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmSubDirDiffs"));
    setWindowTitle(QStringLiteral("View Sub-Folder Differences"));
    setWindowIcon(CategoryIcon(Category::DifferentFolder));
    BuildWindow();
    BuildCommands();
    CopyItemsFromHiddenLVWToVisibleLVW();
}

frmSubDirDiffs::~frmSubDirDiffs() = default;

void frmSubDirDiffs::BuildWindow()
{
    resize(900, 560);
    std::array<QVariant, CategoryCount + 1> pictures;
    std::array<QVariant, CategoryCount + 1> unreadable;
    for (int c = 1; c <= CategoryCount; ++c) {
        pictures[size_t(c)] = CategoryIcon(Category(c));
        unreadable[size_t(c)] = CategoryIcon(Category(c), true);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("SubDirDiffsToolbar"));
    // Pictures with captions, as the main window's large toolbar shows them.
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    layout->addWidget(m_toolbar);

    auto* sides = new QHBoxLayout;
    for (int side = 0; side < 2; ++side) {
        auto* column = new QVBoxLayout;
        m_labels[size_t(side)] = new QLabel(side == 0 ? m_rows.leftFolder : m_rows.rightFolder, this);
        m_labels[size_t(side)]->setObjectName(side == 0 ? QStringLiteral("lblFolderOne") : QStringLiteral("lblFolderTwo"));
        m_labels[size_t(side)]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        StyleCaption(m_labels[size_t(side)], m_ctx.MainOptions().GradientFillTitlebar);
        m_models[size_t(side)] = new ResultTableModel(side == 0 ? m_rows.left : m_rows.right, this);
        m_models[size_t(side)]->SetCategoryPictures(pictures);
        m_models[size_t(side)]->SetUnreadablePictures(unreadable);
        m_models[size_t(side)]->SetNotePictures(
            [](Category category, bool unreadableRow, RowNote note) { return QVariant(CategoryIcon(category, unreadableRow, note)); });
        auto* pane = new GuiResultPane(m_models[size_t(side)], this);
        pane->setObjectName(side == 0 ? QStringLiteral("lvwDirOneDiffs") : QStringLiteral("lvwDirTwoDiffs"));
        pane->setFont(m_main.SourcePane()->font());
        pane->header()->resizeSection(ResultTableModel::NameColumn, 220);
        pane->header()->resizeSection(ResultTableModel::SizeColumn, 80);
        pane->header()->resizeSection(ResultTableModel::DateColumn, 130);
        pane->FitDataColumnsToFont();
        m_panes[size_t(side)] = pane;
        column->addWidget(m_labels[size_t(side)]);
        column->addWidget(pane);
        sides->addLayout(column);
    }
    layout->addLayout(sides, 1);
    m_current = m_panes[0];

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        m_status[size_t(i)] = new QLabel(this);
        m_status[size_t(i)]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        status->addWidget(m_status[size_t(i)], 1);
    }
    layout->addWidget(status);

    for (GuiResultPane* pane : m_panes) {
        connect(pane, &GuiResultPane::FocusTaken, this, [this, pane] { m_current = pane; });
        connect(pane, &GuiResultPane::RowDoubleClicked, this, [this, pane](int row) { OnDoubleClicked(pane, row); });
        connect(pane, &GuiResultPane::RowContextMenu, this,
                [this, pane](int row, const QPoint& at) { OnContextMenu(pane, row, at); });
        // Scrolling is always shared here: row i of one list beside row i of the other.
        connect(pane->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, pane] { OnScrolled(pane); });
        pane->SetDragPaths([this, pane] {
            m_dragFrom = pane;
            return OperandPaths({pane->ResultModel()->Hold(), pane->SelectedHoldRows(), PaneFolder(pane)});
        });
        connect(pane, &GuiResultPane::ObjectsDropped, this,
                [this, pane](const QStringList&, Qt::KeyboardModifiers) {
                    GuiResultPane* from = m_dragFrom;
                    m_dragFrom = nullptr;
                    // Only rows of the other list are taken; objects from elsewhere are not this window's.
                    if (from != nullptr && from != pane)
                        ProcessDragDrop(from, pane);
                },
                Qt::QueuedConnection);
    }
}

void frmSubDirDiffs::BuildCommands()
{
    m_commands = new GuiCommandRegistry(this);
    for (const GuiCommandRegistry::Command& command : OwnCommands)
        m_commands->Define(command);
    // The items that are commands of the shared controllers under this window's names.
    QAction* showDiffs = m_commands->Appearance("mnuFileShowDifferences", "Show File Differences", QStringLiteral("mnuFileShowFileDiffs"));
    QAction* syncSelected = m_commands->Appearance("mnuFileSynchronizeSelectedFiles", "Synchronize Selected Files Only",
                                                   QStringLiteral("mnuFileSyncSelectedObjects"));
    QAction* syncAll = m_commands->Appearance("mnuFileSynchronizeSubFolders", "Synchronize the Sub-Folders",
                                              QStringLiteral("mnuFileAutoSynch"));
    QAction* deselect = m_commands->Appearance("mnuSelectDeselectAll", "DeSelect All", QStringLiteral("mnuDeSelectAll"));
    QAction* invert = m_commands->Appearance("mnuSelectInvert", "Invert Selection", QStringLiteral("mnuInvertSelection"));

    m_selection = std::make_unique<GuiSelectionCommands>(m_ctx, *this, *m_commands);
    m_diff = std::make_unique<GuiDiffCommands>(m_ctx, *this, *m_commands);
    m_sync = std::make_unique<GuiSyncCommands>(m_ctx, *this, *m_commands);
    m_sync->SetSubFolderScope({[this](const RowIndexes* selected, std::vector<int>& rowOf) {
                                   return DiffsOfRows(m_rows, selected, rowOf);
                               },
                               m_main.ComparedFolder(m_main.SourcePane()), m_main.ComparedFolder(m_main.TargetPane()),
                               [this](const std::vector<int>& rowOf, const std::vector<SyncStep>& done) {
                                   for (const SyncStep& step : done)
                                       MarkSyncStep(m_rows, rowOf, step);
                                   m_changed = m_changed || !done.empty();
                                   CopyItemsFromHiddenLVWToVisibleLVW();
                                   for (GuiResultPane* pane : m_panes)
                                       pane->scrollToTop();
                               },
                               QStringLiteral("SubDirDiffs.AutoSync()")});

    const auto enabled = [this] { return m_enabled; };
    m_commands->SetHandler(QStringLiteral("mnuFileCopy"), [this] { RunOp(SubFolderOp::Copy); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuFileMove"), [this] { RunOp(SubFolderOp::Move); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuFileDeletePermanently"), [this] { RunOp(SubFolderOp::Delete); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuFileDeleteRecycle"), [this] { RunOp(SubFolderOp::Trash); }, enabled);
    // Replaces the shared print: the window's message when there is nothing to print.
    m_commands->SetHandler(QStringLiteral("mnuFilePrint"), [this] { Print(); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuFileClose"), [this] { close(); });
    m_commands->SetHandler(QStringLiteral("mnuFileOpenFile"), [this] { OpenCurrentRow(); },
                           [this] { return m_enabled && CurrentFileRow() != nullptr; });
    m_commands->SetHandler(QStringLiteral("mnuSelectNewer"), [this] { SelectCategory(Category::Newer); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuSelectOlder"), [this] { SelectCategory(Category::Older); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuSelectOrphans"), [this] { SelectCategory(Category::Orphan); }, enabled);
    m_commands->SetHandler(QStringLiteral("mnuSelectBinary"), [this] { SelectCategory(Category::Binary); }, enabled);

    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("SubDirDiffsMenus"));
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(m_commands->Action(QStringLiteral("mnuFileCompareFiles")));
    file->addAction(showDiffs);
    file->addSeparator();
    AddToMenu(file, *m_commands, {"mnuFileCopy", "mnuFileMove", "mnuFileDeletePermanently", "mnuFileDeleteRecycle", "-"});
    file->addAction(syncSelected);
    file->addAction(syncAll);
    file->addSeparator();
    AddToMenu(file, *m_commands, {"mnuFilePrint", "-", "mnuFileClose"});
    QMenu* select = bar->addMenu(QStringLiteral("&Select"));
    select->setObjectName(QStringLiteral("mnuSelect"));
    select->addAction(m_commands->Action(QStringLiteral("mnuSelectAll")));
    select->addAction(deselect);
    select->addAction(invert);
    select->addSeparator();
    AddToMenu(select, *m_commands, {"mnuSelectNewer", "mnuSelectOlder", "mnuSelectOrphans", "mnuSelectBinary"});
    for (QMenu* menu : {file, select})
        connect(menu, &QMenu::aboutToShow, m_commands, &GuiCommandRegistry::RefreshEnabled);
    // Commands whose rules read the current row follow it at once, not only when a menu opens.
    for (GuiResultPane* pane : m_panes) {
        connect(pane, &GuiResultPane::FocusTaken, m_commands, &GuiCommandRegistry::RefreshEnabled);
        connect(pane->selectionModel(), &QItemSelectionModel::currentChanged, m_commands,
                &GuiCommandRegistry::RefreshEnabled);
        connect(pane->model(), &QAbstractItemModel::modelReset, m_commands, &GuiCommandRegistry::RefreshEnabled);
    }

    // The pop-up of a right click and the menu of a double click, as the main window's panes have them.
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuSubDirPopup"));
    m_popup->addAction(m_commands->Appearance("mnuPopupOpenFile", "Open File", QStringLiteral("mnuFileOpenFile")));
    m_popup->addAction(m_commands->Appearance("mnuPopupShowFileDiffs", "Show File Differences",
                                              QStringLiteral("mnuFileShowFileDiffs")));
    m_popup->addSeparator();
    m_popup->addAction(m_commands->Appearance("mnuPopupCopy", "Copy to Other Folder", QStringLiteral("mnuFileCopy")));
    m_popup->addAction(m_commands->Appearance("mnuPopupMove", "Move to Other Folder", QStringLiteral("mnuFileMove")));
    m_popup->addAction(m_commands->Appearance("mnuPopupRecycle", "Send to Recycle Bin", QStringLiteral("mnuFileDeleteRecycle")));
    m_popup->addAction(m_commands->Appearance("mnuPopupDeletePermanently", "Delete Permanently",
                                              QStringLiteral("mnuFileDeletePermanently")));
    m_popup->addSeparator();
    m_popup->addAction(m_commands->Appearance("mnuPopupSyncSelected", "Synchronize Selected Files Only",
                                              QStringLiteral("mnuFileSyncSelectedObjects")));
    m_doubleClickMenu = new QMenu(this);
    m_doubleClickMenu->setObjectName(QStringLiteral("mnuSubDirDblClick"));
    QAction* open = m_commands->Appearance("mnuDblClickFileOpen", "Open File", QStringLiteral("mnuFileOpenFile"));
    m_doubleClickMenu->addAction(open);
    m_doubleClickMenu->addAction(m_commands->Appearance("mnuDblClickShowFileDiffs", "Show File Differences",
                                                        QStringLiteral("mnuFileShowFileDiffs")));
    m_doubleClickMenu->setDefaultAction(open);

    const struct
    {
        const char* name;
        const char* caption;
        const char* command;
        ToolbarPicture picture;
    } buttons[] = {{"tbrCompare", "Compare", "mnuFileCompareFiles", ToolbarPicture::CompareFiles},
                   {"tbrSync", "Sync", "mnuFileAutoSynch", ToolbarPicture::Sync},
                   {"tbrCopy", "Copy", "mnuFileCopy", ToolbarPicture::Copy},
                   {"tbrMove", "Move", "mnuFileMove", ToolbarPicture::Move},
                   {"tbrDelete", "Delete", "mnuFileDeleteRecycle", ToolbarPicture::Delete},
                   {"tbrPrint", "Print", "mnuFilePrint", ToolbarPicture::Print},
                   {"tbrExit", "Exit", "mnuFileClose", ToolbarPicture::Exit}};
    for (const auto& button : buttons) {
        QAction* action = m_commands->Appearance(button.name, button.caption, QString::fromLatin1(button.command));
        action->setIcon(ToolbarIcon(button.picture));
        m_toolbar->addAction(action);
    }
}

const ResultRow* frmSubDirDiffs::CurrentFileRow() const
{
    const GuiResultPane* pane = m_current;
    if (pane == nullptr)
        return nullptr;
    const QModelIndex current = pane->currentIndex();
    const ResultRow* r = current.isValid() ? pane->ResultModel()->RowAt(current.row()) : nullptr;
    return r != nullptr && IsRealRow(*r) && !r->text.endsWith(QLatin1Char('/')) ? r : nullptr;
}

void frmSubDirDiffs::OpenCurrentRow()
{
    if (const ResultRow* r = CurrentFileRow())
        HandToDesktop(m_ctx.Dialogs(), m_openUrl, RowObjectPath(PaneFolder(m_current), *r), QStringLiteral("Open Object"));
}

void frmSubDirDiffs::OnDoubleClicked(GuiResultPane* pane, int row)
{
    const ResultRow* r = pane->ResultModel()->RowAt(row);
    if (!m_enabled || r == nullptr || !IsRealRow(*r))
        return;
    m_current = pane;
    pane->selectionModel()->setCurrentIndex(pane->model()->index(row, 0), QItemSelectionModel::NoUpdate);
    // A file on one side only has nothing to compare with: it opens at once.
    if (r->icon == Category::Orphan) {
        OpenCurrentRow();
        return;
    }
    // Changed on both sides since the last synchronization: what differs is the question.
    if (r->note == RowNote::Conflict) {
        m_commands->Run(QStringLiteral("mnuFileShowFileDiffs"));
        return;
    }
    m_commands->RefreshEnabled();
    m_doubleClickMenu->popup(QCursor::pos());
}

void frmSubDirDiffs::OnContextMenu(GuiResultPane* pane, int row, const QPoint& globalPos)
{
    const ResultRow* r = pane->ResultModel()->RowAt(row);
    if (!m_enabled || r == nullptr || !IsRealRow(*r))
        return;
    m_current = pane;
    // The row under the pointer joins the selection, as a right click does in a file manager.
    const QModelIndex index = pane->model()->index(row, 0);
    if (!pane->selectionModel()->isSelected(index))
        pane->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    pane->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_commands->RefreshEnabled();
    m_popup->popup(globalPos);
}

QString frmSubDirDiffs::PaneFolder(const GuiResultPane* pane) const
{
    return pane == m_panes[1] ? m_rows.rightFolder : m_rows.leftFolder;
}

const SubFolderDiffsList& frmSubDirDiffs::SubFolderDifferences() const
{
    std::vector<int> rowOf;
    m_diffs = {DiffsOfRows(m_rows, nullptr, rowOf)};
    return m_diffs;
}

void frmSubDirDiffs::SetMenusEnabled(bool enabled)
{
    m_enabled = enabled;
    m_toolbar->setEnabled(enabled);
    if (QWidget* bar = layout()->menuBar())
        bar->setEnabled(enabled);
    m_commands->RefreshEnabled();
}

QString frmSubDirDiffs::FolderText(bool source) const
{
    QString folder = source ? m_rows.leftFolder : m_rows.rightFolder;
    folder.chop(1);
    return folder;
}

void frmSubDirDiffs::CompareDirs(bool, bool)
{
    if (RefreshSubFolderRows(m_rows))
        m_changed = true;
    CopyItemsFromHiddenLVWToVisibleLVW();
}

void frmSubDirDiffs::RemoveListItemsAndShowNoCompareMsg()
{
    // The window has no results to clear: what changed is read back instead, so it never shows a file
    // that is gone.
    CompareDirs(false, false);
}

void frmSubDirDiffs::SetPanelText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 2)
        m_status[size_t(panel - 1)]->setText(text);
}

void frmSubDirDiffs::CopyItemsFromHiddenLVWToVisibleLVW()
{
    try {
        for (int side = 0; side < 2; ++side) {
            const ResultList& hold = side == 0 ? m_rows.left : m_rows.right;
            PaneRows rows(hold.size());
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i] = int32_t(i);
            m_models[size_t(side)]->Reset(std::move(rows));
        }
        UpdateTotals();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSubDirDiffs.CopyItemsFromHiddenLVWToVisibleLVW"));
    }
}

void frmSubDirDiffs::UpdateTotals()
{
    auto sizeText = [this](qint64 bytes) { return m_ctx.Lib().ConvertBytesToCorrectByteTypeString(bytes); };
    SetPanelText(1, PaneTotalsText(ComputePaneTotals(m_rows.left, m_models[0]->Rows()), sizeText));
    SetPanelText(2, PaneTotalsText(ComputePaneTotals(m_rows.right, m_models[1]->Rows()), sizeText));
}

void frmSubDirDiffs::OnScrolled(GuiResultPane* source)
{
    if (m_forwardingScroll)
        return;
    GuiResultPane* target = source == m_panes[0] ? m_panes[1] : m_panes[0];
    m_forwardingScroll = true;
    if (m_ctx.Lib().IsLoaded())
        m_ctx.Lib().Api().SyncListViewScrolling(static_cast<QAbstractItemView*>(source),
                                                static_cast<QAbstractItemView*>(target), VerticalScrollMessage,
                                                source->verticalScrollBar()->value(), 0);
    else
        target->verticalScrollBar()->setValue(source->verticalScrollBar()->value());
    m_forwardingScroll = false;
}

void frmSubDirDiffs::RunOp(SubFolderOp op)
{
    const MainOptions& o = m_ctx.MainOptions();
    const bool confirm = op == SubFolderOp::Copy   ? o.ShowCopyConfirmations
                         : op == SubFolderOp::Move ? o.ShowMoveConfirmations
                                                   : o.ShowDeleteConfirmations;
    RunOp(op, m_current, confirm);
}

void frmSubDirDiffs::RunOp(SubFolderOp op, GuiResultPane* pane, bool confirm)
{
    if (!m_enabled || pane == nullptr)
        return;
    const RowOpServices services{m_ctx.Dialogs(),
                                 m_ctx.Errors(),
                                 m_ctx.Lib(),
                                 DriveQueries::System(),
                                 m_confirmationOverride != nullptr ? *m_confirmationOverride : *m_confirmation,
                                 m_runnerOverride != nullptr ? *m_runnerOverride : *m_runner};
    // Below the sub-folder on each side no link is followed on the way to an entry's object.
    services.runner.roots = QStringList{m_rows.leftFolder, m_rows.rightFolder};
    const RowIndexes selected = pane->SelectedHoldRows();
    static const char* const Doing[] = {"Copying ", "Moving ", "Deleting ", "Recycling "};
    SetMenusEnabled(false);
    if (!selected.empty()) {
        const ResultRow& first = (pane == m_panes[0] ? m_rows.left : m_rows.right)[size_t(selected.front())];
        SetPanelText(1, QString::fromLatin1(Doing[int(op)]) + first.text
                            + (selected.size() > 1 ? QStringLiteral(" and ") + QString::number(selected.size() - 1)
                                                         + QStringLiteral(" more...")
                                                   : QStringLiteral("...")));
    }
    const Outcome outcome = RunSubFolderOp(services, m_rows, op, pane == m_panes[0], selected, confirm);
    SetMenusEnabled(true);
    m_changed = m_changed || outcome.changed;
    // Also after a failure: the lists show what was done. A command that did nothing keeps the selection.
    if (outcome.changed)
        CopyItemsFromHiddenLVWToVisibleLVW();
    else
        UpdateTotals();
}

void frmSubDirDiffs::ProcessDragDrop(GuiResultPane* from, GuiResultPane* onto)
{
    try {
        if (from == onto || from == nullptr || onto == nullptr)
            return;
        const QString one = QFileInfo(m_rows.leftFolder).canonicalFilePath();
        if (m_rows.leftFolder == m_rows.rightFolder || (!one.isEmpty() && one == QFileInfo(m_rows.rightFolder).canonicalFilePath()))
            return;
        RunOp(SubFolderOp::Copy, from, m_ctx.MainOptions().ShowCopyConfirmations);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSubDirDiffs.ProcessDragDrop"));
    }
}

void frmSubDirDiffs::SelectCategory(Category category)
{
    SelectCriteria criteria;
    criteria.categories[size_t(int(category) - 1)] = true;
    m_selection->DeselectAll(m_current);
    m_selection->SelectFileTypesInList(m_current, criteria);
}

void frmSubDirDiffs::Print()
{
    try {
        const auto real = [](const ResultList& list) {
            return std::any_of(list.begin(), list.end(), [](const ResultRow& row) { return IsRealRow(row); });
        };
        if (!real(m_rows.left) && !real(m_rows.right)) {
            m_ctx.Dialogs().Message(QStringLiteral("There are no items to print."), QStringLiteral("Unable to Print"),
                                    UserDialogs::Icon::Information);
            return;
        }
        m_selection->PrintResults();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("SubDirDiffs.mnuFilePrint_Click"));
    }
}

bool frmSubDirDiffs::ShowSubFolderDifferences(AppContext& ctx, GuiResultsFrame& main, const QString& name)
{
    const SubFolderDiffsList& all = main.SubFolderDifferences();
    const auto it = std::find_if(all.begin(), all.end(), [&](const CSubFolderDiffs& diffs) {
        return diffs.strSubFolderName().compare(name, Qt::CaseInsensitive) == 0;
    });
    if (it == all.end())
        return false;
    bool changed = false;
    {
        std::optional<BusyPointer> busy(std::in_place, ctx.Dialogs());
        frmSubDirDiffs window(ctx, main, *it, main.FrameWindow());
        busy.reset();
        window.exec();
        changed = window.Changed();
    }
    if (changed) {
        if (ctx.MainOptions().AutoCompareAfterFileOp)
            main.CompareDirs(false, false);
        else
            main.RemoveListItemsAndShowNoCompareMsg();
    }
    return true;
}
