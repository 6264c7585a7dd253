#include "MainWindowFixture.h"

#include "app/frmErrorLog.h"
#include "compare/CCompare.h"
#include "platform/CIniFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QToolBar>

namespace {

// Fills the hold lists with one pair per category, a left orphan and a right orphan, then shows them.
void FillSample(frmMain& w)
{
    w.HoldSource() = {TestRow("a.txt", Category::Newer, 1000), TestRow("b.txt", Category::Same, 2000),
                      TestRow("c.txt", Category::Orphan, 3000), TestRow("", Category::None),
                      TestRow("e.bin", Category::Binary, 500), TestRow("/Docs", Category::DifferentFolder, 0),
                      TestRow("/Same", Category::IdenticalFolder, 0)};
    w.HoldTarget() = {TestRow("a.txt", Category::Older, 900), TestRow("b.txt", Category::Same, 2000),
                      TestRow("", Category::None), TestRow("d.txt", Category::Orphan, 4000),
                      TestRow("e.bin", Category::Binary, 600), TestRow("/Docs", Category::DifferentFolder, 0),
                      TestRow("/Same", Category::IdenticalFolder, 0)};
    w.ApplyViewTypes();
}

// A left click at pos of a pane's viewport, as the window system delivers it.
void Click(QWidget* viewport, const QPoint& pos)
{
    const QPointF local(pos);
    const QPointF global(viewport->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

void ShowAndSettle(QWidget& w)
{
    w.resize(900, 600);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

} // namespace

TEST_F(MainWindowTest, OpensWithItsTitleControlsAndNoResults)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Parvex v") + QStringLiteral(PARVEX_VERSION));
    for (const char* name : {"cboSourcePath", "cboTargetPath", "imgSelectSource", "imgSelectTarget", "lvwSourceDirFiles",
                             "lvwTargetDirFiles", "imgViews1", "imgViews8", "ParvexToolbar", "StatusBar1"})
        EXPECT_NE(window->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
    EXPECT_EQ(Texts(Right()), QStringList{QStringLiteral("No Comparison Results")});
    EXPECT_EQ(Child<QComboBox>("cboSourcePath")->currentText(), QStringLiteral("Press the folder icon with three dots -->"));
    EXPECT_TRUE(window->MenusEnabled());
}

TEST_F(MainWindowTest, MenuItemsCarryTheirCaptionsAndLaterCommandsWaitDisabled)
{
    const std::pair<const char*, const char*> items[] = {
        {"mnuFileCompareDirectories", "Compare &Folders"},
        {"mnuFileCompareFiles", "Compare F&iles..."},
        {"mnuFileCompareParents", "Compare the Parent Folders"},
        {"mnuFileOpenFile", "&Open Object"},
        {"mnuFileShowFileProperties", "P&roperties"},
        {"mnuFileAddToIncludeFilter", "Add Selected Objects to Include Filter"},
        {"mnuFileExit", "E&xit"},
        {"mnuViewSimilarities", "View Similiarities Only"},
        {"mnuOptionsCompareTypeThoroughCRC", "Cyclical Redundancy Check"},
        {"mnuOptionsSyncReplaceOlderCopyOrphans", "Replace Older Files and Copy Orphan Objects (bi-directional)"},
        {"mnuOptionsSyncScrolling", "Sy&nc Folder Contents Scrolling"},
        {"mnuOptionsToolbarShowCoolbar", "Show Toolbar (Large Icons)"},
        {"mnuSyncTimeStamp", "Synchronize &Date/Time of Selected File with its Counterpart"},
        {"mnuGoToFolderBothSidesRunCompare", "Go to the sub-folder and run compare -  (Both sides) "},
    };
    for (const auto& [name, caption] : items)
        EXPECT_EQ(Item(name)->text(), QString::fromLatin1(caption)) << name;
    // Commands that need a folder row wait for one.
    EXPECT_FALSE(Item("mnuCompareSubFolderToOtherFolder")->isEnabled());
    for (const char* name : {"mnuFileCompareDirectories", "mnuFileAutoSynch", "mnuViewViewAll", "mnuOptionsRestoreDefaults",
                             "mnuViewErrorLog", "mnuFileCompareFiles", "mnuFileShowFileDiffs", "mnuSelectAll",
                             "mnuViewCompareResultsSummary"})
        EXPECT_TRUE(Item(name)->isEnabled()) << name;
    // The toolbar buttons of later commands wait with them.
    EXPECT_TRUE(Item("tbrPrint")->isEnabled());
    EXPECT_TRUE(Item("tbrCompareFiles")->isEnabled());
    EXPECT_TRUE(Item("tbrSync")->isEnabled());
    EXPECT_TRUE(Item("tbrCompare")->isEnabled());
}

TEST_F(MainWindowTest, CategoryButtonsNeedAComparisonFirst)
{
    Child<QToolButton>("imgViews3")->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("These buttons require that a comparison be run first"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("View Types"));
    EXPECT_TRUE(Child<QToolButton>("imgViews3")->property("coloured").toBool());
    EXPECT_TRUE(ctx->ViewSelections().ViewIdenticalFiles);
}

TEST_F(MainWindowTest, ViewCommandsShowTheirRowsAndTotals)
{
    FillSample(*window);
    EXPECT_EQ(Texts(Left()), (Strings({"a.txt", "b.txt", "c.txt", "", "e.bin", "/Docs", "/Same"})));
    EXPECT_EQ(Panel(1), QStringLiteral("Total 6 object(s)  (6.35KB)"));
    EXPECT_EQ(Panel(2), QStringLiteral("Total 6 object(s)  (7.32KB)"));
    EXPECT_EQ(Panel(4), QStringLiteral("All"));

    Item("mnuViewDifferences")->trigger();
    EXPECT_EQ(Texts(Left()), (Strings({"a.txt", "c.txt", "", "e.bin", "/Docs"})));
    EXPECT_EQ(Texts(Right()), (Strings({"a.txt", "", "d.txt", "e.bin", "/Docs"})));
    EXPECT_EQ(Panel(1), QStringLiteral("Total 4 object(s)  (4.39KB)"));
    EXPECT_EQ(Panel(4), QStringLiteral("Different"));
    EXPECT_TRUE(Item("mnuViewDifferences")->isChecked());
    EXPECT_FALSE(Item("mnuViewViewAll")->isChecked());
    EXPECT_FALSE(Child<QToolButton>("imgViews3")->property("coloured").toBool());
    EXPECT_FALSE(Child<QToolButton>("imgViews6")->property("coloured").toBool());

    Item("mnuViewSimilarities")->trigger();
    EXPECT_EQ(Texts(Left()), (Strings({"b.txt", "/Same"})));
    EXPECT_EQ(Panel(4), QStringLiteral("Similar"));

    // "Other..." only explains the buttons; the panes stay as they are.
    Item("mnuViewOther")->trigger();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Use the icons in the center of the program to specify custom View options"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Custom View"));
    EXPECT_EQ(Texts(Left()), (Strings({"b.txt", "/Same"})));
    EXPECT_TRUE(Item("mnuViewOther")->isChecked());

    Item("mnuViewViewAll")->trigger();
    EXPECT_EQ(Left()->model()->rowCount(), 7);
    EXPECT_EQ(Panel(4), QStringLiteral("All"));
}

TEST_F(MainWindowTest, CategoryButtonsToggleCategoriesAndFindTheirViewType)
{
    FillSample(*window);
    // Only "Newer" hidden: a custom view in which the left newer row and its partner disappear... the right
    // row of the pair is "Older" and still shown, beside an empty row.
    Child<QToolButton>("imgViews1")->click();
    EXPECT_EQ(Texts(Left()), (Strings({"", "b.txt", "c.txt", "", "e.bin", "/Docs", "/Same"})));
    EXPECT_EQ(Texts(Right()), (Strings({"a.txt", "b.txt", "", "d.txt", "e.bin", "/Docs", "/Same"})));
    EXPECT_EQ(Panel(4), QStringLiteral("Custom"));
    EXPECT_TRUE(Item("mnuViewOther")->isChecked());

    // Back to six difference categories: the View menu finds "Differences".
    Child<QToolButton>("imgViews1")->click();
    Child<QToolButton>("imgViews3")->click();
    Child<QToolButton>("imgViews6")->click();
    EXPECT_TRUE(Item("mnuViewDifferences")->isChecked());
    EXPECT_EQ(Panel(4), QStringLiteral("Different"));
    EXPECT_EQ(ctx->ViewSelections().ViewType(), 1);

    // Hiding every category empties both panes; the totals then read 0 objects and "0 Bytes".
    for (const char* name : {"imgViews1", "imgViews2", "imgViews4", "imgViews5", "imgViews7", "imgViews8"})
        Child<QToolButton>(name)->click();
    EXPECT_EQ(Left()->model()->rowCount(), 0);
    EXPECT_EQ(Panel(1), QStringLiteral("Total 0 object(s)  (0 Bytes)"));
}

TEST_F(MainWindowTest, PlaceholderRowsCannotBeSelected)
{
    FillSample(*window);
    ShowAndSettle(*window);
    GuiResultPane* left = Left();
    const QRect placeholder = left->visualRect(left->model()->index(3, 0));
    Click(left->viewport(), placeholder.center());
    EXPECT_TRUE(left->SelectedRows().isEmpty());
    const QRect real = left->visualRect(left->model()->index(0, 0));
    Click(left->viewport(), real.center());
    EXPECT_EQ(left->SelectedRows(), QList<int>{0});
    // Select all leaves the placeholder out.
    left->selectAll();
    EXPECT_FALSE(left->SelectedRows().contains(3));

    window->RemoveListItemsAndShowNoCompareMsg();
    const QRect none = left->visualRect(left->model()->index(0, 0));
    Click(left->viewport(), none.center());
    EXPECT_TRUE(left->SelectedRows().isEmpty());
}

TEST_F(MainWindowTest, ScrollingOnePaneScrollsTheOther)
{
    ResultList& left = window->HoldSource();
    ResultList& right = window->HoldTarget();
    left.clear();
    right.clear();
    for (int i = 0; i < 2000; ++i) {
        left.push_back(TestRow(QStringLiteral("f%1").arg(i), Category::Same, i));
        right.push_back(TestRow(QStringLiteral("f%1").arg(i), Category::Same, i));
    }
    window->ApplyViewTypes();
    ShowAndSettle(*window);
    ASSERT_TRUE(window->SyncScrolling()); // the default of the setting

    Left()->verticalScrollBar()->setValue(500);
    EXPECT_EQ(Left()->TopRow(), 500);
    EXPECT_EQ(Right()->TopRow(), 500);
    Right()->verticalScrollBar()->setValue(1200);
    EXPECT_EQ(Left()->TopRow(), 1200);
    Left()->scrollToBottom();
    EXPECT_EQ(Right()->TopRow(), Left()->TopRow());

    // Switched off, each pane scrolls alone.
    Item("mnuOptionsSyncScrolling")->trigger();
    EXPECT_FALSE(window->SyncScrolling());
    EXPECT_FALSE(ctx->MainOptions().SyncScrolling);
    Left()->verticalScrollBar()->setValue(10);
    EXPECT_NE(Right()->TopRow(), 10);
    // Switched on again, both start from the top.
    Item("mnuOptionsSyncScrolling")->trigger();
    EXPECT_EQ(Left()->TopRow(), 0);
    EXPECT_EQ(Right()->TopRow(), 0);
}

TEST_F(MainWindowTest, ClosingAsksFirstButExitDoesNot)
{
    window->show();
    dialogs.answers.push_back(UserDialogs::Answer::No);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("You are about to exit Parvex.  Continue?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Exit Parvex"));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_TRUE(window->isVisible());

    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    // Unloading wrote the settings as they were, not as closing left the window.
    CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("SyncScrolling"), QString()), QStringLiteral("True"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("CoolbarStyle"), QString()), QStringLiteral("Coolbar"));

    dialogs.clear();
    window->show();
    Item("mnuFileExit")->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ObjectCommandsWithoutASelectionExplainThemselves)
{
    Item("mnuFileOpenFile")->trigger();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("No object has been selected."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Open Object"));
    Item("mnuFileShowFileProperties")->trigger();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Unable to display property page. No valid file is selected."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Show Property Page"));
    Item("mnuFileAddToExcludeFilter")->trigger();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("No objects to add to filter. Please select files and/or folders and try again."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Add to Exclude Filter"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(MainWindowTest, AddingSelectedRowsToAFilterStoresItAndClearsTheResults)
{
    ctx->MainOptions().AutoCompareAfterFilter = false;
    ctx->Compare().SetExcludeFilters(QStringLiteral("*.bak"));
    FillSample(*window);
    Left()->selectionModel()->select(Left()->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Left()->selectionModel()->select(Left()->model()->index(5, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Item("mnuFileAddToExcludeFilter")->trigger();
    EXPECT_EQ(ctx->Compare().ExcludeFilters(), QStringLiteral("*.bak,a.txt,/Docs"));
    CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("ExcludeFileTypes"), QString()),
              QStringLiteral("*.bak,a.txt,/Docs"));
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
}

TEST_F(MainWindowTest, OpenObjectHandsTheRowsPathToTheDesktop)
{
    Child<QComboBox>("cboSourcePath")->setEditText(QStringLiteral("/data/left"));
    FillSample(*window);
    Left()->setCurrentIndex(Left()->model()->index(2, 0));
    Item("mnuFileOpenFile")->trigger();
    EXPECT_EQ(opened, QStringList{QStringLiteral("/data/left/c.txt")});
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A desktop with nothing to open the file says so instead of staying silent.
    window->SetUrlOpener([](const QUrl&) { return false; });
    Item("mnuFileOpenFile")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Open Object"));
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("/data/left/c.txt")));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
}

TEST_F(MainWindowTest, ChangingAFolderClearsTheResults)
{
    FillSample(*window);
    Child<QComboBox>("cboTargetPath")->setEditText(QStringLiteral("/somewhere/else"));
    EXPECT_EQ(Texts(Right()), QStringList{QStringLiteral("No Comparison Results")});
    EXPECT_EQ(window->HoldSource().size(), 1U);
}

TEST_F(MainWindowTest, CheckMarksFollowAndChangeTheSettings)
{
    EXPECT_EQ(Item("mnuOptionsCompareSubFolders")->isChecked(), ctx->Compare().CompareSubFolders());
    Item("mnuOptionsExcludeHiddenFiles")->trigger();
    EXPECT_EQ(ctx->Compare().ExcludeHiddenFiles(), Item("mnuOptionsExcludeHiddenFiles")->isChecked());
    Item("mnuOptionsConfirmDelete")->trigger();
    EXPECT_EQ(ctx->MainOptions().ShowDeleteConfirmations, Item("mnuOptionsConfirmDelete")->isChecked());

    // Choosing another method clears the results unless "Auto Compare After Compare Method Change" asks
    // for a new comparison.
    FillSample(*window);
    ctx->MainOptions().AutoCompareAfterCompareMethodChange = false;
    Item("mnuOptionsCompareTypeThoroughString")->trigger();
    EXPECT_EQ(ctx->Compare().CompareMethod(), 1);
    EXPECT_TRUE(Item("mnuOptionsCompareTypeThoroughString")->isChecked());
    EXPECT_FALSE(Item("mnuOptionsCompareTypeQuick")->isChecked());
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});

    Item("mnuOptionsSyncMakeLeftSameAsRight")->trigger();
    EXPECT_EQ(ctx->SyncSettings().SyncMethod(), 1);

    Item("mnuOptionsToolbarHide")->trigger();
    EXPECT_FALSE(Child<QToolBar>("ParvexToolbar")->isVisibleTo(window.get()));
    EXPECT_EQ(ctx->MainOptions().CoolbarStyle, 0);
    Item("mnuOptionsToolbarShowToolbar")->trigger();
    EXPECT_TRUE(Child<QToolBar>("ParvexToolbar")->isVisibleTo(window.get()));
    EXPECT_EQ(Child<QToolBar>("ParvexToolbar")->iconSize(), QSize(16, 16));
}

TEST_F(MainWindowTest, RestoreDefaultOptionsResetsMarksAndClearsEverything)
{
    Item("mnuOptionsExcludeHiddenFiles")->trigger();
    Item("mnuOptionsToolbarHide")->trigger();
    Item("mnuViewSimilarities")->trigger();
    FillSample(*window);
    Item("mnuOptionsRestoreDefaults")->trigger();
    EXPECT_FALSE(ctx->Compare().ExcludeHiddenFiles());
    EXPECT_FALSE(Item("mnuOptionsExcludeHiddenFiles")->isChecked());
    EXPECT_TRUE(Item("mnuOptionsToolbarShowCoolbar")->isChecked());
    EXPECT_TRUE(Item("mnuViewViewAll")->isChecked());
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
    for (int panel = 1; panel <= 4; ++panel)
        EXPECT_EQ(Panel(panel), QString()) << panel;
}

TEST_F(MainWindowTest, ToolbarPressesBeepWhileAnOperationRuns)
{
    window->SetMenusEnabled(false);
    EXPECT_FALSE(window->MenusEnabled());
    EXPECT_FALSE(window->TopMenu(QStringLiteral("mnuOptions"))->menuAction()->isEnabled());
    Item("tbrProperties")->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    window->SetMenusEnabled(true);
    Item("tbrProperties")->trigger();
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Show Property Page"));
}

TEST_F(MainWindowTest, DropsSetTheFolderBoxes)
{
    FillSample(*window);
    QComboBox* box = Child<QComboBox>("cboSourcePath");
    // A synthetic drop never reaches a widget outside a real drag, so it goes straight to the window's
    // filter of the box's events, where a real one arrives.
    QObject* filter = window.get();
    auto drop = [box, filter](QMimeData& data) {
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        filter->eventFilter(box->lineEdit(), &event);
    };
    // A file manager's drop carries the paths as URLs (and their text form): the path wins.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/first")), QUrl::fromLocalFile(QStringLiteral("/data/second"))});
    files.setText(QStringLiteral("file:///data/first"));
    drop(files);
    EXPECT_EQ(box->currentText(), QStringLiteral("/data/first"));
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});

    QMimeData text;
    text.setText(QStringLiteral("/typed/elsewhere"));
    drop(text);
    EXPECT_EQ(box->currentText(), QStringLiteral("/typed/elsewhere"));

    // While an operation runs, drops are refused.
    window->SetMenusEnabled(false);
    QMimeData late;
    late.setText(QStringLiteral("/too/late"));
    drop(late);
    EXPECT_EQ(box->currentText(), QStringLiteral("/typed/elsewhere"));
    window->SetMenusEnabled(true);
}

TEST_F(MainWindowTest, DoubleClicksOpenOrphansAndOfferChoicesForPairs)
{
    Child<QComboBox>("cboSourcePath")->setEditText(QStringLiteral("/data/left"));
    FillSample(*window);
    ShowAndSettle(*window);
    GuiResultPane* left = Left();
    auto doubleClick = [left](int row) {
        left->setCurrentIndex(left->model()->index(row, 0));
        const QPointF at(left->visualRect(left->model()->index(row, 0)).center());
        QMouseEvent event(QEvent::MouseButtonDblClick, at, left->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(left->viewport(), &event);
    };
    doubleClick(2); // c.txt, an orphan: opened at once
    EXPECT_EQ(opened, QStringList{QStringLiteral("/data/left/c.txt")});

    doubleClick(0); // a.txt, newer: the choice between opening and the differences
    QMenu* fileChoice = window->TopMenu(QStringLiteral("mnuDiffFileDblClick"));
    EXPECT_TRUE(fileChoice->isVisible());
    EXPECT_EQ(fileChoice->defaultAction(), Item("mnuDblClickFileOpen"));
    fileChoice->hide();

    doubleClick(5); // /Docs, a different folder
    QMenu* folderChoice = window->TopMenu(QStringLiteral("mnuDiffSubDirDblClick"));
    EXPECT_TRUE(folderChoice->isVisible());
    folderChoice->hide();

    dialogs.clear();
    doubleClick(6); // /Same, an identical folder: explored at once, with the notice about outside changes
    EXPECT_EQ(opened.last(), QStringLiteral("/data/left/Same"));
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Run Explorer"));
}

TEST_F(MainWindowTest, TheErrorLogCommandShowsTheLog)
{
    QString shown;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* log = qobject_cast<frmErrorLog*>(QApplication::activeModalWidget());
        ASSERT_NE(log, nullptr);
        shown = log->ShownText();
        caption = log->windowTitle();
        log->accept();
    });
    Item("mnuViewErrorLog")->trigger();
    EXPECT_EQ(caption, QStringLiteral("Error Log"));
    EXPECT_EQ(shown, QStringLiteral("No Errors Encountered During Last Comparison."));
}

TEST_F(MainWindowTest, HelpOpensInAWindowOfItsOwn)
{
    QFile::copy(QDir(TestBinDir()).filePath(QStringLiteral("parvex.hlp")), appFolder.file(QStringLiteral("parvex.hlp")));
    Item("mnuHelpContents")->trigger();
    auto* help = window->findChild<QWidget*>(QStringLiteral("frmHelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    auto* text = help->findChild<QWidget*>(QStringLiteral("txtHelp"));
    ASSERT_NE(text, nullptr);
}

TEST_F(MainWindowTest, OptionCommandsOpenTheOptionsWindowOnTheirTab)
{
    const std::pair<const char*, QString> commands[] = {
        {"mnuOptionsChunkSize", QStringLiteral("Compare")},
        {"mnuOptionsFilters", QStringLiteral("Include/Exclude")},
        {"mnuOptionsChangeSounds", QStringLiteral("Sounds")},
        {"mnuOptionsAppearance", QStringLiteral("Appearance")},
    };
    for (const auto& [item, tab] : commands) {
        QString shown;
        QTimer::singleShot(0, [&] {
            QWidget* options = QApplication::activeModalWidget();
            ASSERT_NE(options, nullptr);
            auto* tabs = options->findChild<QTabWidget*>(QStringLiteral("tbsOptions"));
            ASSERT_NE(tabs, nullptr);
            shown = tabs->tabText(tabs->currentIndex()).remove(QLatin1Char('&'));
            qobject_cast<QDialog*>(options)->reject();
        });
        Item(item)->trigger();
        EXPECT_EQ(shown, tab) << item;
    }
}

// The first run has no stored place: the window takes a good share of the screen and each pane's columns
// show a whole date. A place the user left behind comes back exactly and is written back unchanged.
TEST_F(MainWindowTest, FirstRunWindowIsRoomyAndAStoredPlaceRoundTrips)
{
    const QRect area = window->screen()->availableGeometry();
    EXPECT_GE(window->width(), qMin(area.width() * 4 / 5, 1600));
    EXPECT_GE(window->height(), qMin(area.height() * 4 / 5, 1000));
    EXPECT_LE(window->width(), area.width());
    EXPECT_LE(window->height(), area.height());
    const QFontMetrics metrics(Left()->font());
    for (const GuiResultPane* pane : {Left(), Right()}) {
        EXPECT_GT(pane->header()->sectionSize(ResultTableModel::DateColumn),
                  metrics.horizontalAdvance(QStringLiteral("28 Sep 2024 23:59:59")));
        EXPECT_GT(pane->header()->sectionSize(ResultTableModel::SizeColumn),
                  metrics.horizontalAdvance(QStringLiteral("999,999,999")));
        EXPECT_GE(pane->header()->sectionSize(ResultTableModel::NameColumn), 159);
    }
    window.reset();
    QFile::remove(appFolder.file(QStringLiteral("parvex.ini")));

    // A stored window size without stored widths: the columns are spread over the panes once shown, and
    // all three fit, no date cut off at the right edge, even when results bring the vertical scroll bar.
    {
        CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        ini.Set(QStringLiteral("Form Dimensions"), QStringLiteral("Width"), QStringLiteral("0000019500"));
        ini.Set(QStringLiteral("Form Dimensions"), QStringLiteral("Height"), QStringLiteral("0000007500"));
    }
    window = std::make_unique<frmMain>(*ctx);
    EXPECT_EQ(window->width(), 1300);
    window->show();
    ResultList many;
    for (int i = 0; i < 500; ++i)
        many.push_back(TestRow(QStringLiteral("file%1.txt").arg(i), Category::Same, 1234567));
    window->HoldSource() = many;
    window->HoldTarget() = many;
    window->ApplyViewTypes();
    // The views lay out their rows on a zero timer: wait for the scroll bars those rows bring.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Left()->verticalScrollBar()->isVisible() && Right()->verticalScrollBar()->isVisible(); }, 5000));
    for (const GuiResultPane* pane : {Left(), Right()}) {
        EXPECT_TRUE(pane->verticalScrollBar()->isVisible());
        EXPECT_GT(pane->header()->sectionSize(ResultTableModel::NameColumn), 250);
        EXPECT_LE(pane->header()->length(), pane->viewport()->width()) << pane->objectName().toStdString();
    }
    window.reset();
    QFile::remove(appFolder.file(QStringLiteral("parvex.ini")));

    const QString file = appFolder.file(QStringLiteral("parvex.ini"));
    {
        CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        const QString dims = QStringLiteral("Form Dimensions");
        const QString cols = QStringLiteral("ColumnWidths");
        ini.Set(dims, QStringLiteral("WindowState"), QStringLiteral("Normal"));
        ini.Set(dims, QStringLiteral("Height"), QStringLiteral("0000006000"));
        ini.Set(dims, QStringLiteral("Width"), QStringLiteral("0000009000"));
        ini.Set(dims, QStringLiteral("Left"), QStringLiteral("0000000150"));
        ini.Set(dims, QStringLiteral("Top"), QStringLiteral("0000000300"));
        const char* keys[] = {"SourceColumnOne", "SourceColumnTwo", "SourceColumnThree",
                              "TargetColumnOne", "TargetColumnTwo", "TargetColumnThree"};
        // Wide enough for the font's dates and sizes, which a narrower stored width would give way to.
        int width = 201;
        for (const char* key : keys)
            ini.Set(cols, QString::fromLatin1(key), QString::number(width++).rightJustified(10, QLatin1Char('0')));
    }
    window = std::make_unique<frmMain>(*ctx);
    EXPECT_EQ(window->size(), QSize(600, 400));
    EXPECT_EQ(Left()->header()->sectionSize(ResultTableModel::NameColumn), 201);
    EXPECT_EQ(Left()->header()->sectionSize(ResultTableModel::DateColumn), 203);
    EXPECT_EQ(Right()->header()->sectionSize(ResultTableModel::SizeColumn), 205);
    window->ExitWithoutAsking();
    CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    EXPECT_EQ(ini.Get(QStringLiteral("Form Dimensions"), QStringLiteral("Width"), QString()), QStringLiteral("0000009000"));
    EXPECT_EQ(ini.Get(QStringLiteral("Form Dimensions"), QStringLiteral("Height"), QString()), QStringLiteral("0000006000"));
    EXPECT_EQ(ini.Get(QStringLiteral("ColumnWidths"), QStringLiteral("TargetColumnThree"), QString()),
              QStringLiteral("0000000206"));
}

// Both panes keep one row height whatever a row shows: a placeholder first (no picture) must not make
// one pane's rows shorter than the other's, in any view.
TEST_F(MainWindowTest, RowsStayAlignedWhateverTheFirstRowShows)
{
    ResultList left;
    ResultList right;
    left.push_back(TestRow("", Category::None));
    right.push_back(TestRow("only-right.txt", Category::Orphan, 1));
    for (int i = 0; i < 40; ++i) {
        const Category l = i % 3 == 0 ? Category::Newer : Category::Same;
        const Category r = i % 3 == 0 ? Category::Older : Category::Same;
        left.push_back(TestRow(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')), l, i));
        right.push_back(TestRow(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')), r, i));
    }
    left.push_back(TestRow("/Docs", Category::OrphanFolder));
    right.push_back(TestRow("", Category::None));
    window->HoldSource() = left;
    window->HoldTarget() = right;
    ShowAndSettle(*window);
    window->ApplyViewTypes();

    const auto expectAligned = [&](const char* view) {
        QApplication::processEvents();
        const int rows = Left()->model()->rowCount();
        ASSERT_EQ(rows, Right()->model()->rowCount()) << view;
        ASSERT_GT(rows, 2) << view;
        const int height = Left()->visualRect(Left()->model()->index(0, 0)).height();
        for (int i = 0; i < rows; ++i) {
            const QRect l = Left()->visualRect(Left()->model()->index(i, 0));
            const QRect r = Right()->visualRect(Right()->model()->index(i, 0));
            ASSERT_EQ(l.top(), r.top()) << view << " row " << i;
            ASSERT_EQ(l.height(), height) << view << " row " << i;
            ASSERT_EQ(r.height(), height) << view << " row " << i;
        }
    };
    expectAligned("all");
    // Hiding "Newer" leaves the placeholder pair at the top on one side only.
    window->imgViews_Click(1);
    expectAligned("without newer");
}
