#include "fileops/frmCreateSubFolder.h"

#include "base/UserDialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

frmCreateSubFolder::frmCreateSubFolder(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_model(new QFileSystemModel(this)), m_folders(new QTreeView(this)),
      m_txtNewSubFolderName(new QLineEdit(QStringLiteral("New Sub-Folder"), this)), m_lblParent(new QLabel(this))
{
    setObjectName(QStringLiteral("frmCreateSubFolder"));
    setWindowTitle(QStringLiteral("Create New Sub-Folder"));
    setModal(true);
    m_model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setReadOnly(true);
    m_folders->setObjectName(QStringLiteral("tvwParentFolder"));
    m_folders->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_folders->hideColumn(column);
    m_folders->setHeaderHidden(true);
    // A member function, so the connection is made once here: Qt refuses UniqueConnection for a lambda,
    // which left the choice of another folder unanswered.
    connect(m_folders->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmCreateSubFolder::FolderChosen);
    m_txtNewSubFolderName->setObjectName(QStringLiteral("txtNewSubFolderName"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_name = m_txtNewSubFolderName->text().trimmed();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] {
        m_name.clear();
        reject();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Parent folder:"), this));
    m_lblParent->setObjectName(QStringLiteral("lblParentFolder"));
    m_lblParent->setTextFormat(Qt::PlainText);
    layout->addWidget(m_lblParent);
    layout->addWidget(m_folders, 1);
    layout->addWidget(new QLabel(QStringLiteral("Name of the new sub-folder:"), this));
    layout->addWidget(m_txtNewSubFolderName);
    layout->addWidget(buttons);
    resize(420, 360);
}

void frmCreateSubFolder::Prepare(const QString& parentFolder)
{
    QString parent = parentFolder;
    while (parent.size() > 1 && parent.endsWith(QLatin1Char('/')))
        parent.chop(1);
    m_lblParent->setText(parent);
    m_model->setRootPath(parent);
    m_parentIndex = m_model->index(parent);
    // Only the parent and what is below it: its neighbours are hidden as the model lists them.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &frmCreateSubFolder::HideNeighbours, Qt::UniqueConnection);
    connect(m_model, &QFileSystemModel::rowsInserted, this, &frmCreateSubFolder::HideNeighbours, Qt::UniqueConnection);
    HideNeighbours();
    // The parent's own folder sits at the top, so the view shows it with its sub-folders below.
    m_folders->setRootIndex(m_parentIndex.parent());
    m_folders->setCurrentIndex(m_parentIndex);
    m_folders->expand(m_parentIndex);
    m_folders->scrollTo(m_parentIndex);
    m_txtNewSubFolderName->setFocus();
    m_txtNewSubFolderName->selectAll();
    m_name.clear();
}

void frmCreateSubFolder::HideNeighbours()
{
    if (!m_parentIndex.isValid())
        return;
    const QModelIndex top = m_parentIndex.parent();
    for (int row = 0; row < m_model->rowCount(top); ++row)
        m_folders->setRowHidden(row, top, row != m_parentIndex.row());
}

void frmCreateSubFolder::ShowForm(const QString& pstrParentFolder)
{
    Prepare(pstrParentFolder);
    exec();
}

void frmCreateSubFolder::FolderChosen(const QModelIndex& current)
{
    if (m_restoring || !m_parentIndex.isValid() || current == m_parentIndex)
        return;
    m_restoring = true;
    m_dialogs.Message(QStringLiteral("The parent folder cannot be changed here."), windowTitle(),
                      UserDialogs::Icon::Information);
    m_folders->setCurrentIndex(m_parentIndex);
    m_restoring = false;
}
