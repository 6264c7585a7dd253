#include "diff/frmFileDiffs.h"

#include "app/AppContext.h"
#include "diff/GuiDiffGridModel.h"
#include "diff/GuiDiffPictures.h"
#include "diff/GuiDiffPrint.h"
#include "diff/LineDiffEngine.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// Courier New where the system has it, otherwise the system's fixed-width font.
QFont FixedFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

// Runs body; an unexpected failure goes to the error handler under label and the window stays as it was.
template <typename Body>
void Guarded(AppContext& ctx, const char* label, Body body)
{
    try {
        body();
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QString::fromLatin1(label));
    }
}

class BusyFlag final
{
public:
    explicit BusyFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = false; }
    Q_DISABLE_COPY_MOVE(BusyFlag)

private:
    bool& m_flag;
};

} // namespace

frmFileDiffs::frmFileDiffs(AppContext& ctx, DiffRunResult run, const LineDiffEngine& engine, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_run(std::move(run))
{
    setObjectName(QStringLiteral("frmFileDiffs"));
    setWindowTitle(QStringLiteral("View File Differences"));
    setModal(true);
    resize(1000, 700);
    BuildMenuAndToolbar();
    if (m_run.outcome == DiffRunResult::Outcome::Unix)
        BuildUnix(engine);
    else
        BuildVisual();
}

frmFileDiffs::~frmFileDiffs() = default;

QAction* frmFileDiffs::AddCommand(const QString& name, const QString& caption, const QString& tip, int picture,
                                  const QKeySequence& key, void (frmFileDiffs::*slot)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setToolTip(tip);
    if (picture >= 0)
        action->setIcon(DiffPictureIcon(static_cast<DiffPicture>(picture)));
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, [this, slot] {
        if (!m_busy)
            (this->*slot)();
    });
    m_actions.insert(name, action);
    return action;
}

void frmFileDiffs::BuildMenuAndToolbar()
{
    auto* bar = new QMenuBar(this);
    m_mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    m_mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setIconSize(QSize(20, 20));

    struct Line
    {
        const char* name;
        const char* caption;
        const char* tip;
        DiffPicture picture;
        QKeySequence key;
        void (frmFileDiffs::*slot)();
        bool separatorAfter;
    };
    const Line lines[] = {
        {"mnuOptionsShowPreviousDiff", "Show &Previous Difference", "Previous Difference (Shift+F7)",
         DiffPicture::PreviousDiff, QKeySequence(Qt::SHIFT | Qt::Key_F7), &frmFileDiffs::ShowPreviousDiff, false},
        {"mnuOptionsShowNextDiff", "Show &Next Difference", "Next Difference (F7)", DiffPicture::NextDiff,
         QKeySequence(Qt::Key_F7), &frmFileDiffs::ShowNextDiff, true},
        {"mnuOptionsFind", "&Find...", "Find (Ctrl+F)", DiffPicture::Find, QKeySequence(Qt::CTRL | Qt::Key_F),
         &frmFileDiffs::FindCommand, false},
        {"mnuOptionsFindNext", "Find Next", "Find Next (F3)", DiffPicture::FindNext, QKeySequence(Qt::Key_F3),
         &frmFileDiffs::FindNext, false},
        {"mnuOptionsFindPrevious", "Find Previous", "Find Previous (Shift+F3)", DiffPicture::FindPrevious,
         QKeySequence(Qt::SHIFT | Qt::Key_F3), &frmFileDiffs::FindPrevious, true},
        {"mnuOptionsToggleBookmark", "Toggle Bookmark", "Toggle Bookmark (Ctrl+F2)", DiffPicture::ToggleBookmark,
         QKeySequence(Qt::CTRL | Qt::Key_F2), &frmFileDiffs::ToggleBookmark, false},
        {"mnuOptionsNextBookmark", "Next Bookmark", "Next Bookmark (F2)", DiffPicture::NextBookmark,
         QKeySequence(Qt::Key_F2), &frmFileDiffs::ShowNextBookmark, false},
        {"mnuOptionsPreviousBookmark", "Previous Bookmark", "Previous Bookmark (Shift+F2)",
         DiffPicture::PreviousBookmark, QKeySequence(Qt::SHIFT | Qt::Key_F2), &frmFileDiffs::ShowPreviousBookmark, false},
        {"mnuOptionsClearAllBookmarks", "Clear All Bookmarks", "Clear All Bookmarks", DiffPicture::ClearAllBookmarks,
         QKeySequence(), &frmFileDiffs::ClearAllBookmarks, true},
        {"mnuOptionsPrint", "Print...", "Print the differences", DiffPicture::Print, QKeySequence(Qt::CTRL | Qt::Key_P),
         &frmFileDiffs::PrintDifferences, false},
    };
    for (const Line& l : lines) {
        QAction* a = AddCommand(QString::fromLatin1(l.name), QString::fromLatin1(l.caption), QString::fromLatin1(l.tip),
                                static_cast<int>(l.picture), l.key, l.slot);
        m_mnuOptions->addAction(a);
        m_toolbar->addAction(a);
        if (l.separatorAfter)
            m_toolbar->addSeparator();
    }
    auto* exit = new QAction(QStringLiteral("Close This Window"), this);
    exit->setObjectName(QStringLiteral("mnuOptionsExit"));
    exit->setToolTip(QStringLiteral("Close this window"));
    exit->setIcon(DiffPictureIcon(DiffPicture::Exit));
    connect(exit, &QAction::triggered, this, &QDialog::close);
    m_actions.insert(exit->objectName(), exit);
    m_mnuOptions->addSeparator();
    m_mnuOptions->addAction(exit);
    m_toolbar->addAction(exit);

    m_chkTooltip = new QCheckBox(QStringLiteral("Pane Tooltips"), this);
    m_chkTooltip->setObjectName(QStringLiteral("chkTooltip"));
    auto* spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_toolbar->addWidget(m_chkTooltip);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setMenuBar(bar);
    layout->addWidget(m_toolbar);
    UpdateBookmarkCommands();
    UpdateFindCommands(false);
}

void frmFileDiffs::BuildUnix(const LineDiffEngine& engine)
{
    m_rtfUnixDiffs = new QPlainTextEdit(this);
    m_rtfUnixDiffs->setObjectName(QStringLiteral("rtfUnixDiffs"));
    m_rtfUnixDiffs->setReadOnly(true);
    m_rtfUnixDiffs->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_rtfUnixDiffs->setFont(FixedFont());
    QStringList lines;
    lines.reserve(engine.LineCount());
    for (int32_t i = 0; i < engine.LineCount(); ++i)
        lines << engine.Line(i);
    m_rtfUnixDiffs->setPlainText(lines.join(QLatin1Char('\n')));
    static_cast<QVBoxLayout*>(layout())->addWidget(m_rtfUnixDiffs, 1);
    // Without the grids there is nothing to step through.
    m_toolbar->hide();
    m_chkTooltip->hide();
    m_mnuOptions->menuAction()->setVisible(false);
    for (QAction* a : std::as_const(m_actions)) {
        if (a->objectName() != QLatin1String("mnuOptionsExit"))
            a->setEnabled(false);
    }
}

void frmFileDiffs::BuildVisual()
{
    const QFont font = FixedFont();
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_leftModel = new GuiDiffGridModel(m_nav, DiffNavigator::Side::Left, this);
    m_rightModel = new GuiDiffGridModel(m_nav, DiffNavigator::Side::Right, this);
    m_leftModel->SetMarkers([this](int32_t row) {
        const int marker = MarkerOf(row);
        return marker < 0 ? QIcon() : DiffPictureIcon(static_cast<DiffPicture>(marker));
    });
    for (const bool left : {true, false}) {
        auto* grid = new QTableView(m_splitter);
        grid->setObjectName(left ? QStringLiteral("grdFileOne") : QStringLiteral("grdFileTwo"));
        grid->setModel(left ? static_cast<QAbstractItemModel*>(m_leftModel) : m_rightModel);
        grid->setFont(font);
        grid->setShowGrid(false);
        grid->setWordWrap(false);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
        grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setIconSize(QSize(14, 14));
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        grid->viewport()->installEventFilter(this);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint& pos) { m_mnuOptions->exec(grid->viewport()->mapToGlobal(pos)); });
        connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, grid](const QModelIndex& current) { OnCurrentChanged(grid, current.row()); });
        connect(grid, &QAbstractItemView::doubleClicked, this, [this] {
            if (!m_busy)
                ToggleBookmark();
        });
        (left ? m_grdFileOne : m_grdFileTwo) = grid;
    }
    // The panes always show the same rows.
    for (const auto& [from, to] : {std::pair{m_grdFileOne, m_grdFileTwo}, std::pair{m_grdFileTwo, m_grdFileOne}}) {
        QTableView* target = to;
        connect(from->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [target](int value) { target->verticalScrollBar()->setValue(value); });
    }
    connect(m_chkTooltip, &QCheckBox::toggled, this, [this](bool on) {
        m_leftModel->SetTooltips(on);
        m_rightModel->SetTooltips(on);
    });
    m_chkTooltip->setEnabled(true);

    auto* details = new QWidget(this);
    auto* detailLayout = new QVBoxLayout(details);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(2);
    for (int i = 0; i < 2; ++i) {
        auto* box = new QTextEdit(details);
        box->setObjectName(QStringLiteral("rtfLineDiff%1").arg(i));
        box->setReadOnly(true);
        box->setFont(font);
        box->setLineWrapMode(QTextEdit::NoWrap);
        box->setFixedHeight(QFontMetrics(font).height() * 2 + 10);
        box->setPlainText(InitialDetailText());
        detailLayout->addWidget(box);
        m_rtfLineDiff[i] = box;
    }
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->addWidget(m_splitter, 1);
    layout->addWidget(details);

    if (m_nav.RowCount() > 1) {
        m_syncing = true;
        for (QTableView* grid : {m_grdFileOne, m_grdFileTwo})
            grid->setCurrentIndex(grid->model()->index(0, 0));
        m_syncing = false;
        MarkCurrentRow();
    }
}

int32_t frmFileDiffs::CurrentRow() const
{
    if (m_grdFileOne == nullptr || !m_grdFileOne->currentIndex().isValid())
        return 0;
    return GuiDiffGridModel::AlignedRow(m_grdFileOne->currentIndex().row());
}

int32_t frmFileDiffs::TopRow() const
{
    return m_grdFileOne == nullptr ? 0 : GuiDiffGridModel::AlignedRow(m_grdFileOne->rowAt(0));
}

int frmFileDiffs::MarkerOf(int32_t row) const
{
    const bool bookmarked = m_nav.IsRowBookmarked(row);
    if (row != 0 && row == m_markedRow) {
        if (bookmarked)
            return static_cast<int>(DiffPicture::BookmarkArrow);
        switch (m_nav.Colour(DiffNavigator::Side::Left, row)) {
        case RowColour::Addition:
            return static_cast<int>(DiffPicture::OrphanArrow);
        case RowColour::Change:
            return static_cast<int>(DiffPicture::DifferArrow);
        case RowColour::Default:
            break;
        }
        return static_cast<int>(DiffPicture::Arrow);
    }
    return bookmarked ? static_cast<int>(DiffPicture::Bookmark) : -1;
}

void frmFileDiffs::OnCurrentChanged(QTableView* grid, int modelRow)
{
    if (m_syncing || modelRow < 0)
        return;
    m_syncing = true;
    QTableView* other = grid == m_grdFileOne ? m_grdFileTwo : m_grdFileOne;
    other->setCurrentIndex(other->model()->index(modelRow, 0));
    m_syncing = false;
    MarkCurrentRow();
    ShowRowPairDetail();
}

void frmFileDiffs::SelectRow(int32_t row)
{
    if (m_grdFileOne == nullptr || row < 1 || row >= m_nav.RowCount())
        return;
    m_syncing = true;
    for (QTableView* grid : {m_grdFileOne, m_grdFileTwo})
        grid->setCurrentIndex(grid->model()->index(GuiDiffGridModel::ModelRow(row), 0));
    m_syncing = false;
    MarkCurrentRow();
    ShowRowPairDetail();
}

void frmFileDiffs::GoToRow(int32_t row)
{
    const QModelIndex index = m_leftModel->index(GuiDiffGridModel::ModelRow(row), 0);
    const QRect shown = m_grdFileOne->visualRect(index);
    if (!shown.isValid() || !m_grdFileOne->viewport()->rect().contains(shown))
        m_grdFileOne->scrollTo(index, QAbstractItemView::PositionAtTop);
    SelectRow(row);
}

void frmFileDiffs::MarkCurrentRow()
{
    const int32_t before = m_markedRow;
    m_markedRow = CurrentRow();
    if (before != 0)
        m_leftModel->MarkerChanged(before);
    m_leftModel->MarkerChanged(m_markedRow);
}

void frmFileDiffs::ShowRowPairDetail()
{
    const int32_t row = CurrentRow();
    const QString left = m_nav.LineText(DiffNavigator::Side::Left, row);
    const QString right = m_nav.LineText(DiffNavigator::Side::Right, row);
    const bool unchanged = m_nav.Colour(DiffNavigator::Side::Left, row) == RowColour::Default
                           && m_nav.Colour(DiffNavigator::Side::Right, row) == RowColour::Default;
    if (left.isEmpty() || right.isEmpty() || unchanged)
        Guarded(m_ctx, "frmFileDiffs.DisplaySelectedLinesInRTF", [&] { DisplaySelectedLinesInRTF(left, right); });
    else
        Guarded(m_ctx, "frmFileDiffs.DisplaySelectedLinesDiffsInRTF", [&] { DisplaySelectedLinesDiffsInRTF(left, right); });
}

void frmFileDiffs::DisplaySelectedLinesInRTF(const QString& left, const QString& right)
{
    const QString texts[2] = {left, right};
    for (int i = 0; i < 2; ++i) {
        QTextEdit* box = m_rtfLineDiff[i];
        box->clear();
        QTextCharFormat format;
        format.setForeground(!texts[i].isEmpty() && texts[1 - i].isEmpty() ? QColor(255, 0, 0) : QColor(Qt::black));
        QTextCursor cursor(box->document());
        cursor.insertText(texts[i], format);
    }
}

void frmFileDiffs::DisplaySelectedLinesDiffsInRTF(const QString& left, const QString& right)
{
    const LinePairMarks marks = MarkLineDifferences(left, right, m_ctx.Lib());
    const QString texts[2] = {left, right};
    const std::vector<CharMark>* sideMarks[2] = {&marks.left, &marks.right};
    for (int i = 0; i < 2; ++i) {
        QTextEdit* box = m_rtfLineDiff[i];
        box->setUpdatesEnabled(false);
        box->clear();
        QTextCharFormat plain;
        plain.setForeground(QColor(Qt::black));
        QTextCursor cursor(box->document());
        cursor.insertText(texts[i], plain);
        for (const CharMark& mark : *sideMarks[i]) {
            QTextCharFormat red;
            red.setForeground(QColor(255, 0, 0));
            red.setFontUnderline(mark.underline);
            cursor.setPosition(mark.start);
            cursor.setPosition(mark.start + mark.length, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(red);
        }
        box->setUpdatesEnabled(true);
    }
}

void frmFileDiffs::Navigate(int32_t row, const QString& noneText, const QString& title)
{
    if (row == -1) {
        m_ctx.Dialogs().Message(noneText, title, UserDialogs::Icon::Information);
        return;
    }
    GoToRow(row);
}

void frmFileDiffs::ShowNextDiff()
{
    Guarded(m_ctx, "frmFileDiffs.GetNextDiff", [this] {
        Navigate(m_nav.NextDiff(CurrentRow()), QStringLiteral("No more differences"), QStringLiteral("Next Difference"));
    });
}

void frmFileDiffs::ShowPreviousDiff()
{
    Guarded(m_ctx, "frmFileDiffs.GetPreviousDiff", [this] {
        Navigate(m_nav.PreviousDiff(CurrentRow()), QStringLiteral("No more differences"),
                 QStringLiteral("Previous Difference"));
    });
}

void frmFileDiffs::ShowNextBookmark()
{
    Guarded(m_ctx, "frmFileDiffs.GetNextBookmark", [this] {
        Navigate(m_nav.NextBookmark(CurrentRow()), QStringLiteral("No more bookmarks"), QStringLiteral("Next Bookmark"));
    });
}

void frmFileDiffs::ShowPreviousBookmark()
{
    Guarded(m_ctx, "frmFileDiffs.GetPreviousBookmark", [this] {
        Navigate(m_nav.PreviousBookmark(CurrentRow()), QStringLiteral("No more bookmarks"),
                 QStringLiteral("Previous Bookmark"));
    });
}

bool frmFileDiffs::FindAndGo(const QString& text, DiffNavigator::Direction direction)
{
    const int32_t row = [&] {
        BusyFlag busy(m_busy);
        BusyPointer pointer(m_ctx.Dialogs());
        return m_nav.Find(text, direction, CurrentRow());
    }();
    if (row < 0)
        return false;
    GoToRow(row);
    return true;
}

void frmFileDiffs::FindCommand()
{
    Guarded(m_ctx, "frmFileDiffs.Find", [this] {
        const QString current = m_searchHistory.isEmpty() ? QString() : m_searchHistory.last();
        const std::optional<QString> answer = m_ctx.Dialogs().InputBox(
            QStringLiteral("Enter search text.") + CrLf + CrLf + QStringLiteral("Press OK to begin searching from the current line."),
            QStringLiteral("Find"), current);
        if (!answer || answer->isEmpty())
            return;
        const bool found = FindAndGo(*answer, DiffNavigator::Direction::Both);
        if (found) {
            m_searchHistory << *answer;
        } else {
            m_ctx.Dialogs().Message(CurrentRow() == 1 ? QStringLiteral("Search text was not found.")
                                                      : QStringLiteral("Search text was not found.  Try searching from the beginning of the file."),
                                    QStringLiteral("Find"), UserDialogs::Icon::Information);
        }
        UpdateFindCommands(found);
    });
}

void frmFileDiffs::FindNext()
{
    Guarded(m_ctx, "frmFileDiffs.Find", [this] {
        if (m_searchHistory.isEmpty())
            return;
        if (!FindAndGo(m_searchHistory.last(), DiffNavigator::Direction::Next))
            m_ctx.Dialogs().Message(QStringLiteral("Search text not found"), QStringLiteral("Find"), UserDialogs::Icon::Information);
    });
}

void frmFileDiffs::FindPrevious()
{
    Guarded(m_ctx, "frmFileDiffs.Find", [this] {
        if (m_searchHistory.isEmpty())
            return;
        if (!FindAndGo(m_searchHistory.last(), DiffNavigator::Direction::Previous))
            m_ctx.Dialogs().Message(QStringLiteral("Search text not found"), QStringLiteral("Find"), UserDialogs::Icon::Information);
    });
}

void frmFileDiffs::ToggleBookmark()
{
    Guarded(m_ctx, "frmFileDiffs.ToggleBookmark", [this] {
        const int32_t row = CurrentRow();
        if (row < 1)
            return;
        m_nav.ToggleBookmark(row);
        MarkCurrentRow();
        UpdateBookmarkCommands();
    });
}

void frmFileDiffs::ClearAllBookmarks()
{
    Guarded(m_ctx, "frmFileDiffs.ClearAllBookmarks", [this] {
        const std::vector<int32_t> rows = m_nav.Bookmarks();
        m_nav.ClearAllBookmarks();
        for (const int32_t row : rows)
            m_leftModel->MarkerChanged(row);
        UpdateBookmarkCommands();
    });
}

void frmFileDiffs::PrintDifferences()
{
    Guarded(m_ctx, "frmFileDiffs.Print", [this] { PrintFileDifferences(m_nav, m_ctx.Dialogs(), this); });
}

void frmFileDiffs::UpdateBookmarkCommands()
{
    const bool any = !m_nav.Bookmarks().empty();
    for (const char* name : {"mnuOptionsNextBookmark", "mnuOptionsPreviousBookmark", "mnuOptionsClearAllBookmarks"})
        m_actions.value(QString::fromLatin1(name))->setEnabled(any);
}

void frmFileDiffs::UpdateFindCommands(bool found)
{
    for (const char* name : {"mnuOptionsFindNext", "mnuOptionsFindPrevious"})
        m_actions.value(QString::fromLatin1(name))->setEnabled(found);
}

bool frmFileDiffs::eventFilter(QObject* watched, QEvent* event)
{
    // While the busy pointer shows, clicks in the grids are ignored.
    if (m_busy && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        return true;
    return QDialog::eventFilter(watched, event);
}
