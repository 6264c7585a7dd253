#include "settings/frmOptionsGeneralTab.h"

#include "app/AppContext.h"
#include "settings/GuiOptionWidgets.h"
#include "settings/MainOptions.h"
#include "settings/frmMaintainFolderLists.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

frmOptionsGeneralTab::frmOptionsGeneralTab(AppContext& ctx, const FolderComboBoxes& boxes, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_boxes(boxes)
{
    MainOptions& o = ctx.MainOptions();
    const auto bind = [this](QWidget* owner, const char* name, const QString& caption, bool& flag) {
        QCheckBox* check = MakeCheck(owner, name, caption);
        check->setChecked(flag);
        m_bindings.append({check, &flag});
        return check;
    };

    auto* confirm = new QGroupBox(QStringLiteral("Confirmations"), this);
    auto* confirmLayout = new QVBoxLayout(confirm);
    confirmLayout->addWidget(bind(confirm, "chkConfirmCopy", QStringLiteral("Confirm &Copy"), o.ShowCopyConfirmations));
    confirmLayout->addWidget(bind(confirm, "chkConfirmMove", QStringLiteral("Confirm &Move"), o.ShowMoveConfirmations));
    confirmLayout->addWidget(
        bind(confirm, "chkConfirmDelete", QStringLiteral("Confirm &Delete"), o.ShowDeleteConfirmations));
    confirmLayout->addWidget(bind(confirm, "chkConfirmSynchronize", QStringLiteral("Confirm S&ynchronize"),
                                  o.ShowSynchronizeConfirmations));
    confirmLayout->addWidget(bind(confirm, "chkConfirmDateTimeChange", QStringLiteral("Confirm Date/&Time Change"),
                                  o.ShowDateTimeChangeConfirmations));
    confirmLayout->addStretch();

    auto* auto_ = new QGroupBox(QStringLiteral("Compare Again Automatically"), this);
    auto* autoLayout = new QVBoxLayout(auto_);
    autoLayout->addWidget(bind(auto_, "chkAutoCompareAfterFileOp", QStringLiteral("After &File Operations"),
                               o.AutoCompareAfterFileOp));
    autoLayout->addWidget(bind(auto_, "chkAutoCompareAfterSynchronization", QStringLiteral("After Sy&nchronization"),
                               o.AutoCompareAfterSync));
    autoLayout->addWidget(bind(auto_, "chkAutoCompareAfterFilterChange", QStringLiteral("After Filter C&hange"),
                               o.AutoCompareAfterFilter));
    autoLayout->addWidget(bind(auto_, "chkAutoCompareAfterCompareMethodChange",
                               QStringLiteral("After Compare Method Chan&ge"), o.AutoCompareAfterCompareMethodChange));
    autoLayout->addWidget(bind(auto_, "chkAutoCompareAfterNewSubFolder",
                               QStringLiteral("After Creation of New Sub-Fo&lder"),
                               o.AutoCompareAfterCreationOfNewFolder));
    autoLayout->addWidget(bind(auto_, "chkAutoCompareAfterDateTimeChange", QStringLiteral("After Date/Time Ch&ange"),
                               o.AutoCompareAfterDateTimeChange));
    autoLayout->addStretch();

    auto* other = new QGroupBox(QStringLiteral("Other"), this);
    auto* otherLayout = new QGridLayout(other);
    otherLayout->addWidget(bind(other, "chkSyncScrolling", QStringLiteral("Sync Folder Contents &Scrolling"),
                                o.SyncScrolling), 0, 0);
    otherLayout->addWidget(bind(other, "chkAutoShowGraphAfterCompare", QStringLiteral("Show S&ummary After Compare"),
                                o.ShowGraphAfterCompare), 0, 1);
    otherLayout->addWidget(bind(other, "chkPromptForSyncMethod", QStringLiteral("&Prompt for Sync Method"),
                                o.PromptForSyncMethod), 1, 0);
    otherLayout->addWidget(bind(other, "chkAutoCompleteFolderPath", QStringLiteral("Auto-Complete Folder Pa&ths"),
                                o.AutoCompleteFolderPath), 1, 1);

    auto* maintain = MakeButton(this, "cmdMaintainFolderLists", QStringLiteral("Maintain Folder L&ists..."));
    // Without the main window's folder boxes there is nothing to maintain.
    maintain->setEnabled(boxes.source != nullptr && boxes.target != nullptr);
    connect(maintain, &QPushButton::clicked, this, [this] {
        frmMaintainFolderLists window(m_ctx, m_boxes, this);
        window.exec();
    });

    auto* top = new QHBoxLayout;
    top->addWidget(confirm);
    top->addWidget(auto_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(maintain);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(other);
    layout->addStretch();
    layout->addLayout(bottom);
}

void frmOptionsGeneralTab::Apply()
{
    for (const Binding& b : std::as_const(m_bindings))
        *b.flag = b.check->isChecked();
}
