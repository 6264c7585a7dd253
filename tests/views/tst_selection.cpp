#include "../app/MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"
#include "base/ErrorHandler.h"
#include "views/GuiCategoryPictures.h"
#include "views/GuiPanePrint.h"
#include "views/GuiSelectionCommands.h"
#include "views/SelectionRules.h"
#include "views/SummaryCounts.h"
#include "views/frmCompareResults.h"
#include "views/frmSelect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>

namespace {

// 100-ns ticks since 1601 of a local date at noon.
qint64 TicksOf(const QDate& date)
{
    return QDateTime(date, QTime(12, 0)).toMSecsSinceEpoch() * 10000 + 116444736000000000LL;
}

} // namespace

class SelectionTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // A comparison with a row of every kind; the right side of an orphan is a placeholder.
        const QDate day(2024, 3, 10);
        ResultList left = {TestRow("a.txt", Category::Newer, 100), TestRow("b.txt", Category::Older, 2000),
                           TestRow("c.doc", Category::Same, 30),   TestRow("d.txt", Category::Orphan, 400),
                           TestRow("e.bin", Category::Binary, 50), TestRow("/Same", Category::IdenticalFolder, 10),
                           TestRow("/Diff", Category::DifferentFolder, 20), TestRow("/Only", Category::OrphanFolder, 30)};
        ResultList right = left;
        right[0].icon = Category::Older;
        right[1].icon = Category::Newer;
        right[3] = ResultRow{};
        right[7] = ResultRow{};
        for (std::size_t i = 0; i < left.size(); ++i) {
            left[i].ticks = TicksOf(day.addDays(static_cast<int>(i)));
            if (IsRealRow(right[i]))
                right[i].ticks = left[i].ticks;
        }
        window->HoldSource() = left;
        window->HoldTarget() = right;
        window->ApplyViewTypes();
        dialogs.clear();
    }

    GuiSelectionCommands& Commands() { return window->SelectionCommands(); }

    static QStringList Selected(const GuiResultPane* pane)
    {
        QStringList names;
        const QStringList texts = Texts(pane);
        for (const int r : pane->SelectedRows())
            names << texts[r];
        return names;
    }

    void Key(GuiResultPane* pane, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        QApplication::sendEvent(pane, &press);
    }
};

TEST_F(SelectionTest, SelectAllDeselectAndInvertKeepPlaceholdersOut)
{
    Q_EMIT Right()->FocusTaken();
    Key(Right(), Qt::Key_A);
    EXPECT_EQ(Right()->SelectedRows().size(), 6); // two placeholders stay out
    EXPECT_EQ(Panel(2), U("Selected 6 object(s)  (2.16KB)"));
    // Selecting in the other pane clears this one.
    Q_EMIT Left()->FocusTaken();
    Item("mnuSelectAll")->trigger();
    EXPECT_EQ(Left()->SelectedRows().size(), 8);
    EXPECT_TRUE(Right()->SelectedRows().isEmpty());
    EXPECT_EQ(Panel(2), U("Total 6 object(s)  (2.16KB)"));
    Key(Left(), Qt::Key_D);
    EXPECT_TRUE(Left()->SelectedRows().isEmpty());
    EXPECT_EQ(Panel(1), U("Total 8 object(s)  (2.58KB)"));

    Q_EMIT Right()->FocusTaken();
    Right()->selectionModel()->select(Right()->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Item("mnuInvertSelection")->trigger();
    EXPECT_EQ(Selected(Right()), Strings({"b.txt", "c.doc", "e.bin", "/Same", "/Diff"}));
}

TEST_F(SelectionTest, NothingToSelectBeforeAComparison)
{
    window->RemoveListItemsAndShowNoCompareMsg();
    Q_EMIT Left()->FocusTaken();
    Key(Left(), Qt::Key_A);
    Item("mnuInvertSelection")->trigger();
    EXPECT_TRUE(Left()->SelectedRows().isEmpty());
    Item("mnuSelectShowOnlySelected")->trigger();
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
}

TEST_F(SelectionTest, ShowNextSelectedWrapsAndShowOnlySelectedKeepsThoseRows)
{
    Q_EMIT Left()->FocusTaken();
    for (const int r : {1, 3, 6})
        Left()->selectionModel()->select(Left()->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Left()->selectionModel()->setCurrentIndex(Left()->model()->index(6, 0), QItemSelectionModel::NoUpdate);
    Item("mnuSelectShowNext")->trigger();
    EXPECT_EQ(Left()->currentIndex().row(), 1);
    Item("mnuSelectShowNext")->trigger();
    EXPECT_EQ(Left()->currentIndex().row(), 3);

    Item("mnuSelectShowOnlySelected")->trigger();
    EXPECT_EQ(Texts(Left()), Strings({"b.txt", "d.txt", "/Diff"}));
    EXPECT_EQ(Selected(Left()), Strings({"b.txt", "d.txt", "/Diff"}));
    EXPECT_EQ(Right()->model()->rowCount(), 0);
    // A view type brings every row back.
    Item("mnuViewViewAll")->trigger();
    EXPECT_EQ(Left()->model()->rowCount(), 8);
    EXPECT_EQ(Right()->model()->rowCount(), 8);
}

TEST_F(SelectionTest, TheWizardSelectsByCategoryPatternSizeAndDate)
{
    Right()->selectionModel()->select(Right()->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const auto run = [this](std::function<void(SelectCriteria&)> set, bool select = true) {
        SelectCriteria c;
        set(c);
        c.select = select;
        Commands().SelectFileTypesInList(Left(), c);
        return Selected(Left());
    };
    const auto flag = [](SelectCriteria& c, Category k) { c.categories[static_cast<std::size_t>(static_cast<int>(k) - 1)] = true; };
    // Newer files in the left pane; the right pane's selection goes.
    EXPECT_EQ(run([&](SelectCriteria& c) { flag(c, Category::Newer); }), Strings({"a.txt"}));
    EXPECT_TRUE(Right()->SelectedRows().isEmpty());
    // No category and one extension: every row of that extension, whatever its category; folders never.
    EXPECT_EQ(run([](SelectCriteria& c) { c.patterns = U("*.TXT"); }), Strings({"a.txt", "b.txt", "d.txt"}));
    // Deselect the orphans only.
    EXPECT_EQ(run([&](SelectCriteria& c) { flag(c, Category::Orphan); }, false), Strings({"a.txt", "b.txt"}));
    // Size: greater than 100 bytes; less than 100.
    EXPECT_EQ(run([](SelectCriteria& c) { c.byteSize = U("100"); c.sizeOperator = 2; }), Strings({"b.txt", "d.txt"}));
    EXPECT_EQ(run([](SelectCriteria& c) { c.byteSize = U("100"); c.sizeOperator = 1; }), Strings({"c.doc", "e.bin", "/Same", "/Diff", "/Only"}));
    EXPECT_EQ(run([](SelectCriteria& c) { c.byteSize = U("30"); c.sizeOperator = 0; }), Strings({"c.doc", "/Only"}));
    // Date: rows are dated a day apart from 10 March 2024.
    const auto date = [](SelectCriteria& c, const QDate& d, int op) {
        c.date = d;
        c.dateText = d.toString(Qt::ISODate);
        c.dateOperator = op;
    };
    EXPECT_EQ(run([&](SelectCriteria& c) { date(c, QDate(2024, 3, 12), 0); }), Strings({"c.doc"}));
    EXPECT_EQ(run([&](SelectCriteria& c) { date(c, QDate(2024, 3, 12), 1); }), Strings({"a.txt", "b.txt"}));
    // Folder rows never by date, even when they carry a time stamp.
    EXPECT_EQ(run([&](SelectCriteria& c) { date(c, QDate(2024, 3, 13), 2); }), Strings({"e.bin"}));
    EXPECT_TRUE(run([&](SelectCriteria& c) { date(c, QDate(2024, 3, 15), 2); }).isEmpty());
    // "is before" tomorrow is the wizard's starting state: no date criterion.
    EXPECT_EQ(run([&](SelectCriteria& c) { date(c, QDate::currentDate().addDays(1), 1); }).size(), 8);
}

TEST_F(SelectionTest, TheWizardWindowWorksOnTheChosenPane)
{
    frmSelect wizard(*ctx, *window, Commands());
    wizard.findChild<QRadioButton*>(U("optPane1"))->setChecked(true);
    wizard.findChild<QCheckBox*>(U("chkFileType2"))->setChecked(true);
    wizard.findChild<QPushButton*>(U("cmdSelect1"))->click();
    EXPECT_EQ(window->CurrentListview(), Right());
    EXPECT_EQ(Selected(Right()), Strings({"a.txt"})); // older on the right
    auto* size = wizard.findChild<QLineEdit*>(U("txtByteSize"));
    size->setText(U("12x"));
    wizard.ValidateByteSize();
    EXPECT_EQ(dialogs.last().text, U("Byte Size is not a valid numeral"));
    EXPECT_EQ(dialogs.last().title, U("Input Error"));
    EXPECT_EQ(size->text(), U("-1"));
    size->setText(U("2000.0"));
    wizard.ValidateByteSize();
    EXPECT_EQ(size->text(), U("2000"));
}

TEST_F(SelectionTest, TheWizardsFileTypesFollowTheChosenPane)
{
    window->HoldTarget()[2].text = U("c.pdf");
    window->ApplyViewTypes();
    Q_EMIT Left()->FocusTaken();
    frmSelect wizard(*ctx, *window, Commands());
    auto* list = wizard.findChild<QListWidget*>(U("lstFileTypes"));
    const auto entries = [list] {
        QStringList texts;
        for (int r = 0; r < list->count(); ++r)
            texts << list->item(r)->text();
        return texts;
    };
    EXPECT_EQ(entries(), Strings({"All Files  (*)", "TXT Files  (*.txt)", "DOC Files  (*.doc)", "BIN Files  (*.bin)", "User-defined..."}));
    // A choice the other pane also lists, and the user's own patterns, survive the change of pane.
    list->item(1)->setSelected(true);
    list->item(4)->setSelected(true);
    dialogs.inputs.push_back(U("*.bin"));
    Q_EMIT list->itemClicked(list->item(4));
    wizard.findChild<QRadioButton*>(U("optPane1"))->setChecked(true);
    EXPECT_EQ(entries(), Strings({"All Files  (*)", "TXT Files  (*.txt)", "PDF Files  (*.pdf)", "BIN Files  (*.bin)", "User-defined...  (*.bin)"}));
    ASSERT_EQ(list->selectedItems().size(), 2);
    EXPECT_EQ(wizard.Criteria(true).patterns, U("*.txt,*.bin"));
    wizard.findChild<QPushButton*>(U("cmdSelect1"))->click();
    EXPECT_EQ(Selected(Right()), Strings({"a.txt", "b.txt", "e.bin"}));
    wizard.findChild<QRadioButton*>(U("optPane0"))->setChecked(true);
    EXPECT_EQ(entries()[2], U("DOC Files  (*.doc)"));

    // Opened over the right pane, the list is the right pane's from the start.
    frmSelect overRight(*ctx, *window, Commands());
    EXPECT_TRUE(overRight.findChild<QRadioButton*>(U("optPane1"))->isChecked());
    EXPECT_EQ(overRight.findChild<QListWidget*>(U("lstFileTypes"))->item(2)->text(), U("PDF Files  (*.pdf)"));
}

TEST_F(SelectionTest, AWizardRunThatMatchesNothingClearsBothPanes)
{
    Q_EMIT Right()->FocusTaken();
    Key(Right(), Qt::Key_A);
    ASSERT_EQ(Right()->SelectedRows().size(), 6);
    frmSelect wizard(*ctx, *window, Commands());
    wizard.findChild<QRadioButton*>(U("optPane0"))->setChecked(true);
    wizard.findChild<QComboBox*>(U("cboDateOperator"))->setCurrentIndex(0);
    wizard.findChild<QDateEdit*>(U("dtpDate"))->setDate(QDate(2000, 1, 1));
    wizard.findChild<QPushButton*>(U("cmdSelect1"))->click();
    EXPECT_EQ(window->CurrentListview(), Left());
    EXPECT_TRUE(Left()->SelectedRows().isEmpty());
    EXPECT_TRUE(Right()->SelectedRows().isEmpty());
    EXPECT_FALSE(Right()->currentIndex().isValid());
    EXPECT_EQ(Panel(2), U("Total 6 object(s)  (2.16KB)"));

    // A deselection makes the chosen pane the one acted on, too.
    Key(Right(), Qt::Key_A);
    SelectCriteria none;
    none.patterns = U("*.none");
    none.select = false;
    Commands().SelectFileTypesInList(Left(), none);
    EXPECT_TRUE(Right()->SelectedRows().isEmpty());
}

TEST(SelectionRules, ADateNeverPicksAFolderRow)
{
    FakeUserDialogs dialogs;
    ErrorHandler errors(dialogs);
    const auto at = [](const QDate& d) { return QDateTime(d, QTime(12, 0)).toMSecsSinceEpoch() * 10000 + 116444736000000000LL; };
    // Folder rows as a comparison makes them: no time stamp, their total size.
    ResultList hold = {TestRow("old.txt", Category::Same, 10), TestRow("new.txt", Category::Newer, 200),
                       TestRow("/Big", Category::IdenticalFolder, 5000), TestRow("/Diff", Category::DifferentFolder, 50),
                       TestRow("/Only", Category::OrphanFolder, 0), ResultRow{}};
    hold[0].ticks = at(QDate(2000, 1, 1));
    hold[1].ticks = at(QDate(2024, 3, 10));
    const PaneRows rows = {0, 1, 2, 3, 4, 5, EmptyRow};
    const QDate today(2024, 6, 1);
    const auto pick = [&](const std::function<void(SelectCriteria&)>& set) {
        SelectCriteria c;
        set(c);
        return RowsMatchingSelection(hold, rows, c, errors, today);
    };
    const auto date = [](const QDate& d, int op) {
        return [d, op](SelectCriteria& c) {
            c.date = d;
            c.dateText = d.toString(Qt::ISODate);
            c.dateOperator = op;
        };
    };
    using Picked = std::vector<int>;
    EXPECT_EQ(pick(date(QDate(2024, 1, 1), 1)), (Picked{0}));
    EXPECT_EQ(pick(date(QDate(2100, 1, 1), 1)), (Picked{0, 1}));
    EXPECT_EQ(pick(date(QDate(1970, 1, 1), 0)), Picked{});
    EXPECT_EQ(pick(date(QDate(1900, 1, 2), 2)), (Picked{0, 1}));
    // Only folder categories chosen: a date picks none of them, whatever the operator.
    for (const int op : {0, 1, 2}) {
        EXPECT_EQ(pick([&](SelectCriteria& c) {
                      date(QDate(1970, 1, 1), op)(c);
                      c.categories[5] = c.categories[6] = c.categories[7] = true;
                  }),
                  Picked{})
            << op;
    }
    // Without a date (the starting state "is before" tomorrow counts as none) folder rows take part.
    EXPECT_EQ(pick([](SelectCriteria&) {}), (Picked{0, 1, 2, 3, 4}));
    EXPECT_EQ(pick(date(today.addDays(1), 1)), (Picked{0, 1, 2, 3, 4}));
    // Size tests a folder row's total, the size it shows.
    EXPECT_EQ(pick([](SelectCriteria& c) { c.byteSize = U("100"); c.sizeOperator = 2; }), (Picked{1, 2}));
    EXPECT_EQ(pick([](SelectCriteria& c) { c.byteSize = U("0"); c.sizeOperator = 0; }), (Picked{4}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(SelectionRules, FileTypeEntriesAndTheirPatterns)
{
    const ResultList rows = {TestRow("a.TXT", Category::Same), TestRow("b.txt", Category::Same), TestRow("/Sub.d", Category::IdenticalFolder),
                             TestRow("noext", Category::Same), TestRow("c.tar.gz", Category::Orphan)};
    const QStringList entries = FileTypeEntries(rows);
    EXPECT_EQ(entries, Strings({"All Files  (*)", "TXT Files  (*.TXT)", "GZ Files  (*.gz)", "User-defined..."}));
    EXPECT_EQ(PatternsOfEntries({entries[1], U("User-defined...  (*.bmp, *.jpg)")}), U("*.TXT,*.bmp, *.jpg"));
    EXPECT_EQ(RowRuns({1, 2, 3, 7, 9, 10}), (std::vector<std::pair<int, int>>{{1, 3}, {7, 7}, {9, 10}}));
}

TEST_F(SelectionTest, TheSummaryCountsEveryRowWhateverTheViewHides)
{
    // Only the differences on view: the counts stay those of the whole comparison.
    Item("mnuViewDifferences")->trigger();
    bool seen = false;
    QTimer::singleShot(0, [&seen] {
        auto* w = qobject_cast<frmCompareResults*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        seen = true;
        EXPECT_EQ(w->Counts(true).total, 8);
        EXPECT_EQ(w->Counts(false).total, 6);
        EXPECT_EQ(w->Counts(false).Of(Category::Newer), 1);
        auto* list = w->findChild<QTreeWidget*>(U("lvwFileTypes"));
        EXPECT_EQ(list->topLevelItem(2)->text(0), U("Newer Files"));
        EXPECT_EQ(list->topLevelItem(4)->text(0), U("Different but same date/time Files"));
        EXPECT_EQ(list->topLevelItem(4)->text(1), U("1"));
        w->findChild<QRadioButton*>(U("optRightFolder"))->setChecked(true);
        EXPECT_EQ(list->topLevelItem(0)->text(1), U("6"));
        EXPECT_EQ(list->topLevelItem(9)->text(1), U("0")); // no orphan folder on the right
        w->findChild<QCheckBox*>(U("chkAutoShowGraphAfterCompare"))->setChecked(true);
        w->findChild<QPushButton*>(U("cmdOK"))->click();
    });
    Item("mnuViewCompareResultsSummary")->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(ctx->MainOptions().ShowGraphAfterCompare);
    EXPECT_TRUE(Item("mnuOptionsShowGraphAfterCompare")->isChecked());

    window->RemoveListItemsAndShowNoCompareMsg();
    Item("mnuViewCompareResultsSummary")->trigger();
    EXPECT_EQ(dialogs.last().text, U("No comparison has been executed"));
    EXPECT_EQ(dialogs.last().title, U("Comparison Results Summary"));
}

TEST_F(SelectionTest, TheSummaryRestoresAMinimisedWindowAndItsLegendNamesEverySlice)
{
    window->show();
    window->showMinimized();
    ASSERT_TRUE(window->isMinimized());
    bool seen = false;
    QTimer::singleShot(0, [this, &seen] {
        auto* w = qobject_cast<frmCompareResults*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        seen = true;
        EXPECT_FALSE(window->isMinimized()) << "the summary would stand in front of nothing";
        ASSERT_FALSE(w->Slices().empty());
        for (const PieSlice& slice : w->Slices()) {
            auto* line = w->findChild<QLabel*>(U("lblLegend") + CategoryKey(slice.category));
            ASSERT_NE(line, nullptr) << qPrintable(CategoryKey(slice.category));
            EXPECT_EQ(line->text(), frmCompareResults::LegendText(slice.category, w->Counts(true)));
        }
        w->findChild<QPushButton*>(U("cmdCancel"))->click();
    });
    Item("mnuViewCompareResultsSummary")->trigger();
    EXPECT_TRUE(seen);
}

TEST(PanePrint, CategoriesArePrintedInReadersWords)
{
    EXPECT_EQ(PrintedCategoryText(Category::IdenticalFolder), U("Identical folder"));
    EXPECT_EQ(PrintedCategoryText(Category::DifferentFolder), U("Different folder"));
    EXPECT_EQ(PrintedCategoryText(Category::Binary), U("Different contents"));
    EXPECT_EQ(PrintedCategoryText(Category::None), QString());
}

TEST(SummaryPie, SlicesHaveTheColoursOfTheRowPictures)
{
    for (int c = 1; c <= CategoryCount; ++c)
        EXPECT_EQ(SliceColour(Category(c)), CategoryColour(Category(c))) << c;
    EXPECT_EQ(SliceColour(Category::Orphan), SliceBrush(Category::OrphanFolder).color());
    EXPECT_EQ(SliceBrush(Category::Orphan).style(), Qt::SolidPattern);
    EXPECT_NE(SliceBrush(Category::OrphanFolder).style(), Qt::SolidPattern) << "folders apart from files";
    CategoryCounts c;
    c.count[0] = 1;
    c.count[3] = 3;
    c.total = 4;
    EXPECT_EQ(frmCompareResults::LegendText(Category::Newer, c), U("Newer (25%)"));
    EXPECT_EQ(frmCompareResults::LegendText(Category::Orphan, c), U("Orphan (75%)"));
}

TEST(SummaryPie, SlicesFollowTheSharesInTheirOrder)
{
    CategoryCounts c;
    EXPECT_TRUE(PieSlices(c).empty());
    c.count[static_cast<std::size_t>(static_cast<int>(Category::Same) - 1)] = 3;
    c.total = 3;
    std::vector<PieSlice> s = PieSlices(c);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_TRUE(s[0].whole);
    EXPECT_EQ(s[0].category, Category::Same);

    CategoryCounts half;
    half.count[static_cast<std::size_t>(static_cast<int>(Category::Older) - 1)] = 1;
    half.count[static_cast<std::size_t>(static_cast<int>(Category::Newer) - 1)] = 1;
    half.total = 2;
    s = PieSlices(half);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].category, Category::Newer); // three o'clock counter-clockwise to nine
    EXPECT_DOUBLE_EQ(s[0].start, 0.001);
    EXPECT_DOUBLE_EQ(s[0].end, 50.001);
    EXPECT_EQ(s[1].category, Category::Older);
    EXPECT_DOUBLE_EQ(s[1].end, 99.999);
}

TEST_F(SelectionTest, APrintoutOfThePanesNamesEveryRow)
{
    const QString pdftotext = QStandardPaths::findExecutable(U("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString pdf = appFolder.file(U("panes.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    PanePrintout printout = Commands().Printout();
    printout.leftFolder = U("/left/folder");
    printout.rightFolder = U("/right/folder");
    PaintPanes(printout, printer);
    QProcess p;
    p.start(pdftotext, {U("-layout"), pdf, U("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* expected : {"/left/folder", "/right/folder", "a.txt", "/Only", "Newer", "Orphan folder", "2000"})
        EXPECT_TRUE(text.contains(U(expected))) << expected << "\n" << text.toStdString();
    // Readers' words, not the program's internal keys.
    for (const char* key : {"OrphanFolder", "IdenticalFolder", "DifferentFolder"})
        EXPECT_FALSE(text.contains(U(key))) << key;

    window->RemoveListItemsAndShowNoCompareMsg();
    Item("mnuFilePrint")->trigger();
    EXPECT_EQ(dialogs.last().text, U("There are no items to print."));
}
