#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "app/GuiObjectCommands.h"
#include "model/PathUtils.h"
#include "fileops/GuiFileOpCommands.h"
#include "fileops/GuiStampRenameCommands.h"
#include "sync/GuiSyncCommands.h"
#include "sync/GuiSyncHistoryCommands.h"
#include "compare/GuiCompareCommands.h"
#include "compare/CCompare.h"
#include "compare/SubFolderCompare.h"
#include "diff/GuiDiffCommands.h"
#include "views/GuiSelectionCommands.h"
#include "settings/GuiSessionCommands.h"
#include "settings/GuiSettingsCommands.h"
#include "views/GuiSubFolderDiffCommands.h"
#include "views/GuiViewCommands.h"
#include "app/GuiToolbarPictures.h"
#include "base/UserDialogs.h"
#include "views/GuiCategoryPictures.h"
#include "views/GuiResultPane.h"
#include "views/ResultTableModel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Tool tips of the category buttons, in category order.
const std::array<const char*, CategoryCount> ViewButtonTips = {
    "Newer files",
    "Older files",
    "Identical files",
    "Orphan files (on one side only)",
    "Files with the same date but different contents",
    "Identical sub-folders",
    "Different sub-folders",
    "Orphan sub-folders (on one side only)",
};
} // namespace

QString frmMain::Caption() { return QStringLiteral("Parvex v") + QStringLiteral(PARVEX_VERSION); }

frmMain::frmMain(AppContext& ctx, QWidget* parent) : QMainWindow(parent), m_ctx(ctx), m_results(ctx.Errors())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption());
    setWindowIcon(ToolbarIcon(ToolbarPicture::Application));
    MakeNoResultsList(m_results.holdSource);
    MakeNoResultsList(m_results.holdTarget);

    m_commands = new GuiCommandRegistry(this);
    BuildPanes();
    BuildLayout();
    BuildMenus();
    BuildToolbar();
    WireCommands();
    BuildStatusBar();
    BindOptions();
    LoadSettings();
    RemoveListItemsAndShowNoCompareMsg();
    // Before any comparison there are no totals to show, only the view type.
    SetPanelText(4, ViewTypeText(CurrentViewType()));
    m_cboSource->setFocus();
    m_ctx.SetSettingsChangedListener([this] { RefreshOptionMarks(); });
    // Differences inside sub-folders that the option no longer gathers would be shown (and synchronised)
    // as if still current.
    m_ctx.Compare().SetOnSubFoldersSwitchedOff(
        [this] { CleanupPreviousSubFolderResults(m_ctx.Errors(), m_results.allSubFolderDiffs); });
}

frmMain::~frmMain()
{
    m_ctx.SetSettingsChangedListener({});
    m_ctx.Compare().SetOnSubFoldersSwitchedOff({});
    // The panes outlive this body (QWidget deletes its children later) but the hold lists do not.
    m_sourceModel->Reset(PaneRows{});
    m_targetModel->Reset(PaneRows{});
}

void frmMain::BuildLayout()
{
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    layout->addWidget(BuildSide(true), 1);
    layout->addWidget(BuildViewButtons(), 0);
    layout->addWidget(BuildSide(false), 1);
    setCentralWidget(central);
    resize(900, 620);
}

QWidget* frmMain::BuildSide(bool source)
{
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    auto* box = new QComboBox(side);
    box->setObjectName(source ? QStringLiteral("cboSourcePath") : QStringLiteral("cboTargetPath"));
    box->setToolTip(source ? QStringLiteral("Left (source) folder") : QStringLiteral("Right (target) folder"));
    (source ? m_cboSource : m_cboTarget) = box;
    BuildFolderBox(box);
    auto* browse = new QToolButton(side);
    browse->setObjectName(source ? QStringLiteral("imgSelectSource") : QStringLiteral("imgSelectTarget"));
    browse->setIcon(ToolbarIcon(ToolbarPicture::BrowseFolder));
    browse->setIconSize(QSize(20, 20));
    browse->setAutoRaise(true);
    browse->setToolTip(QStringLiteral("Choose the folder"));
    connect(browse, &QToolButton::clicked, this, [this, source] { BrowseForFolder(source); });
    row->addWidget(box, 1);
    row->addWidget(browse, 0);
    column->addLayout(row);
    column->addWidget(source ? m_lvwSource : m_lvwTarget, 1);
    return side;
}

QWidget* frmMain::BuildViewButtons()
{
    auto* strip = new QWidget(this);
    auto* column = new QVBoxLayout(strip);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    // Level with the top of the panes, below the folder boxes.
    column->addSpacing(m_cboSource->sizeHint().height() + 3 + 20);
    for (int k = 1; k <= CategoryCount; ++k) {
        auto* button = new QToolButton(strip);
        button->setObjectName(QStringLiteral("imgViews") + QString::number(k));
        button->setAutoRaise(true);
        button->setIconSize(QSize(24, 24));
        button->setToolTip(QString::fromLatin1(ViewButtonTips[static_cast<size_t>(k - 1)]));
        connect(button, &QToolButton::clicked, this, [this, k] { imgViews_Click(k); });
        m_imgViews[static_cast<size_t>(k - 1)] = button;
        column->addWidget(button, 0, Qt::AlignHCenter);
        if (k == 5)
            column->addSpacing(10); // the folder categories form a group of their own
    }
    column->addStretch(1);
    return strip;
}

void frmMain::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusBar1Panel") + QString::number(i + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        m_panels[static_cast<size_t>(i)] = label;
        // Panels 1 and 2 describe the panes and share the width; 3 and 4 are short words.
        if (i < 2)
            bar->addWidget(label, 1);
        else
            bar->addPermanentWidget(label, 0);
        if (i >= 2)
            label->setMinimumWidth(80);
    }
}

QString frmMain::PanelText(int panel) const
{
    if (panel < 1 || panel > 4)
        return {};
    return m_panels[static_cast<size_t>(panel - 1)]->text();
}

void frmMain::SetPanelText(int panel, const QString& text)
{
    if (panel < 1 || panel > 4)
        return;
    m_panels[static_cast<size_t>(panel - 1)]->setText(text);
}

QString frmMain::ComparedFolder(const GuiResultPane* pane) const
{
    const CDir& dir = pane == m_lvwTarget ? m_results.target : m_results.source;
    return AddTrailingBackslash(dir.Path());
}

QString frmMain::PaneFolder(const GuiResultPane* pane) const
{
    const QComboBox* box = pane == m_lvwTarget ? m_cboTarget : m_cboSource;
    QString folder = box->currentText().trimmed();
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void frmMain::ExitWithoutAsking()
{
    m_askBeforeClosing = false;
    close();
    m_askBeforeClosing = true;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_askBeforeClosing) {
        const auto answer = m_ctx.Dialogs().Message(QStringLiteral("You are about to exit Parvex.  Continue?"),
                                                    QStringLiteral("Exit Parvex"), UserDialogs::Icon::Question,
                                                    UserDialogs::Buttons::YesNo);
        if (answer != UserDialogs::Answer::Yes) {
            event->ignore();
            return;
        }
    }
    if (!MenusEnabled()) {
        // A long operation is at work inside this window's event loop: stop it and close when it ends.
        m_ctx.Compare().SetCompareCancelled(true);
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        SetSyncScrolling(false);
        SaveSettings();
        if (m_ctx.Sounds().SoundOn())
            m_ctx.Sounds().PlayExitSound();
    }
    event->accept();
}
