#include "sync/frmConfirmSync.h"

#include "views/GuiCategoryPictures.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QStringListModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

using Rows = std::vector<std::pair<const SyncStep*, QString>>;

// One side's planned operations, without a widget item per row: a plan may hold many thousands.
class PlanModel final : public QAbstractTableModel
{
public:
    PlanModel(Rows rows, QObject* parent) : QAbstractTableModel(parent), m_rows(std::move(rows)) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || size_t(index.row()) >= m_rows.size())
            return {};
        const auto& [step, action] = m_rows[size_t(index.row())];
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? (step->IsMove() ? frmConfirmSync::MoveText(*step) : step->text) : action;
        if (role == Qt::DecorationRole && index.column() == 0 && step->category != Category::None)
            return CategoryIcon(step->category);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("File") : QStringLiteral("Action");
    }

private:
    Rows m_rows;
};

QTreeView* PlanList(const char* name, Rows rows, QWidget* parent)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setModel(new PlanModel(std::move(rows), view));
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    view->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    return view;
}

QLabel* WrappedLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

QString Count(qint64 n, const char* one, const char* many)
{
    return QLocale().toString(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

} // namespace

QString frmConfirmSync::TotalsText(const std::vector<SyncStep>& plan, int side)
{
    qint64 copies = 0, bytes = 0, deletes = 0, moves = 0, others = 0;
    for (const SyncStep& step : plan) {
        if (side >= 0 && step.OnLeft() != (side == 0))
            continue;
        if (step.IsCopy()) {
            ++copies;
            bytes += step.bytes;
        } else if (step.IsDelete()) {
            ++deletes;
        } else if (step.IsMove()) {
            ++moves;
        } else {
            ++others;
        }
    }
    QStringList parts;
    if (copies > 0)
        parts << Count(copies, "copy", "copies") + QStringLiteral(" (") + QLocale().formattedDataSize(bytes) + QLatin1Char(')');
    if (deletes > 0)
        parts << Count(deletes, "deletion", "deletions");
    if (moves > 0)
        parts << Count(moves, "move", "moves");
    if (others > 0)
        parts << Count(others, "change of mode or name", "changes of mode or name");
    const qint64 all = copies + deletes + moves + others;
    if (side >= 0)
        return all == 0 ? QStringLiteral("Nothing from this folder.") : parts.join(QStringLiteral(", "));
    return Count(all, "operation", "operations") + QStringLiteral(" in all: ") + parts.join(QStringLiteral(", "))
           + QLatin1Char('.');
}

Rows frmConfirmSync::SideRows(const std::vector<SyncStep>& plan, bool left)
{
    Rows rows;
    const QString copy = left ? QStringLiteral("Copy -->") : QStringLiteral("<-- Copy");
    const QString mode = left ? QStringLiteral("Mode -->") : QStringLiteral("<-- Mode");
    const QString del = QStringLiteral("Delete");
    const QString rename = QStringLiteral("Rename");
    const QString move = QStringLiteral("Move");
    const auto caption = [&](const SyncStep& step) {
        if (step.IsDelete())
            return del;
        if (step.IsCopy())
            return copy;
        if (step.IsMove())
            return move;
        return step.action == SyncStep::Action::ModeToRight || step.action == SyncStep::Action::ModeToLeft ? mode : rename;
    };
    // The lists' rows: copies, then deletes; then the sub-folders' files in the order they are done.
    for (const SyncStep& step : plan)
        if (!step.inSubFolder && step.OnLeft() == left && !step.IsDelete())
            rows.emplace_back(&step, caption(step));
    for (const SyncStep& step : plan)
        if (!step.inSubFolder && step.OnLeft() == left && step.IsDelete())
            rows.emplace_back(&step, del);
    for (const SyncStep& step : plan)
        if (step.inSubFolder && step.OnLeft() == left)
            rows.emplace_back(&step, caption(step));
    return rows;
}

QString frmConfirmSync::MoveText(const SyncStep& step)
{
    return QStringLiteral("Move ") + step.text + QStringLiteral(" to ") + step.movedTo;
}

QString frmConfirmSync::ConflictsHeading()
{
    return QStringLiteral("Left as they are (changed on both sides since the last synchronization):");
}

frmConfirmSync::frmConfirmSync(const std::vector<SyncStep>& plan, const QString& leftFolder,
                               const QString& rightFolder, QWidget* parent, const QString& guardReason,
                               const QStringList& conflicts)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfirmSync"));
    setWindowTitle(QStringLiteral("Confirm Synchronization"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    QCheckBox* allow = nullptr;
    if (!guardReason.isEmpty()) {
        auto* reason = WrappedLabel("lblGuardReason", guardReason, this);
        reason->setTextFormat(Qt::PlainText);
        QPalette palette = reason->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        reason->setPalette(palette);
        QFont bold = reason->font();
        bold.setBold(true);
        reason->setFont(bold);
        layout->addWidget(reason);
        allow = new QCheckBox(QStringLiteral("I &understand; synchronize anyway"), this);
        allow->setObjectName(QStringLiteral("chkGuardAllow"));
        layout->addWidget(allow);
    }
    layout->addWidget(WrappedLabel(
        "lblConfirmMsg",
        QStringLiteral("The following file operations are about to be performed.  Please look over the changes carefully.  "
                       "Some of the changes may not be reversible.  Press Continue to proceed with the synchronization "
                       "or Cancel to abort."),
        this));
    auto* lists = new QHBoxLayout;
    for (const bool left : {true, false}) {
        auto* column = new QVBoxLayout;
        auto* caption = WrappedLabel(left ? "lblFolderOne" : "lblFolderTwo", left ? leftFolder : rightFolder, this);
        caption->setTextFormat(Qt::PlainText);
        column->addWidget(caption);
        column->addWidget(PlanList(left ? "lvwFolderOne" : "lvwFolderTwo", SideRows(plan, left), this), 1);
        // What each list adds up to: a plan of thousands of rows cannot be judged by scrolling through it.
        column->addWidget(WrappedLabel(left ? "lblTotalsOne" : "lblTotalsTwo", TotalsText(plan, left ? 0 : 1), this));
        lists->addLayout(column, 1);
    }
    layout->addLayout(lists, 1);
    if (!conflicts.isEmpty()) {
        // Not operations: what the run will not touch, so the user can settle these pairs by hand.
        layout->addWidget(WrappedLabel("lblConflicts", ConflictsHeading(), this));
        auto* list = new QListView(this);
        list->setObjectName(QStringLiteral("lvwConflicts"));
        list->setUniformItemSizes(true);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setModel(new QStringListModel(conflicts, list));
        list->setMaximumHeight(list->fontMetrics().height() * 6);
        layout->addWidget(list);
    }
    auto* totals = WrappedLabel("lblTotals", TotalsText(plan, -1), this);
    QFont bold = totals->font();
    bold.setBold(true);
    totals->setFont(bold);
    layout->addWidget(totals);
    auto* warning = WrappedLabel("lblWarning",
                                 QStringLiteral("Warning!  If you cancel a synchronization after this point, you may lose "
                                                "some data.  Check the information above before continuing."),
                                 this);
    layout->addWidget(warning);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("Continue"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_proceed = true;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    if (allow != nullptr) {
        ok->setEnabled(false);
        ok->setAutoDefault(false);
        cancel->setDefault(true);
        connect(allow, &QCheckBox::toggled, ok, &QPushButton::setEnabled);
    }

    // The main window's size and place.
    if (parent != nullptr)
        setGeometry(parent->geometry());
    else
        resize(760, 520);
}
