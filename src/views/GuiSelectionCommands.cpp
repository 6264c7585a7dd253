#include "views/GuiSelectionCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "views/GuiPanePrint.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/ResultTableModel.h"
#include "views/frmCompareResults.h"
#include "views/frmSelect.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace {

// The visible rows a pane shows that are real results (placeholders never take part).
std::vector<int> RealRows(const GuiResultPane* pane)
{
    std::vector<int> rows;
    const ResultTableModel* model = pane->ResultModel();
    const int count = model->rowCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
        const ResultRow* row = model->RowAt(r);
        if (row != nullptr && IsRealRow(*row))
            rows.push_back(r);
    }
    return rows;
}

} // namespace

GuiSelectionCommands::GuiSelectionCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_registry(registry)
{
    // No enabled rules: the toolbar's Print would keep the state it had while a comparison ran. Each
    // handler checks instead that no operation runs.
    const auto command = [this, &registry](const char* name, std::function<void()> run) {
        registry.SetHandler(QString::fromLatin1(name), [this, run = std::move(run)] {
            if (m_frame.MenusEnabled())
                run();
        });
    };
    command("mnuSelectAll", [this] { SelectAll(m_frame.CurrentListview()); });
    command("mnuDeSelectAll", [this] { DeselectAll(m_frame.CurrentListview()); });
    command("mnuInvertSelection", [this] { InvertSelection(m_frame.CurrentListview()); });
    command("mnuSelectOther", [this] { OpenSelectWizard(); });
    command("mnuSelectShowNext", [this] { ShowNextSelected(m_frame.CurrentListview()); });
    command("mnuSelectShowOnlySelected", [this] { ShowOnlySelectedObjects(); });
    command("mnuViewCompareResultsSummary", [this] { ShowResultsSummary(); });
    command("mnuFilePrint", [this] { PrintResults(); });
    for (GuiResultPane* pane : {m_frame.SourcePane(), m_frame.TargetPane()}) {
        pane->installEventFilter(this);
        connect(pane->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, pane] { OnSelectionChanged(pane); });
        // A view change refills the panes: their totals come back.
        connect(pane->model(), &QAbstractItemModel::modelReset, this, [this] { UpdateStatus(); });
    }
}

bool GuiSelectionCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* pane = qobject_cast<GuiResultPane*>(watched);
        if (pane != nullptr && key->modifiers() == Qt::ControlModifier && (key->key() == Qt::Key_A || key->key() == Qt::Key_D)) {
            // Only while no operation runs.
            if (m_frame.MenusEnabled())
                key->key() == Qt::Key_A ? SelectAll(pane) : DeselectAll(pane);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void GuiSelectionCommands::SelectRuns(GuiResultPane* pane, const std::vector<int>& rows, bool select, bool clearFirst)
{
    QItemSelectionModel* model = pane->selectionModel();
    QItemSelection selection;
    const int lastColumn = pane->model()->columnCount() - 1;
    for (const auto& [first, last] : RowRuns(rows))
        selection.select(pane->model()->index(first, 0), pane->model()->index(last, lastColumn));
    // Cleared in a step of its own: the model compares the old selection with the new one range against
    // range, which for scattered rows against a full selection takes minutes; against none it is free.
    if (clearFirst)
        model->clearSelection();
    // The ranges span whole rows already. With the Rows flag the model would widen them one by one and
    // merge each into the rest, as slow again.
    if (!selection.isEmpty())
        model->select(selection, select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void GuiSelectionCommands::SelectAll(GuiResultPane* pane)
{
    if (pane == nullptr)
        return;
    SelectRuns(pane, RealRows(pane), true, true);
}

void GuiSelectionCommands::DeselectAll(GuiResultPane* pane)
{
    if (pane == nullptr)
        return;
    pane->selectionModel()->clear();
}

void GuiSelectionCommands::InvertSelection(GuiResultPane* pane)
{
    if (pane == nullptr)
        return;
    // The selected rows from the selection's ranges: asking row by row costs a search of the ranges each.
    std::vector<bool> selected(static_cast<std::size_t>(pane->model()->rowCount()), false);
    for (const QItemSelectionRange& range : pane->selectionModel()->selection())
        std::fill(selected.begin() + range.top(), selected.begin() + range.bottom() + 1, true);
    std::vector<int> flipped;
    for (const int r : RealRows(pane)) {
        if (!selected[static_cast<std::size_t>(r)])
            flipped.push_back(r);
    }
    SelectRuns(pane, flipped, true, true);
}

void GuiSelectionCommands::ShowNextSelected(GuiResultPane* pane)
{
    if (pane == nullptr)
        return;
    const int count = pane->model()->rowCount();
    const int current = pane->currentIndex().isValid() ? pane->currentIndex().row() : -1;
    const QItemSelectionModel* model = pane->selectionModel();
    for (int step = 1; step < count + 1; ++step) {
        const int r = (current + step) % count;
        if (r == current)
            break;
        if (model->isRowSelected(r, QModelIndex())) {
            pane->selectionModel()->setCurrentIndex(pane->model()->index(r, 0), QItemSelectionModel::NoUpdate);
            pane->scrollTo(pane->model()->index(r, 0), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void GuiSelectionCommands::ShowOnlySelectedObjects()
{
    try {
        GuiResultPane* pane = m_frame.CurrentListview();
        if (pane == nullptr || pane->model()->rowCount() == 0 || IsNoResultsList(pane->ResultModel()->Hold()))
            return;
        m_ctx.Lib().ShowSelectedNotice();
        PaneRows shown;
        for (const int hold : pane->SelectedHoldRows())
            shown.push_back(hold);
        GuiResultPane* other = pane == m_frame.SourcePane() ? m_frame.TargetPane() : m_frame.SourcePane();
        other->ResultModel()->Reset(PaneRows{});
        pane->ResultModel()->Reset(std::move(shown));
        SelectAll(pane);
        UpdateStatus();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.ShowOnlySelectedObjects"));
    }
}

void GuiSelectionCommands::SelectFileTypesInList(GuiResultPane* pane, const SelectCriteria& criteria)
{
    try {
        const std::vector<int> rows = RowsMatchingSelection(pane->ResultModel()->Hold(), pane->ResultModel()->Rows(),
                                                            criteria, m_ctx.Errors(), QDate::currentDate());
        SelectRuns(pane, rows, criteria.select, criteria.select);
        // The wizard's pane is the side the next command acts on, whatever it matched: a match of
        // nothing must not leave the other pane's old selection standing for a Delete to take.
        GuiResultPane* other = pane == m_frame.SourcePane() ? m_frame.TargetPane() : m_frame.SourcePane();
        m_changing = true;
        other->selectionModel()->clear();
        m_changing = false;
        UpdateStatus();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmmain.SelectFileTypesInList"));
    }
}

void GuiSelectionCommands::OpenSelectWizard()
{
    frmSelect wizard(m_ctx, m_frame, *this, m_frame.FrameWindow());
    wizard.exec();
}

void GuiSelectionCommands::ShowResultsSummary()
{
    ShowCompareResultsSummary(m_ctx, m_frame, [this](const QString& name) { return m_registry.Action(name); });
}

void GuiSelectionCommands::OnSelectionChanged(GuiResultPane* pane)
{
    if (m_changing)
        return;
    if (pane->selectionModel()->hasSelection()) {
        GuiResultPane* other = pane == m_frame.SourcePane() ? m_frame.TargetPane() : m_frame.SourcePane();
        m_changing = true;
        other->selectionModel()->clear();
        m_changing = false;
    }
    UpdateStatus();
}

QString GuiSelectionCommands::PaneStatusText(const GuiResultPane* pane) const
{
    const auto sizeText = [this](qint64 bytes) { return m_ctx.Lib().ConvertBytesToCorrectByteTypeString(bytes); };
    const ResultTableModel* model = pane->ResultModel();
    const ResultList& hold = model->Hold();
    if (IsNoResultsList(hold))
        return QString();
    qint64 count = 0;
    qint64 bytes = 0;
    // Ranges, not indexes: a million selected rows are one range.
    for (const QItemSelectionRange& range : pane->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            const ResultRow* row = model->RowAt(r);
            if (row != nullptr && IsRealRow(*row)) {
                ++count;
                bytes += row->size;
            }
        }
    }
    if (count == 0)
        return PaneTotalsText(ComputePaneTotals(hold, model->Rows()), sizeText);
    return QStringLiteral("Selected ") + QString::number(count) + QStringLiteral(" object(s)") + QStringLiteral("  (")
           + sizeText(bytes) + QLatin1Char(')');
}

void GuiSelectionCommands::UpdateStatus()
{
    m_frame.SetPanelText(1, PaneStatusText(m_frame.SourcePane()));
    m_frame.SetPanelText(2, PaneStatusText(m_frame.TargetPane()));
}

PanePrintout GuiSelectionCommands::Printout() const
{
    PanePrintout out;
    out.leftFolder = m_frame.ComparedFolder(m_frame.SourcePane());
    out.rightFolder = m_frame.ComparedFolder(m_frame.TargetPane());
    out.leftHold = &m_frame.SourcePane()->ResultModel()->Hold();
    out.rightHold = &m_frame.TargetPane()->ResultModel()->Hold();
    out.leftRows = m_frame.SourcePane()->ResultModel()->Rows();
    out.rightRows = m_frame.TargetPane()->ResultModel()->Rows();
    return out;
}

void GuiSelectionCommands::PrintResults()
{
    try {
        PrintPanes(Printout(), m_ctx.Dialogs(), m_frame.FrameWindow());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFilePrint_Click"));
    }
}
