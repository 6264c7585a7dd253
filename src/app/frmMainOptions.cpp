#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "base/UserDialogs.h"
#include "compare/CompareMethod.h"
#include "compare/RowFormat.h"
#include "compare/Sha1.h"
#include "compare/CCompare.h"
#include "model/CDir.h"
#include "model/FilterStore.h"
#include "model/Filters.h"
#include "platform/CIniFile.h"
#include "settings/FolderLists.h"
#include "settings/GuiFolderCombos.h"
#include "settings/GuiOptionMarks.h"
#include "settings/OptionTable.h"
#include "settings/SettingsTable.h"
#include "settings/frmOptions.h"
#include "views/GuiResultPane.h"
#include "compare/ResultList.h"
#include "views/ResultTableModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

// A click on a check mark of the Options menu sets its setting at once; the option table says which.
void frmMain::BindOptions()
{
    OptionMarkHooks hooks;
    hooks.inform = [this](const QString& text, const QString& title) { m_ctx.Lib().ShowInformationMessage(text, title); };
    hooks.afterToggle = [this](const char* item, bool checked) {
        if (qstrcmp(item, "mnuOptionsSyncScrolling") == 0)
            SetSyncScrolling(checked);
        else if (qstrcmp(item, "mnuOptionsAutoCompleteFolderPath") == 0)
            ApplyAutoComplete();
    };
    BindOptionMarks([this](const QString& name) { return Action(name); }, m_ctx.SettingOwners(), this, hooks);
}

// Sets every check mark of the Options and View menus from the settings in memory.
void frmMain::RefreshOptionMarks()
{
    ::RefreshOptionMarks([this](const QString& name) { return Action(name); }, m_ctx.SettingOwners());
    CheckViewMenuItem(CurrentViewType());
    SetSyncScrolling(m_ctx.MainOptions().SyncScrolling);
    ApplyAutoComplete();
}

SettingsEnvironment frmMain::Environment()
{
    SettingsEnvironment env;
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    env.screenWidthTwips = area.width() * MainOptions::TwipsPerPixel;
    env.screenHeightTwips = area.height() * MainOptions::TwipsPerPixel;
    env.startFontName = m_startFont.family();
    env.startFontSize = m_startFont.pointSizeF();
    env.shaAvailable = IsSHA1Available();
    env.viewSelectionsLoaded = [this] { DisplayViewSelections(); };
    return env;
}

// Puts the loaded settings into the window: check marks, toolbar, scrolling, font, size and columns.
void frmMain::ApplyLoadedSettings()
{
    RefreshOptionMarks();
    // The filter panel says at once whether the loaded filters narrow the next comparison, not only
    // after it has run.
    SetPanelText(3, CDir::FilterStatusText(m_ctx.Compare().IncludeFilters(), m_ctx.Compare().ExcludeFilters()));
    Action(QStringLiteral("mnuOptionsCompareTypeSHA"))->setVisible(IsSHA1Available());
    DisplayViewSelections();
    SetToolbarStyle(m_ctx.MainOptions().CoolbarStyle);
    ApplyPaneFont();
    MainOptions& o = m_ctx.MainOptions();
    // Only a size and widths the user left behind are kept as they are: the stored defaults are a small
    // window whose date column is cut off.
    CIniFile ini(m_ctx.AppFolder(), m_ctx.Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    ini.TakeSnapshot();
    const auto stored = [&ini](const char* section, const char* key) {
        return !ini.Get(QString::fromLatin1(section), QString::fromLatin1(key), QString()).isEmpty();
    };
    if (!stored("Form Dimensions", "Width") || !stored("Form Dimensions", "Height"))
        ChooseFirstRunPlace(o);
    m_fitSourceColumns = !stored("ColumnWidths", "SourceColumnOne");
    m_fitTargetColumns = !stored("ColumnWidths", "TargetColumnOne");
    // A first guess from the window's width; the real fit follows once the layout has placed the panes.
    if (m_fitSourceColumns)
        o.SourceColumnWidths = FittedColumnWidths(o.WidthTwips / MainOptions::TwipsPerPixel);
    if (m_fitTargetColumns)
        o.TargetColumnWidths = FittedColumnWidths(o.WidthTwips / MainOptions::TwipsPerPixel);
    for (int c = 0; c < 3; ++c) {
        m_lvwSource->header()->resizeSection(c, o.SourceColumnWidths[static_cast<size_t>(c)]);
        m_lvwTarget->header()->resizeSection(c, o.TargetColumnWidths[static_cast<size_t>(c)]);
    }
    // Stored widths from a smaller font would cut the sizes and dates short.
    m_lvwSource->FitDataColumnsToFont();
    m_lvwTarget->FitDataColumnsToFont();
    if (o.State == MainOptions::WindowState::Maximized) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    setWindowState(Qt::WindowNoState);
    resize(o.WidthTwips / MainOptions::TwipsPerPixel, o.HeightTwips / MainOptions::TwipsPerPixel);
    move(o.LeftTwips / MainOptions::TwipsPerPixel, o.TopTwips / MainOptions::TwipsPerPixel);
    if (isVisible() && (m_fitSourceColumns || m_fitTargetColumns))
        QTimer::singleShot(0, this, [this] { FitColumnsToPanes(); });
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_fitSourceColumns || m_fitTargetColumns)
        FitColumnsToPanes();
}

void frmMain::FitColumnsToPanes()
{
    const QFontMetrics metrics(m_lvwSource->font());
    for (GuiResultPane* pane : {m_lvwSource, m_lvwTarget}) {
        bool& pending = pane == m_lvwSource ? m_fitSourceColumns : m_fitTargetColumns;
        if (!pending)
            continue;
        pending = false;
        // Room for the vertical scroll bar is kept whether or not it shows yet: results bring it.
        const int room = pane->width() - 2 * pane->frameWidth() - pane->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        QHeaderView* header = pane->header();
        const int size = header->sectionSize(ResultTableModel::SizeColumn);
        const int date = header->sectionSize(ResultTableModel::DateColumn);
        const int name = qMax(MainOptions::DefaultColumnWidths[0], room - size - date);
        header->resizeSection(ResultTableModel::NameColumn, name);
        header->resizeSection(ResultTableModel::DateColumn, qMax(date, room - name - size));
    }
}

void frmMain::ChooseFirstRunPlace(MainOptions& o)
{
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Four fifths of the screen shows a useful number of rows of both panes and leaves the desktop
    // visible around the window; a very large screen does not need a window wider than 1600 pixels.
    const int width = qBound(MainOptions::DefaultWidthTwips / MainOptions::TwipsPerPixel, area.width() * 4 / 5, 1600);
    const int height = qBound(MainOptions::DefaultHeightTwips / MainOptions::TwipsPerPixel, area.height() * 4 / 5, 1000);
    o.WidthTwips = qMin(width, area.width()) * MainOptions::TwipsPerPixel;
    o.HeightTwips = qMin(height, area.height()) * MainOptions::TwipsPerPixel;
    o.LeftTwips = (area.left() + qMax(0, (area.width() - o.WidthTwips / MainOptions::TwipsPerPixel) / 2))
                  * MainOptions::TwipsPerPixel;
    o.TopTwips = (area.top() + qMax(0, (area.height() - o.HeightTwips / MainOptions::TwipsPerPixel) / 2))
                 * MainOptions::TwipsPerPixel;
}

std::array<int, 3> frmMain::FittedColumnWidths(int windowWidth) const
{
    const QFontMetrics metrics(m_lvwSource->font());
    const int padding = 2 * m_lvwSource->style()->pixelMetric(QStyle::PM_HeaderMargin) + 12;
    // The widest texts these columns show in practice: a size in the terabytes and a two-digit day.
    const int size = metrics.horizontalAdvance(FormatSizeText(Q_INT64_C(999999999999))) + padding;
    const int date = metrics.horizontalAdvance(FormatDateText(Q_INT64_C(133497215990000000))) + padding;
    // Each pane gets half of what the window leaves beside the category buttons.
    const QWidget* strip = m_imgViews[0] != nullptr ? m_imgViews[0]->parentWidget() : nullptr;
    const int stripWidth = strip != nullptr ? strip->sizeHint().width() : 40;
    const int chrome = 2 * m_lvwSource->frameWidth() + m_lvwSource->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int pane = (windowWidth - stripWidth - 16) / 2 - chrome;
    const int name = qMax(MainOptions::DefaultColumnWidths[0], pane - size - date);
    return {name, size, date};
}

void frmMain::LoadSettings()
{
    m_startFont = m_lvwSource->font();
    try {
        // The first run has no settings file: the help is the place to start.
        if (!QFile::exists(m_ctx.AppFile(QStringLiteral("parvex.ini"))))
            m_commands->Run(QStringLiteral("mnuHelpContents"));
        // Read once per start, so the problems of the file are shown once.
        ShowSettingsProblems(LoadSettingsFromIni(m_ctx.SettingsStore(), m_ctx.SettingOwners(), Environment()),
                             m_ctx.Dialogs());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.LoadSettingsFromIni"));
    }
    ApplyLoadedSettings();
    PopulateFolderBoxes();
}

void frmMain::SaveSettings()
{
    try {
        MainOptions& o = m_ctx.MainOptions();
        o.State = isMaximized() ? MainOptions::WindowState::Maximized
                  : isMinimized() ? MainOptions::WindowState::Minimized
                                  : MainOptions::WindowState::Normal;
        if (o.State == MainOptions::WindowState::Normal) {
            const QRect frame = frameGeometry();
            o.HeightTwips = height() * MainOptions::TwipsPerPixel;
            o.WidthTwips = width() * MainOptions::TwipsPerPixel;
            o.TopTwips = frame.top() * MainOptions::TwipsPerPixel;
            o.LeftTwips = frame.left() * MainOptions::TwipsPerPixel;
        }
        for (int c = 0; c < 3; ++c) {
            o.SourceColumnWidths[static_cast<size_t>(c)] = m_lvwSource->header()->sectionSize(c);
            o.TargetColumnWidths[static_cast<size_t>(c)] = m_lvwTarget->header()->sectionSize(c);
        }
        o.FontName = m_lvwSource->font().family();
        o.FontSize = m_lvwSource->font().pointSizeF();
        SaveSettingsToIni(m_ctx.SettingsStore(), m_ctx.SettingOwners());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.SaveSettingsToIni"));
    }
}

void frmMain::ReloadSessionSettings()
{
    // The boxes are refilled by the program, not chosen by the user.
    PopulatingFolderCombos = true;
    try {
        PopulateFolderBoxes();
        ShowSettingsProblems(LoadSettingsFromIni(m_ctx.SettingsStore(), m_ctx.SettingOwners(), Environment()),
                             m_ctx.Dialogs());
    } catch (...) {
        PopulatingFolderCombos = false;
        throw;
    }
    PopulatingFolderCombos = false;
    const auto folder = [](const QComboBox* box) {
        return FolderLists::IsEntry(box->currentText()) ? box->currentText() : QString();
    };
    m_results.source.SetPath(folder(m_cboSource));
    m_results.target.SetPath(folder(m_cboTarget));
    RemoveListItemsAndShowNoCompareMsg();
    for (int panel = 1; panel <= 4; ++panel)
        SetPanelText(panel, QString());
    ApplyLoadedSettings();
}

void frmMain::RestoreDefaultOptions()
{
    try {
        RemoveListItemsAndShowNoCompareMsg();
        ::RestoreDefaultOptions(m_ctx.SettingsStore(), m_ctx.SettingOwners(), Environment(), [this] {
            PopulatingFolderCombos = true;
            PopulateFolderBoxes();
            PopulatingFolderCombos = false;
        });
    } catch (...) {
        PopulatingFolderCombos = false;
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuOptionsRestoreDefaults_Click"));
    }
    ApplyLoadedSettings();
    for (int panel = 1; panel <= 4; ++panel)
        SetPanelText(panel, QString());
    QApplication::processEvents();
    m_cboSource->setFocus();
}

FolderComboBoxes frmMain::FolderBoxes()
{
    FolderComboBoxes boxes;
    boxes.source = m_cboSource;
    boxes.target = m_cboTarget;
    boxes.populatingFolderCombos = &PopulatingFolderCombos;
    return boxes;
}

void frmMain::PopulateFolderBoxes()
{
    try {
        PopulateDirComboBoxesFromIniFile(m_ctx, FolderBoxes());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.PopulateDirComboBoxesFromIniFile"));
    }
}

void frmMain::AddPathsToIni(const QString& source, const QString& target)
{
    try {
        ::AddPathsToIni(m_ctx, FolderBoxes(), source, target);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.AddPathsToIni"));
    }
}

void frmMain::ApplyPaneFont()
{
    const MainOptions& o = m_ctx.MainOptions();
    QFont font = m_startFont;
    if (!o.FontName.isEmpty())
        font.setFamily(o.FontName);
    if (o.FontSize > 0)
        font.setPointSizeF(o.FontSize);
    m_lvwSource->setFont(font);
    m_lvwTarget->setFont(font);
    m_lvwSource->FitDataColumnsToFont();
    m_lvwTarget->FitDataColumnsToFont();
}

// The Options window on one of its tabs. Afterwards the menus show what it changed, the panes take its
// font, and changed filters or a changed method compare again or clear the results.
void frmMain::OpenOptionsWindow(int tab)
{
    try {
        frmOptions::Setup setup;
        setup.tab = static_cast<frmOptions::Tab>(qBound(0, tab - 1, static_cast<int>(frmOptions::ViewFileDiffs)));
        setup.folderBoxes = FolderBoxes();
        setup.shaAvailable = IsSHA1Available();
        bool filtersChanged = false;
        bool methodChanged = false;
        {
            frmOptions options(m_ctx, setup, this);
            options.exec();
            filtersChanged = options.FiltersChanged();
            methodChanged = options.ComparisonMethodChanged();
        }
        RefreshOptionMarks();
        SetToolbarStyle(m_ctx.MainOptions().CoolbarStyle);
        ApplyPaneFont();
        ResultsChangedByOption(filtersChanged, methodChanged);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.OpenOptionsWindow"));
    }
}

// After the Options window closed: changed filters first, then a changed comparison method, each either
// comparing again or clearing the results as its automatic-comparison option says.
void frmMain::ResultsChangedByOption(bool filtersChanged, bool methodChanged)
{
    if (filtersChanged)
        AfterFilterChange();
    if (methodChanged) {
        if (m_ctx.MainOptions().AutoCompareAfterCompareMethodChange)
            CompareDirs(false, false);
        else
            RemoveListItemsAndShowNoCompareMsg();
    }
}

void frmMain::AfterFilterChange()
{
    SetPanelText(3, CDir::FilterStatusText(m_ctx.Compare().IncludeFilters(), m_ctx.Compare().ExcludeFilters()));
    if (m_ctx.MainOptions().AutoCompareAfterFilter)
        CompareDirs(false, false);
    else
        RemoveListItemsAndShowNoCompareMsg();
}


