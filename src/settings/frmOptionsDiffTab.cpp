#include "settings/frmOptionsDiffTab.h"

#include "app/AppContext.h"
#include "diff/cViewFileDiffsOptions.h"
#include "settings/GuiOptionWidgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

frmOptionsDiffTab::frmOptionsDiffTab(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx)
{
    const cViewFileDiffsOptions& o = ctx.DiffOptions();

    auto* ignoreBox = new QGroupBox(QStringLiteral("Ignore"), this);
    auto* ignoreLayout = new QVBoxLayout(ignoreBox);
    m_chkIgnoreCase = MakeCheck(ignoreBox, "chkIgnoreCase", QStringLiteral("C&ase"));
    m_chkIgnoreWhiteSpace = MakeCheck(ignoreBox, "chkIgnoreWhiteSpace", QStringLiteral("&White Space"));
    m_chkIgnoreCase->setChecked(o.IgnoreCase());
    m_chkIgnoreWhiteSpace->setChecked(o.IgnoreWhiteSpace());
    ignoreLayout->addWidget(m_chkIgnoreCase);
    ignoreLayout->addWidget(m_chkIgnoreWhiteSpace);

    auto* formatBox = new QGroupBox(QStringLiteral("Format"), this);
    auto* formatLayout = new QVBoxLayout(formatBox);
    m_optVisual = MakeOption(formatBox, "optFormat_0", QStringLiteral("&Visual (side by side)"));
    m_optUnix = MakeOption(formatBox, "optFormat_1", QStringLiteral("&Unix (diff output)"));
    (o.Format() == cViewFileDiffsOptions::Unix ? m_optUnix : m_optVisual)->setChecked(true);
    formatLayout->addWidget(m_optVisual);
    formatLayout->addWidget(m_optUnix);

    m_chkShowOptionsDialog = MakeCheck(this, "chkShowOptionsDialog",
                                       QStringLiteral("&Prompt for options before showing file differences"));
    m_chkShowOptionsDialog->setChecked(o.ShowOptionsDialog());

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(ignoreBox);
    boxes->addWidget(formatBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addWidget(m_chkShowOptionsDialog);
    layout->addStretch();
}

void frmOptionsDiffTab::Apply()
{
    cViewFileDiffsOptions& o = m_ctx.DiffOptions();
    o.SetIgnoreCase(m_chkIgnoreCase->isChecked());
    o.SetIgnoreWhiteSpace(m_chkIgnoreWhiteSpace->isChecked());
    o.SetShowOptionsDialog(m_chkShowOptionsDialog->isChecked());
    o.SetFormat(m_optUnix->isChecked() ? cViewFileDiffsOptions::Unix : cViewFileDiffsOptions::Visual);
}
