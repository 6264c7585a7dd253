#include "sync/frmConfirmUndo.h"

#include "compare/RowFormat.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

using UndoRows = std::vector<frmConfirmUndo::Row>;

// The plan without a widget item per row: a large run leaves many thousands of steps to take back.
class UndoPlanModel final : public QAbstractTableModel
{
public:
    UndoPlanModel(UndoRows rows, QObject* parent) : QAbstractTableModel(parent), m_rows(std::move(rows)) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || size_t(index.row()) >= m_rows.size())
            return {};
        const frmConfirmUndo::Row& row = m_rows[size_t(index.row())];
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return index.column() == 0 ? row.action : index.column() == 1 ? row.object : row.note;
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* const captions[] = {"Action", "Object", "Note"};
        return QString::fromLatin1(captions[section]);
    }

private:
    UndoRows m_rows;
};

QLabel* WrappedLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

UndoRows frmConfirmUndo::Rows(const UndoPlan& plan)
{
    UndoRows rows;
    rows.reserve(plan.steps.size() + plan.left.size());
    for (const UndoStep& step : plan.steps) {
        QString note;
        if (step.action == UndoStep::Action::RenameBack)
            note = QStringLiteral("now named ") + step.from;
        rows.push_back({UndoStepWord(step.action), step.path, note});
    }
    // What undo leaves as it is comes last: it is what the user may want to look at by hand.
    for (const UndoLeft& left : plan.left)
        rows.push_back({left.changed ? QStringLiteral("changed") : QStringLiteral("missing"), left.path, left.why});
    return rows;
}

QString frmConfirmUndo::RunText(const std::optional<SyncJournal::RunRecord>& run)
{
    if (!run)
        return QStringLiteral("The last synchronization will be undone.");
    const QLocale locale;
    QString text = QStringLiteral("The synchronization of ") + run->left + QStringLiteral(" and ") + run->right;
    if (run->started.isValid())
        text += QStringLiteral(" on ") + locale.toString(run->started.toLocalTime(), RowFormatter(locale).DateTimeFormat());
    if (!run->method.isEmpty())
        text += QStringLiteral(" (") + run->method + QLatin1Char(')');
    return text + QStringLiteral(" will be undone.");
}

frmConfirmUndo::frmConfirmUndo(const UndoPlan& plan, const std::optional<SyncJournal::RunRecord>& run, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfirmUndo"));
    setWindowTitle(UndoLastSyncCaption());
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel("lblUndoRun", RunText(run), this));
    QString explain = QStringLiteral("Objects the synchronization made go to the trash, and the objects it replaced or "
                                     "deleted come back from the trash.");
    if (!plan.left.empty())
        explain += QStringLiteral("  Objects changed since the synchronization, and kept objects no longer in the "
                                  "trash, are left as they are (listed last).");
    layout->addWidget(WrappedLabel("lblUndoExplain", explain, this));

    auto* list = new QTreeView(this);
    list->setObjectName(QStringLiteral("lvwUndoPlan"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setTextElideMode(Qt::ElideMiddle);
    list->setModel(new UndoPlanModel(Rows(plan), list));
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(2, QHeaderView::Interactive);
    list->header()->resizeSection(2, 200);
    layout->addWidget(list, 1);

    layout->addWidget(WrappedLabel("lblUndoQuestion", QStringLiteral("Undo this synchronization now?"), this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* yes = new QPushButton(QStringLiteral("&Yes"), this);
    yes->setObjectName(QStringLiteral("cmdYes"));
    auto* no = new QPushButton(QStringLiteral("&No"), this);
    no->setObjectName(QStringLiteral("cmdNo"));
    // Enter alone does not take a run back.
    no->setDefault(true);
    no->setFocus(Qt::OtherFocusReason);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    layout->addLayout(buttons);
    connect(yes, &QPushButton::clicked, this, [this] {
        m_proceed = true;
        accept();
    });
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    resize(720, 440);
}
