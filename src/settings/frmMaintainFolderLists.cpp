#include "settings/frmMaintainFolderLists.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "settings/FolderLists.h"
#include "settings/GuiOptionWidgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QListWidget* MakeList(const char* name, const QStringList& items, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (const QString& item : items) {
        // The placeholder tells the user how to choose a folder; it is no folder of the list.
        if (FolderLists::IsEntry(item))
            list->addItem(item);
    }
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

} // namespace

frmMaintainFolderLists::frmMaintainFolderLists(AppContext& ctx, const FolderComboBoxes& boxes, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_boxes(boxes)
{
    setObjectName(QStringLiteral("frmMaintainFolderLists"));
    setWindowTitle(QStringLiteral("Maintain Folder Lists"));

    m_optRight = MakeOption(this, "optFolderList_0", QStringLiteral("&Right Folder List"));
    m_optLeft = MakeOption(this, "optFolderList_1", QStringLiteral("&Left Folder List"));
    auto* options = new QHBoxLayout;
    options->addWidget(m_optLeft);
    options->addWidget(m_optRight);
    options->addStretch();

    m_leftList = MakeList("lstLeftFolderList", ComboItems(boxes.source), this);
    m_rightList = MakeList("lstRightFolderList", ComboItems(boxes.target), this);

    m_txtNewFolderName = new QLineEdit(this);
    m_txtNewFolderName->setObjectName(QStringLiteral("txtNewFolderName"));
    auto* browse = MakeButton(this, "cmdBrowse", QStringLiteral("<== Enter &new folder here"));
    auto* entry = new QHBoxLayout;
    entry->addWidget(m_txtNewFolderName, 1);
    entry->addWidget(browse);

    auto* add = MakeButton(this, "cmdAdd", QStringLiteral("&Add Folder to List"));
    auto* remove = MakeButton(this, "cmdDelete", QStringLiteral("Re&move Folder from List"));
    auto* ok = MakeButton(this, "cmdOK", QStringLiteral("OK"));
    auto* cancel = MakeButton(this, "cmdCancel", QStringLiteral("Cancel"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(m_leftList);
    layout->addWidget(m_rightList);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    resize(560, 380);

    connect(m_optLeft, &QRadioButton::toggled, this, [this](bool on) { if (on) ShowList(true); });
    connect(m_optRight, &QRadioButton::toggled, this, [this](bool on) { if (on) ShowList(false); });
    connect(browse, &QPushButton::clicked, this, &frmMaintainFolderLists::cmdBrowse_Click);
    connect(add, &QPushButton::clicked, this, &frmMaintainFolderLists::cmdAdd_Click);
    connect(remove, &QPushButton::clicked, this, &frmMaintainFolderLists::cmdDelete_Click);
    connect(ok, &QPushButton::clicked, this, &frmMaintainFolderLists::OkButton_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_optLeft->setChecked(true);
    ShowList(true);
}

QStringList frmMaintainFolderLists::LeftFolders() const
{
    QStringList items;
    for (int i = 0; i < m_leftList->count(); ++i)
        items << m_leftList->item(i)->text();
    return items;
}

QStringList frmMaintainFolderLists::RightFolders() const
{
    QStringList items;
    for (int i = 0; i < m_rightList->count(); ++i)
        items << m_rightList->item(i)->text();
    return items;
}

QListWidget* frmMaintainFolderLists::VisibleList() const { return m_optLeft->isChecked() ? m_leftList : m_rightList; }

void frmMaintainFolderLists::ShowList(bool left)
{
    m_leftList->setVisible(left);
    m_rightList->setVisible(!left);
    MarkChosenOption(left ? m_optLeft : m_optRight, left ? m_optRight : m_optLeft);
    m_txtNewFolderName->clear();
}

void frmMaintainFolderLists::cmdBrowse_Click()
{
    try {
        const QString folder = m_ctx.Dialogs().PickFolder(QStringLiteral("Browse for Folder"), QString());
        if (!folder.isEmpty())
            m_txtNewFolderName->setText(FolderLists::WithTrailingSlash(folder));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMaintainFolderLists.cmdBrowse_Click"));
    }
}

void frmMaintainFolderLists::cmdAdd_Click()
{
    try {
        QListWidget* list = VisibleList();
        if (list->count() >= FolderLists::MaxFolders) {
            ShowInformation(m_ctx, QStringLiteral("Only ") + QString::number(FolderLists::MaxFolders)
                                       + QStringLiteral(" folders may be saved per list."),
                            QStringLiteral("Maximum Folders in List"));
            return;
        }
        const QString text = m_txtNewFolderName->text().trimmed();
        if (text.isEmpty()) {
            ShowInformation(m_ctx, QStringLiteral("Please enter a folder name before pressing the Add button."),
                            QStringLiteral("Add Folder to List"));
            return;
        }
        const QString folder = FolderLists::WithTrailingSlash(text);
        if (list->findItems(folder, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
            list->addItem(folder);
            m_txtNewFolderName->clear();
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMaintainFolderLists.cmdAdd_Click"));
    }
}

void frmMaintainFolderLists::cmdDelete_Click()
{
    try {
        QListWidget* list = VisibleList();
        QListWidgetItem* item = list->currentItem();
        if (item == nullptr || !item->isSelected()) {
            ShowInformation(m_ctx,
                            QStringLiteral("Please select a folder from the list before pressing the Remove button."),
                            QStringLiteral("Remove Folder from List"));
            return;
        }
        delete list->takeItem(list->row(item));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMaintainFolderLists.cmdDelete_Click"));
    }
}

void frmMaintainFolderLists::OkButton_Click()
{
    SaveFoldersListsToIniAndCombos(m_ctx, m_boxes, LeftFolders(), RightFolders());
    accept();
}
