#include "sync/frmSyncWizard.h"

#include "app/AppContext.h"
#include "sync/GuiSyncMethodChoice.h"
#include "sync/frmCustomSync.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* FolderLabel(const QString& folder, const char* name, QWidget* parent)
{
    auto* label = new QLabel(folder, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setToolTip(folder);
    return label;
}

} // namespace

frmSyncWizard::frmSyncWizard(AppContext& ctx, const QString& leftFolder, const QString& rightFolder,
                             bool selectedOnly, ActionByName menuItems, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_menuItems(std::move(menuItems)), m_selectedOnly(selectedOnly)
{
    setObjectName(QStringLiteral("frmSyncWizard"));
    setWindowTitle(QStringLiteral("Folder Synchronization Method"));
    setModal(true);

    auto* prompt = new QLabel(QStringLiteral("Please specify the synchronization method to use.  Press OK to continue."),
                              this);
    prompt->setObjectName(QStringLiteral("lblPrompt"));

    auto* frame = new QGroupBox(QStringLiteral("Sync Methods"), this);
    frame->setObjectName(QStringLiteral("fraSyncMethods"));
    m_method = new GuiSyncMethodChoice(
        frame, ctx.SyncSettings().SyncMethod(),
        QStringLiteral(" Press the Set Custom Settings button below to select your custom settings."));
    m_cmdCustomSettings = new QPushButton(QStringLiteral("Set &Custom Settings"), frame);
    m_cmdCustomSettings->setObjectName(QStringLiteral("cmdCustomSettings"));
    auto* methods = new QGridLayout(frame);
    methods->addWidget(m_method->List(), 0, 0, 1, 2);
    methods->addWidget(m_method->Description(), 1, 0);
    methods->addWidget(m_method->Picture(), 1, 1, Qt::AlignTop);
    methods->addWidget(m_cmdCustomSettings, 2, 0, 1, 2, Qt::AlignLeft);
    methods->setColumnStretch(0, 1);

    auto* folders = new QGridLayout;
    folders->addWidget(new QLabel(QStringLiteral("Left Folder:"), this), 0, 0);
    folders->addWidget(FolderLabel(leftFolder, "lblLeftFolder", this), 0, 1);
    folders->addWidget(new QLabel(QStringLiteral("Right Folder:"), this), 1, 0);
    folders->addWidget(FolderLabel(rightFolder, "lblRightFolder", this), 1, 1);
    folders->setColumnStretch(1, 1);

    m_chkPromptForSyncMethod = new QCheckBox(QStringLiteral("Show this before each sync operation"), this);
    m_chkPromptForSyncMethod->setObjectName(QStringLiteral("chkPromptForSyncMethod"));
    m_chkSyncSelectedOnly = new QCheckBox(QStringLiteral("Sync Selected Objects Only"), this);
    m_chkSyncSelectedOnly->setObjectName(QStringLiteral("chkSyncSelectedOnly"));

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(frame);
    layout->addLayout(folders);
    layout->addWidget(m_chkPromptForSyncMethod);
    layout->addWidget(m_chkSyncSelectedOnly);
    layout->addWidget(buttons);

    try {
        m_chkPromptForSyncMethod->setChecked(ctx.MainOptions().PromptForSyncMethod);
        m_chkSyncSelectedOnly->setChecked(selectedOnly);
        MethodChanged(m_method->SelectedMethod());
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSyncWizard.Form_Load"));
    }
    connect(m_method, &GuiSyncMethodChoice::MethodChanged, this, &frmSyncWizard::MethodChanged);
    connect(m_cmdCustomSettings, &QPushButton::clicked, this, &frmSyncWizard::ShowCustomSettings);
    connect(ok, &QPushButton::clicked, this, &frmSyncWizard::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_method->List()->setFocus();
}

bool frmSyncWizard::Ask(AppContext& ctx, QWidget* parent, const QString& leftFolder, const QString& rightFolder,
                        bool& selectedOnly, const ActionByName& menuItems)
{
    frmSyncWizard wizard(ctx, leftFolder, rightFolder, selectedOnly, menuItems, parent);
    wizard.exec();
    if (!wizard.Proceed())
        return false;
    selectedOnly = wizard.SelectedOnly();
    return true;
}

// The custom rules are set in their own window; the other methods' rules are fixed.
void frmSyncWizard::MethodChanged(int32_t method)
{
    m_cmdCustomSettings->setEnabled(method == CSyncSettings::Custom);
}

void frmSyncWizard::ShowCustomSettings()
{
    try {
        frmCustomSync editor(m_ctx.SyncSettings(), m_ctx.Errors(), this);
        editor.exec();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSyncWizard.cmdCustomSettings_Click"));
    }
}

void frmSyncWizard::Confirm()
{
    try {
        m_ctx.MainOptions().PromptForSyncMethod = m_chkPromptForSyncMethod->isChecked();
        m_selectedOnly = m_chkSyncSelectedOnly->isChecked();
        // A predefined method brings its own rules; Custom keeps what the editor stored.
        m_ctx.SyncSettings().SetSyncMethod(m_method->SelectedMethod());
        if (m_menuItems)
            RefreshOptionMarks(m_menuItems, m_ctx.SettingOwners());
        m_ctx.SettingsChanged();
        m_proceed = true;
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSyncWizard.OKButton_Click"));
    }
    accept();
}
