#include "sync/frmCustomSync.h"

#include "base/ErrorHandler.h"
#include "sync/CSyncSettings.h"
#include "sync/GuiSyncRuleFrame.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

frmCustomSync::frmCustomSync(CSyncSettings& sync, ErrorHandler& errors, QWidget* parent)
    : QDialog(parent), m_sync(sync), m_errors(errors), m_fraCustomSync(new GuiSyncRuleFrame(QString(), this))
{
    setObjectName(QStringLiteral("frmCustomSync"));
    setWindowTitle(QStringLiteral("Specify Custom Synchronization Options"));
    setModal(true);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &frmCustomSync::Store);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fraCustomSync);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    try {
        m_fraCustomSync->ShowRules(m_sync.AllRules());
        m_fraCustomSync->ShowFollowDeletions(m_sync.FollowDeletions());
    } catch (...) {
        m_errors.HandleUnexpectedError(QStringLiteral("frmCustomSync.Form_Load"));
    }
}

void frmCustomSync::Store()
{
    try {
        m_sync.SetAllRules(m_fraCustomSync->ChosenRules());
        m_sync.SetFollowDeletions(m_fraCustomSync->ChosenFollowDeletions());
    } catch (...) {
        m_errors.HandleUnexpectedError(QStringLiteral("frmCustomSync.OKButton_Click"));
    }
    accept();
}
