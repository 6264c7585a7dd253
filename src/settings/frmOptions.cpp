#include "settings/frmOptions.h"

#include "app/AppContext.h"
#include "settings/GuiOptionWidgets.h"
#include "settings/frmOptionsCompareTab.h"
#include "settings/frmOptionsDiffTab.h"
#include "settings/frmOptionsFiltersTab.h"
#include "settings/frmOptionsGeneralTab.h"
#include "settings/frmOptionsSoundsTab.h"
#include "settings/frmOptionsSyncTab.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

frmOptions::frmOptions(AppContext& ctx, const Setup& setup, QWidget* parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tbsOptions"));
    m_general = new frmOptionsGeneralTab(ctx, setup.folderBoxes, m_tabs);
    m_compare = new frmOptionsCompareTab(ctx, setup.shaAvailable, m_tabs);
    m_filters = new frmOptionsFiltersTab(ctx, m_tabs);
    m_sync = new frmOptionsSyncTab(ctx, m_tabs);
    m_sounds = new frmOptionsSoundsTab(ctx, m_tabs);
    m_appearance = new frmOptionsAppearanceTab(ctx, m_tabs);
    m_diff = new frmOptionsDiffTab(ctx, m_tabs);
    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_tabs->addTab(m_compare, QStringLiteral("Compare"));
    m_tabs->addTab(m_filters, QStringLiteral("Include/Exclude"));
    m_tabs->addTab(m_sync, QStringLiteral("Synchronize"));
    m_tabs->addTab(m_sounds, QStringLiteral("Sounds"));
    m_tabs->addTab(m_appearance, QStringLiteral("Appearance"));
    m_tabs->addTab(m_diff, QStringLiteral("View File Diffs"));
    m_tabs->setCurrentIndex(setup.tab);

    auto* ok = MakeButton(this, "cmdOK", QStringLiteral("OK"));
    auto* cancel = MakeButton(this, "cmdCancel", QStringLiteral("Cancel"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    resize(720, 500);

    connect(ok, &QPushButton::clicked, this, &frmOptions::OkButton_Click);
    connect(cancel, &QPushButton::clicked, this, &frmOptions::CancelButton_Click);
}

frmOptions::~frmOptions() = default;

void frmOptions::SetFontPicker(frmOptionsAppearanceTab::FontPicker picker) { m_appearance->SetFontPicker(std::move(picker)); }

void frmOptions::OkButton_Click()
{
    m_filtersChanged = false;
    m_methodChanged = false;
    // A bad chunk size must not reach the comparison: the window stays open on it.
    if (!m_compare->ChunkSizeIsValid()) {
        m_tabs->setCurrentWidget(m_compare);
        m_compare->ValidateChunkSize(false);
        return;
    }
    try {
        m_general->Apply();
        m_methodChanged = m_compare->Apply();
        m_filtersChanged = m_filters->Apply();
        m_sync->Apply();
        m_sounds->Apply();
        m_appearance->Apply();
        m_diff->Apply();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.OKButton_Click"));
    }
    accept();
}

void frmOptions::CancelButton_Click()
{
    m_filtersChanged = false;
    m_methodChanged = false;
    reject();
}
