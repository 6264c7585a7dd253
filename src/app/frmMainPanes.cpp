#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "base/UserDialogs.h"
#include "views/GuiViewCommands.h"
#include "views/GuiCategoryPictures.h"
#include "views/GuiResultPane.h"
#include "views/ResultTableModel.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSet>
#include <QToolButton>
#include <algorithm>

namespace {
// The message number of a vertical scroll, handed to the helper library with each forwarded scroll.
constexpr uint32_t VerticalScrollMessage = 0x115;

QVariant NotePicture(Category category, bool unreadable, RowNote note)
{
    return QIcon(CategoryIcon(category, unreadable, note));
}

// The row pairs in conflict: a pair of which a row changed on both sides since the last synchronization,
// and a differing folder whose sub-folder differences hold such a file, so the way to it stays on view.
void ConflictPanes(const CompareResults& results, PaneRows& leftRows, PaneRows& rightRows)
{
    QSet<QString> foldersInConflict;
    for (const CSubFolderDiffs& diffs : results.allSubFolderDiffs) {
        const auto conflict = [](const ResultRow& row) { return row.note == RowNote::Conflict; };
        if (std::any_of(diffs.DiffOne().begin(), diffs.DiffOne().end(), conflict)
            || std::any_of(diffs.DiffTwo().begin(), diffs.DiffTwo().end(), conflict))
            foldersInConflict.insert(diffs.strSubFolderName().toCaseFolded());
    }
    const ResultList& left = results.holdSource;
    const ResultList& right = results.holdTarget;
    leftRows.clear();
    rightRows.clear();
    const size_t pairs = std::max(left.size(), right.size());
    for (size_t i = 0; i < pairs; ++i) {
        const ResultRow* l = i < left.size() ? &left[i] : nullptr;
        const ResultRow* r = i < right.size() ? &right[i] : nullptr;
        bool shown = (l != nullptr && l->note == RowNote::Conflict) || (r != nullptr && r->note == RowNote::Conflict);
        if (!shown && l != nullptr && l->IsFolder())
            shown = foldersInConflict.contains(l->text.mid(1).toCaseFolded());
        if (!shown)
            continue;
        leftRows.push_back(l != nullptr ? static_cast<int32_t>(i) : EmptyRow);
        rightRows.push_back(r != nullptr ? static_cast<int32_t>(i) : EmptyRow);
    }
}

} // namespace

void frmMain::BuildPanes()
{
    std::array<QVariant, CategoryCount + 1> pictures;
    std::array<QVariant, CategoryCount + 1> unreadable;
    for (int c = 1; c <= CategoryCount; ++c) {
        pictures[static_cast<size_t>(c)] = CategoryIcon(static_cast<Category>(c));
        unreadable[static_cast<size_t>(c)] = CategoryIcon(static_cast<Category>(c), true);
    }

    m_sourceModel = new ResultTableModel(m_results.holdSource, this);
    m_targetModel = new ResultTableModel(m_results.holdTarget, this);
    m_lvwSource = new GuiResultPane(m_sourceModel, this);
    m_lvwSource->setObjectName(QStringLiteral("lvwSourceDirFiles"));
    m_lvwTarget = new GuiResultPane(m_targetModel, this);
    m_lvwTarget->setObjectName(QStringLiteral("lvwTargetDirFiles"));
    m_current = m_lvwSource;
    for (GuiResultPane* pane : {m_lvwSource, m_lvwTarget}) {
        pane->ResultModel()->SetCategoryPictures(pictures);
        pane->ResultModel()->SetUnreadablePictures(unreadable);
        pane->ResultModel()->SetNotePictures(NotePicture);
        pane->header()->resizeSection(ResultTableModel::NameColumn, 159);
        pane->header()->resizeSection(ResultTableModel::SizeColumn, 72);
        pane->header()->resizeSection(ResultTableModel::DateColumn, 115);
        connect(pane, &GuiResultPane::FocusTaken, this, [this, pane] {
            m_current = pane;
            m_commands->RefreshEnabled();
        });
        // Commands whose rules read the selected row follow it at once, not only when a menu opens.
        connect(pane->selectionModel(), &QItemSelectionModel::currentChanged, m_commands,
                &GuiCommandRegistry::RefreshEnabled);
        connect(pane->model(), &QAbstractItemModel::modelReset, m_commands, &GuiCommandRegistry::RefreshEnabled);
        connect(pane, &GuiResultPane::RowDoubleClicked, this, [this, pane](int row) { OnPaneDoubleClicked(pane, row); });
        connect(pane, &GuiResultPane::RowContextMenu, this,
                [this, pane](int row, const QPoint& at) { OnPaneContextMenu(pane, row, at); });
        connect(pane->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, pane] { OnPaneScrolled(pane); });
    }
}

CategoryFlags frmMain::CurrentFlags() const
{
    CategoryFlags flags{};
    for (int k = 1; k <= CategoryCount; ++k)
        flags[static_cast<size_t>(k - 1)] = m_ctx.ViewSelections().ShowsCategory(k);
    return flags;
}

int32_t frmMain::CurrentViewType() const { return m_ctx.ViewSelections().ViewType(); }

void frmMain::ApplyViewTypes()
{
    if (IsNoResultsList(m_results.holdSource))
        return;
    BusyPointer busy(m_ctx.Dialogs());
    PaneRows left;
    PaneRows right;
    const bool conflictsOnly = GuiViewCommands::ConflictsOnly(*m_commands);
    if (conflictsOnly)
        ConflictPanes(m_results, left, right);
    else
        FilterPanes(m_results.holdSource, m_results.holdTarget, CurrentViewType(), CurrentFlags(), left, right);
    m_sourceModel->Reset(std::move(left));
    m_targetModel->Reset(std::move(right));
    UpdatePaneTotals();
    SetPanelText(4, conflictsOnly ? GuiViewCommands::ConflictsViewText() : ViewTypeText(CurrentViewType()));
}

void frmMain::UpdatePaneTotals()
{
    auto sizeText = [this](qint64 bytes) { return m_ctx.Lib().ConvertBytesToCorrectByteTypeString(bytes); };
    SetPanelText(1, PaneTotalsText(ComputePaneTotals(m_results.holdSource, m_sourceModel->Rows()), sizeText));
    SetPanelText(2, PaneTotalsText(ComputePaneTotals(m_results.holdTarget, m_targetModel->Rows()), sizeText));
}

void frmMain::RemoveListItemsAndShowNoCompareMsg()
{
    MakeNoResultsList(m_results.holdSource);
    MakeNoResultsList(m_results.holdTarget);
    m_sourceModel->Reset(PaneRows{0});
    m_targetModel->Reset(PaneRows{0});
    // Totals of results that are gone would mislead.
    SetPanelText(1, QString());
    SetPanelText(2, QString());
}

void frmMain::DisplayViewSelections()
{
    const CategoryFlags flags = CurrentFlags();
    for (int k = 1; k <= CategoryCount; ++k) {
        const bool shown = flags[static_cast<size_t>(k - 1)];
        QToolButton* button = m_imgViews[static_cast<size_t>(k - 1)];
        button->setIcon(QIcon(CategoryPixmap(static_cast<Category>(k), shown, 24)));
        button->setProperty("coloured", shown);
    }
}

void frmMain::CheckViewMenuItem(int32_t viewType) { GuiViewCommands::CheckViewMenuItem(*m_commands, viewType); }

void frmMain::imgViews_Click(int index)
{
    if (index < 1 || index > CategoryCount || !MenusEnabled())
        return;
    try {
        const bool noResults = m_sourceModel->rowCount() == 1 && m_targetModel->rowCount() == 1 &&
                               m_sourceModel->RowAt(0) != nullptr && m_targetModel->RowAt(0) != nullptr &&
                               m_sourceModel->RowAt(0)->text == NoComparisonResultsText() &&
                               m_targetModel->RowAt(0)->text == NoComparisonResultsText();
        if (noResults) {
            m_ctx.Lib().ShowInformationMessage(QStringLiteral("These buttons require that a comparison be run first"),
                                               QStringLiteral("View Types"));
            return;
        }
        // The buttons are the truth here: toggle one, then read all eight back.
        QToolButton* button = m_imgViews[static_cast<size_t>(index - 1)];
        const bool coloured = !button->property("coloured").toBool();
        button->setIcon(QIcon(CategoryPixmap(static_cast<Category>(index), coloured, 24)));
        button->setProperty("coloured", coloured);
        CViewSelections& views = m_ctx.ViewSelections();
        for (int k = 1; k <= CategoryCount; ++k)
            views.SetShowsCategory(k, m_imgViews[static_cast<size_t>(k - 1)]->property("coloured").toBool());
        views.SetViewType(views.ViewTypeOfFlags());
        CheckViewMenuItem(views.ViewType());
        // A category chosen means its rows, not the conflicts among them.
        GuiViewCommands::SetConflictsOnly(*m_commands, false);
        QApplication::processEvents();
        ApplyViewTypes();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.imgViews_Click"));
    }
}

void frmMain::SetSyncScrolling(bool on)
{
    if (on == m_syncScrolling)
        return;
    m_syncScrolling = on;
    if (on) {
        // Start from a common position: both panes at their first row.
        m_forwardingScroll = true;
        m_lvwSource->verticalScrollBar()->setValue(0);
        m_lvwTarget->verticalScrollBar()->setValue(0);
        m_forwardingScroll = false;
    }
    if (QAction* action = Action(QStringLiteral("mnuOptionsSyncScrolling")))
        action->setChecked(on);
}

// A scroll of one pane is forwarded to the other through the helper library, which puts the other pane's
// top row level with this one's. The other pane's own forwarding is suspended meanwhile, so the scroll
// never bounces back.
void frmMain::OnPaneScrolled(GuiResultPane* source)
{
    if (!m_syncScrolling || m_forwardingScroll || !m_ctx.Lib().IsLoaded())
        return;
    GuiResultPane* target = source == m_lvwSource ? m_lvwTarget : m_lvwSource;
    m_forwardingScroll = true;
    m_ctx.Lib().Api().SyncListViewScrolling(static_cast<QAbstractItemView*>(source),
                                            static_cast<QAbstractItemView*>(target), VerticalScrollMessage,
                                            source->verticalScrollBar()->value(), 0);
    m_forwardingScroll = false;
}

void frmMain::OnPaneDoubleClicked(GuiResultPane* pane, int row)
{
    if (!MenusEnabled() || pane->SelectedRows().isEmpty())
        return;
    m_current = pane;
    const ResultRow* r = pane->ResultModel()->RowAt(row);
    if (r == nullptr || !IsRealRow(*r))
        return;
    if (!r->IsFolder()) {
        if (r->icon == Category::Orphan) {
            m_commands->Run(QStringLiteral("mnuFileOpenFile"));
        } else if (r->note == RowNote::Conflict) {
            // Changed on both sides: what differs is the question, so the differences come at once.
            m_commands->Run(QStringLiteral("mnuFileShowFileDiffs"));
        } else {
            m_commands->RefreshEnabled();
            TopMenu(QStringLiteral("mnuDiffFileDblClick"))->popup(QCursor::pos());
        }
        return;
    }
    if (r->icon == Category::DifferentFolder) {
        m_commands->RefreshEnabled();
        TopMenu(QStringLiteral("mnuDiffSubDirDblClick"))->popup(QCursor::pos());
    } else {
        m_commands->Run(QStringLiteral("mnuFolderPopupExplore"));
    }
}

void frmMain::OnPaneContextMenu(GuiResultPane* pane, int row, const QPoint& globalPos)
{
    m_current = pane;
    const ResultRow* r = pane->ResultModel()->RowAt(row);
    if (!MenusEnabled() || r == nullptr || !IsRealRow(*r))
        return;
    // The row under the pointer joins the selection, as a right click does in a file manager.
    const QModelIndex index = pane->model()->index(row, 0);
    if (!pane->selectionModel()->isSelected(index))
        pane->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    pane->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_commands->RefreshEnabled();
    (r->IsFolder() ? m_folderPopup : m_filePopup)->popup(globalPos);
}
