#include "views/frmSubFolderChoice.h"

#include "base/UserDialogs.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/ResultTableModel.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmSpecifySubFolder::frmSpecifySubFolder(UserDialogs& dialogs, GuiResultsFrame& frame, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_frame(frame)
{
    setObjectName(QStringLiteral("frmSpecifySubFolder"));
    setWindowTitle(QStringLiteral("View Sub-Folder Differences"));
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstSubFolders"));
    layout->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &frmSpecifySubFolder::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_ok->isEnabled())
            Ok();
    });
}

void frmSpecifySubFolder::Load()
{
    m_list->clear();
    if (GuiResultPane* pane = m_frame.CurrentListview()) {
        const ResultTableModel* model = pane->ResultModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            const ResultRow* r = model->RowAt(row);
            if (r != nullptr && r->icon == Category::DifferentFolder)
                m_list->addItem(r->text);
        }
    }
    if (m_list->count() == 0) {
        m_dialogs.Message(QStringLiteral("There are no sub-folders with differences"),
                          QStringLiteral("No Sub-Folders To Display"), UserDialogs::Icon::Information);
        m_ok->setEnabled(false);
    } else if (m_list->count() == 1) {
        m_list->setCurrentRow(0);
    }
}

void frmSpecifySubFolder::Ok()
{
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    if (chosen.isEmpty()) {
        m_dialogs.Message(QStringLiteral("Please select a folder before pressing the OK button"),
                          QStringLiteral("No Folder Selected"), UserDialogs::Icon::Information);
        return;
    }
    const QString text = chosen.front()->text();
    GuiResultPane* pane = m_frame.CurrentListview();
    const ResultTableModel* model = pane->ResultModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const ResultRow* r = model->RowAt(row);
        if (r != nullptr && r->icon == Category::DifferentFolder && r->text == text) {
            const QModelIndex index = model->index(row, 0);
            pane->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            pane->scrollTo(index);
            m_chosen = text;
            break;
        }
    }
    accept();
}
