#include "diff/frmFileDiffs.h"

#include "app/AppContext.h"
#include "app/frmHelp.h"
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
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QStyle>
#include <QVBoxLayout>
#include <cerrno>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString WindowTitle = QStringLiteral("View File Differences");

// Red for the differing characters; lighter on a dark base, where pure red is hard to read.
QColor MarkColour(const QPalette& palette)
{
    return palette.color(QPalette::Base).lightnessF() < 0.5 ? QColor(255, 110, 110) : QColor(255, 0, 0);
}

DiffSide Other(DiffSide side) { return side == DiffSide::Left ? DiffSide::Right : DiffSide::Left; }
QString SideName(DiffSide side) { return side == DiffSide::Left ? QStringLiteral("left") : QStringLiteral("right"); }

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
    : QDialog(parent), m_ctx(ctx), m_run(std::move(run)), m_merge(m_run, engine)
{
    setObjectName(QStringLiteral("frmFileDiffs"));
    setWindowTitle(WindowTitle);
    setModal(true);
    resize(1000, 700);
    BuildMenuAndToolbar();
    if (m_run.outcome == DiffRunResult::Outcome::Unix)
        BuildUnix(engine);
    else
        BuildVisual();
}

frmFileDiffs::~frmFileDiffs() = default;

QAction* frmFileDiffs::AddCommand(const QString& name, const QString& caption, const QString& tip, const QIcon& icon,
                                  const QKeySequence& key, void (frmFileDiffs::*slot)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setToolTip(tip);
    action->setIcon(icon);
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
        {"mnuOptionsFirstRow", "F&irst Line", "First Line (Ctrl+Home)", DiffPicture(-1),
         QKeySequence(Qt::CTRL | Qt::Key_Home), &frmFileDiffs::GoToFirstRow, false},
        {"mnuOptionsLastRow", "&Last Line", "Last Line (Ctrl+End)", DiffPicture(-1),
         QKeySequence(Qt::CTRL | Qt::Key_End), &frmFileDiffs::GoToLastRow, true},
        {"mnuOptionsFind", "&Find...", "Find (Ctrl+F)", DiffPicture::Find, QKeySequence(Qt::CTRL | Qt::Key_F),
         &frmFileDiffs::FindCommand, false},
        {"mnuOptionsFindNext", "Find Next", "Find Next (F3)", DiffPicture::FindNext, QKeySequence(Qt::Key_F3),
         &frmFileDiffs::FindNext, false},
        {"mnuOptionsFindPrevious", "Find Previous", "Find Previous (Shift+F3)", DiffPicture::FindPrevious,
         QKeySequence(Qt::SHIFT | Qt::Key_F3), &frmFileDiffs::FindPrevious, true},
        {"mnuOptionsToggleBookmark", "Toggle Bookmark", "Toggle Bookmark (Ctrl+F2)", DiffPicture::ToggleBookmark,
         QKeySequence(Qt::CTRL | Qt::Key_F2), &frmFileDiffs::ToggleBookmark, false},
        // F2 edits a line, as everywhere on the desktop; Next Bookmark sits beside Previous Bookmark.
        {"mnuOptionsNextBookmark", "Next Bookmark", "Next Bookmark (Ctrl+Shift+F2)", DiffPicture::NextBookmark,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F2), &frmFileDiffs::ShowNextBookmark, false},
        {"mnuOptionsPreviousBookmark", "Previous Bookmark", "Previous Bookmark (Shift+F2)",
         DiffPicture::PreviousBookmark, QKeySequence(Qt::SHIFT | Qt::Key_F2), &frmFileDiffs::ShowPreviousBookmark, false},
        {"mnuOptionsClearAllBookmarks", "Clear All Bookmarks", "Clear All Bookmarks", DiffPicture::ClearAllBookmarks,
         QKeySequence(), &frmFileDiffs::ClearAllBookmarks, true},
        {"mnuOptionsPrint", "Print...", "Print the differences", DiffPicture::Print, QKeySequence(Qt::CTRL | Qt::Key_P),
         &frmFileDiffs::PrintDifferences, false},
    };
    for (const Line& l : lines) {
        const bool pictured = static_cast<int>(l.picture) >= 0;
        QAction* a = AddCommand(QString::fromLatin1(l.name), QString::fromLatin1(l.caption), QString::fromLatin1(l.tip),
                                pictured ? DiffPictureIcon(l.picture) : QIcon(), l.key, l.slot);
        m_mnuOptions->addAction(a);
        // Lines without a picture are keys for the menu, not buttons.
        if (pictured)
            m_toolbar->addAction(a);
        if (l.separatorAfter) {
            if (pictured)
                m_toolbar->addSeparator();
            else
                m_mnuOptions->addSeparator();
        }
    }
    m_mnuOptions->addSeparator();
    m_mnuOptions->addAction(AddCommand(QStringLiteral("mnuOptionsHelp"), QStringLiteral("&Help"),
                                       QStringLiteral("Help on this window (F1)"), QIcon(), QKeySequence(Qt::Key_F1),
                                       &frmFileDiffs::ShowHelpTopic));
    BuildMergeMenu(bar);
    auto* exit = new QAction(QStringLiteral("Close This Window"), this);
    exit->setObjectName(QStringLiteral("mnuOptionsExit"));
    exit->setToolTip(QStringLiteral("Close this window"));
    exit->setIcon(DiffPictureIcon(DiffPicture::Exit));
    connect(exit, &QAction::triggered, this, &QDialog::close);
    m_actions.insert(exit->objectName(), exit);
    m_mnuOptions->addSeparator();
    m_mnuOptions->addAction(exit);
    m_toolbar->addSeparator();
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
    UpdateMergeCommands();
}

void frmFileDiffs::BuildMergeMenu(QMenuBar* bar)
{
    m_mnuMerge = bar->addMenu(QStringLiteral("&Merge"));
    m_mnuMerge->setObjectName(QStringLiteral("mnuMerge"));
    QStyle* look = style();
    struct Line
    {
        const char* name;
        const char* caption;
        const char* tip;
        QIcon icon;
        QKeySequence key;
        void (frmFileDiffs::*slot)();
        bool onToolbar;
        bool separatorAfter;
    };
    const Line lines[] = {
        {"mnuMergeCopyBlockToLeft", "Copy Block to &Left", "Copy the current difference block to the left file (Alt+Left)",
         look->standardIcon(QStyle::SP_ArrowLeft), QKeySequence(Qt::ALT | Qt::Key_Left), &frmFileDiffs::CopyBlockToLeft,
         true, false},
        {"mnuMergeCopyBlockToRight", "Copy Block to &Right",
         "Copy the current difference block to the right file (Alt+Right)", look->standardIcon(QStyle::SP_ArrowRight),
         QKeySequence(Qt::ALT | Qt::Key_Right), &frmFileDiffs::CopyBlockToRight, true, false},
        {"mnuMergeEditLine", "&Edit Line", "Edit the current line of the side with the focus (F2, or double-click)",
         QIcon(), QKeySequence(Qt::Key_F2), &frmFileDiffs::EditCurrentLine, false, true},
        {"mnuMergeUndo", "&Undo", "Undo (Ctrl+Z)", QIcon::fromTheme(QStringLiteral("edit-undo"), look->standardIcon(QStyle::SP_ArrowBack)),
         QKeySequence(Qt::CTRL | Qt::Key_Z), &frmFileDiffs::Undo, true, false},
        {"mnuMergeRedo", "&Redo", "Redo (Ctrl+Y)", QIcon::fromTheme(QStringLiteral("edit-redo"), look->standardIcon(QStyle::SP_ArrowForward)),
         QKeySequence(Qt::CTRL | Qt::Key_Y), &frmFileDiffs::Redo, true, true},
        {"mnuMergeSave", "&Save", "Save the file of the side with the focus (Ctrl+S)",
         look->standardIcon(QStyle::SP_DialogSaveButton), QKeySequence(Qt::CTRL | Qt::Key_S), &frmFileDiffs::SaveFocused,
         true, false},
        {"mnuMergeSaveLeft", "Save Le&ft File", "Save the left file", QIcon(), QKeySequence(),
         nullptr, false, false},
        {"mnuMergeSaveRight", "Save Ri&ght File", "Save the right file", QIcon(), QKeySequence(), nullptr, false, false},
    };
    m_toolbar->addSeparator();
    for (const Line& l : lines) {
        const QString name = QString::fromLatin1(l.name);
        QAction* a = nullptr;
        if (l.slot != nullptr) {
            a = AddCommand(name, QString::fromLatin1(l.caption), QString::fromLatin1(l.tip), l.icon, l.key, l.slot);
        } else {
            a = new QAction(QString::fromLatin1(l.caption), this);
            a->setObjectName(name);
            a->setToolTip(QString::fromLatin1(l.tip));
            const DiffSide side = name.endsWith(QLatin1String("Left")) ? DiffSide::Left : DiffSide::Right;
            connect(a, &QAction::triggered, this, [this, side] {
                if (!m_busy)
                    Save(side);
            });
            m_actions.insert(name, a);
        }
        m_mnuMerge->addAction(a);
        if (l.onToolbar)
            m_toolbar->addAction(a);
        if (l.separatorAfter)
            m_mnuMerge->addSeparator();
    }
    // Redo answers the other usual key too.
    m_actions.value(QStringLiteral("mnuMergeRedo"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
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
    m_mnuMerge->menuAction()->setVisible(false);
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
    for (GuiDiffGridModel* model : {m_leftModel, m_rightModel}) {
        const DiffSide side = model == m_leftModel ? DiffSide::Left : DiffSide::Right;
        // The editor commits inside the model's setData: the rows are changed once it has closed.
        model->SetEditor([this, side](int32_t row, const QString& text) {
            QMetaObject::invokeMethod(this, [this, side, row, text] { EditLine(side, row, text); }, Qt::QueuedConnection);
        });
    }
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
        grid->horizontalHeader()->setSectionResizeMode(GuiDiffGridModel::Number, QHeaderView::Fixed);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setIconSize(QSize(14, 14));
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        grid->installEventFilter(this);
        grid->viewport()->installEventFilter(this);
        const DiffSide side = left ? DiffSide::Left : DiffSide::Right;
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid, side](const QPoint& pos) {
            m_focusSide = side;
            QMenu menu(this);
            menu.addActions(m_mnuMerge->actions());
            menu.addSeparator();
            menu.addActions(m_mnuOptions->actions());
            menu.exec(grid->viewport()->mapToGlobal(pos));
        });
        connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, grid](const QModelIndex& current) { OnCurrentChanged(grid, current.row()); });
        // On the number (and its marker) a double-click toggles the bookmark; on the text it edits the line.
        connect(grid, &QAbstractItemView::doubleClicked, this, [this, side](const QModelIndex& index) {
            if (m_busy)
                return;
            if (index.column() == GuiDiffGridModel::Number) {
                ToggleBookmark();
            } else {
                m_focusSide = side;
                EditCurrentLine();
            }
        });
        (left ? m_grdFileOne : m_grdFileTwo) = grid;
    }
    ApplyPalette();
    SizeNumberColumns();
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
    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->addWidget(m_splitter, 1);
    layout->addWidget(details);
    layout->addWidget(m_lblStatus);

    if (m_nav.RowCount() > 1) {
        m_syncing = true;
        for (QTableView* grid : {m_grdFileOne, m_grdFileTwo})
            grid->setCurrentIndex(grid->model()->index(0, 0));
        m_syncing = false;
        MarkCurrentRow();
    }
    UpdateMergeCommands();
}

void frmFileDiffs::ApplyPalette()
{
    if (m_leftModel == nullptr)
        return;
    m_leftModel->SetPalette(palette());
    m_rightModel->SetPalette(palette());
}

void frmFileDiffs::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ApplyPalette();
}

void frmFileDiffs::SizeNumberColumns()
{
    if (m_grdFileOne == nullptr)
        return;
    for (const DiffSide side : {DiffSide::Left, DiffSide::Right}) {
        QTableView* grid = Grid(side);
        const int32_t lines = std::max<int32_t>(m_merge.Buffer(side).LineCount(), 9);
        const int digits = int(QString::number(lines).size());
        int width = grid->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('9'))) + 12;
        // The left numbers share their cell with the row marker.
        if (side == DiffSide::Left)
            width += grid->iconSize().width() + 6;
        grid->horizontalHeader()->resizeSection(GuiDiffGridModel::Number, width);
    }
}

void frmFileDiffs::SetStatus(const QString& text)
{
    if (m_lblStatus != nullptr)
        m_lblStatus->setText(text);
}

QString frmFileDiffs::StatusText() const { return m_lblStatus == nullptr ? QString() : m_lblStatus->text(); }

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
    m_focusSide = grid == m_grdFileOne ? DiffSide::Left : DiffSide::Right;
    m_syncing = true;
    QTableView* other = grid == m_grdFileOne ? m_grdFileTwo : m_grdFileOne;
    other->setCurrentIndex(other->model()->index(modelRow, 0));
    m_syncing = false;
    MarkCurrentRow();
    ShowRowPairDetail();
    UpdateMergeCommands();
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
    UpdateMergeCommands();
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
        format.setForeground(!texts[i].isEmpty() && texts[1 - i].isEmpty() ? MarkColour(palette()) : palette().color(QPalette::Text));
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
        plain.setForeground(palette().color(QPalette::Text));
        QTextCursor cursor(box->document());
        cursor.insertText(texts[i], plain);
        for (const CharMark& mark : *sideMarks[i]) {
            QTextCharFormat red;
            red.setForeground(MarkColour(palette()));
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
    const DiffNavigator::Hit hit = [&] {
        BusyFlag busy(m_busy);
        BusyPointer pointer(m_ctx.Dialogs());
        return m_nav.Find(text, direction, CurrentRow());
    }();
    if (hit.row < 0) {
        SetStatus(QString());
        return false;
    }
    GoToRow(hit.row);
    if (!hit.wrapped)
        SetStatus(QString());
    else if (direction == DiffNavigator::Direction::Previous)
        SetStatus(QStringLiteral("Find passed the first line and went on from the last."));
    else
        SetStatus(QStringLiteral("Find passed the last line and went on from the first."));
    return true;
}

void frmFileDiffs::FindCommand()
{
    Guarded(m_ctx, "frmFileDiffs.Find", [this] {
        const QString current = m_searchHistory.isEmpty() ? QString() : m_searchHistory.last();
        const std::optional<QString> answer = m_ctx.Dialogs().InputBox(
            QStringLiteral("Enter search text.") + CrLf + CrLf
                + QStringLiteral("Press OK to search from the line after the current one; past the last line the search goes on from the first."),
            QStringLiteral("Find"), current);
        if (!answer || answer->isEmpty())
            return;
        const bool found = FindAndGo(*answer, DiffNavigator::Direction::Both);
        if (found)
            m_searchHistory << *answer;
        else
            m_ctx.Dialogs().Message(QStringLiteral("Search text was not found."), QStringLiteral("Find"), UserDialogs::Icon::Information);
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

void frmFileDiffs::GoToFirstRow()
{
    if (m_grdFileOne != nullptr && m_nav.RowCount() > 1)
        GoToRow(1);
}

void frmFileDiffs::GoToLastRow()
{
    if (m_grdFileOne != nullptr && m_nav.RowCount() > 1)
        GoToRow(m_nav.RowCount() - 1);
}

void frmFileDiffs::ShowHelpTopic()
{
    Guarded(m_ctx, "frmFileDiffs.Help", [this] { ShowHelp(m_ctx.AssetFile(HelpFileName()), this, DiffHelpTopic()); });
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
    if (event->type() == QEvent::FocusIn && m_grdFileOne != nullptr) {
        if (watched == m_grdFileOne || watched == m_grdFileTwo) {
            m_focusSide = watched == m_grdFileOne ? DiffSide::Left : DiffSide::Right;
            UpdateMergeCommands();
        }
    }
    // While the busy pointer shows, clicks in the grids are ignored.
    if (m_busy && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmFileDiffs::CopyBlockToLeft() { CopyBlock(DiffSide::Right); }
void frmFileDiffs::CopyBlockToRight() { CopyBlock(DiffSide::Left); }

void frmFileDiffs::CopyBlock(DiffSide from)
{
    Guarded(m_ctx, "frmFileDiffs.CopyBlock", [this, from] {
        if (m_grdFileOne == nullptr)
            return;
        const int32_t row = CurrentRow();
        int32_t first = 0;
        int32_t last = 0;
        if (!m_merge.BlockAt(row, first, last)) {
            SetStatus(QStringLiteral("The current line is not in a difference block."));
            return;
        }
        {
            BusyFlag busy(m_busy);
            BusyPointer pointer(m_ctx.Dialogs());
            m_merge.CopyBlock(row, from);
        }
        AfterChange(first);
        SetStatus(QStringLiteral("Copied the block to the %1 file.").arg(SideName(Other(from))));
    });
}

void frmFileDiffs::EditCurrentLine()
{
    Guarded(m_ctx, "frmFileDiffs.EditLine", [this] {
        const int32_t row = CurrentRow();
        if (m_grdFileOne == nullptr || row < 1)
            return;
        QTableView* grid = Grid(m_focusSide);
        const QModelIndex index = grid->model()->index(GuiDiffGridModel::ModelRow(row), GuiDiffGridModel::Text);
        grid->setFocus();
        grid->scrollTo(index);
        grid->edit(index);
    });
}

void frmFileDiffs::EditLine(DiffSide side, int32_t row, const QString& text)
{
    Guarded(m_ctx, "frmFileDiffs.EditLine", [&] {
        DiffMerge::EditResult result = DiffMerge::EditResult::Unchanged;
        {
            BusyFlag busy(m_busy);
            BusyPointer pointer(m_ctx.Dialogs());
            result = m_merge.EditLine(side, row, text);
        }
        switch (result) {
        case DiffMerge::EditResult::Changed:
            AfterChange(row);
            SetStatus(QStringLiteral("Changed a line of the %1 file.").arg(SideName(side)));
            break;
        case DiffMerge::EditResult::NotEncodable:
            m_ctx.Dialogs().Message(QStringLiteral("The line holds characters that this file's encoding (Latin-1) cannot keep.")
                                        + CrLf + CrLf + QStringLiteral("The line was not changed."),
                                    QStringLiteral("Edit Line"), UserDialogs::Icon::Warning);
            break;
        case DiffMerge::EditResult::Unchanged:
            break;
        }
    });
}

void frmFileDiffs::Undo()
{
    Guarded(m_ctx, "frmFileDiffs.Undo", [this] {
        std::optional<DiffSide> side;
        {
            BusyFlag busy(m_busy);
            BusyPointer pointer(m_ctx.Dialogs());
            side = m_merge.Undo();
        }
        if (!side)
            return;
        AfterChange(CurrentRow());
        SetStatus(QStringLiteral("Undid a change of the %1 file.").arg(SideName(*side)));
    });
}

void frmFileDiffs::Redo()
{
    Guarded(m_ctx, "frmFileDiffs.Redo", [this] {
        std::optional<DiffSide> side;
        {
            BusyFlag busy(m_busy);
            BusyPointer pointer(m_ctx.Dialogs());
            side = m_merge.Redo();
        }
        if (!side)
            return;
        AfterChange(CurrentRow());
        SetStatus(QStringLiteral("Redid a change of the %1 file.").arg(SideName(*side)));
    });
}

void frmFileDiffs::AfterChange(int32_t row)
{
    const int32_t top = TopRow();
    m_nav.RowsChanged();
    m_markedRow = 0;
    m_syncing = true;
    m_leftModel->RowsReset();
    m_rightModel->RowsReset();
    m_syncing = false;
    SizeNumberColumns();
    const int32_t last = m_nav.RowCount() - 1;
    if (last >= 1) {
        m_grdFileOne->scrollTo(m_leftModel->index(GuiDiffGridModel::ModelRow(std::clamp(top, 1, last)), 0),
                               QAbstractItemView::PositionAtTop);
        SelectRow(std::clamp(row, 1, last));
    }
    UpdateBookmarkCommands();
    UpdateMergeCommands();
    UpdateCaption();
    Q_EMIT MergeChanged();
    if (!m_merge.AlignProblem().isEmpty())
        m_ctx.Dialogs().Message(QStringLiteral("The two sides could not be aligned again; they are shown line by line.") + CrLf
                                    + CrLf + m_merge.AlignProblem(),
                                WindowTitle, UserDialogs::Icon::Warning);
}

bool frmFileDiffs::Save(DiffSide side)
{
    bool saved = false;
    Guarded(m_ctx, "frmFileDiffs.Save", [&] {
        if (m_grdFileOne == nullptr)
            return;
        const QString title = QStringLiteral("Save");
        const QString path = m_merge.Buffer(side).Path();
        FileOps::Result result = [&] {
            BusyPointer pointer(m_ctx.Dialogs());
            return m_merge.SaveSide(side, false);
        }();
        if (result.error == ESTALE) {
            const UserDialogs::Answer answer = m_ctx.Dialogs().Message(
                path + QStringLiteral(" changed on disk since it was loaded. Replace it?"), title,
                UserDialogs::Icon::Question, UserDialogs::Buttons::YesNo, 1);
            if (answer != UserDialogs::Answer::Yes) {
                SetStatus(QStringLiteral("The %1 file was not saved.").arg(SideName(side)));
                return;
            }
            BusyPointer pointer(m_ctx.Dialogs());
            result = m_merge.SaveSide(side, true);
        }
        if (!result.ok()) {
            m_ctx.Dialogs().Message(QStringLiteral("The file could not be saved:") + CrLf + path + CrLf + CrLf + result.errorText,
                                    title, UserDialogs::Icon::Error);
            return;
        }
        saved = true;
        m_savedAFile = true;
        SetStatus(QStringLiteral("Saved %1").arg(path));
        UpdateMergeCommands();
        UpdateCaption();
    });
    return saved;
}

void frmFileDiffs::SaveFocused() { Save(m_focusSide); }

void frmFileDiffs::UpdateMergeCommands()
{
    if (m_actions.isEmpty() || !m_actions.contains(QStringLiteral("mnuMergeUndo")))
        return;
    const bool visual = m_grdFileOne != nullptr;
    int32_t first = 0;
    int32_t last = 0;
    const bool inBlock = visual && m_merge.BlockAt(CurrentRow(), first, last);
    const auto set = [this](const char* name, bool on) { m_actions.value(QString::fromLatin1(name))->setEnabled(on); };
    set("mnuMergeCopyBlockToLeft", inBlock);
    set("mnuMergeCopyBlockToRight", inBlock);
    set("mnuMergeEditLine", visual && CurrentRow() >= 1);
    set("mnuMergeUndo", visual && m_merge.CanUndo());
    set("mnuMergeRedo", visual && m_merge.CanRedo());
    set("mnuMergeSave", visual && m_merge.IsModified(m_focusSide));
    set("mnuMergeSaveLeft", visual && m_merge.IsModified(DiffSide::Left));
    set("mnuMergeSaveRight", visual && m_merge.IsModified(DiffSide::Right));
}

void frmFileDiffs::UpdateCaption()
{
    const bool left = m_merge.IsModified(DiffSide::Left);
    const bool right = m_merge.IsModified(DiffSide::Right);
    if (left && right)
        setWindowTitle(WindowTitle + QStringLiteral(" - both files changed"));
    else if (left || right)
        setWindowTitle(WindowTitle + QStringLiteral(" - %1 file changed").arg(SideName(left ? DiffSide::Left : DiffSide::Right)));
    else
        setWindowTitle(WindowTitle);
}

void frmFileDiffs::reject()
{
    bool close = true;
    Guarded(m_ctx, "frmFileDiffs.Close", [&] {
        QStringList changed;
        for (const DiffSide side : {DiffSide::Left, DiffSide::Right}) {
            if (m_merge.IsModified(side))
                changed << m_merge.Buffer(side).Path();
        }
        if (changed.isEmpty())
            return;
        const UserDialogs::Answer answer = m_ctx.Dialogs().Message(
            QStringLiteral("The changes to these files are not saved:") + CrLf + changed.join(CrLf) + CrLf + CrLf
                + QStringLiteral("Save them before closing? (Yes: save, No: discard the changes, Cancel: keep the window open)"),
            WindowTitle, UserDialogs::Icon::Question, UserDialogs::Buttons::YesNoCancel, 0);
        if (answer == UserDialogs::Answer::Cancel) {
            close = false;
        } else if (answer == UserDialogs::Answer::Yes) {
            for (const DiffSide side : {DiffSide::Left, DiffSide::Right}) {
                if (m_merge.IsModified(side) && !Save(side))
                    close = false;
            }
        }
    });
    if (close)
        QDialog::reject();
}
