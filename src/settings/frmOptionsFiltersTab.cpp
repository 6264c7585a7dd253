#include "settings/frmOptionsFiltersTab.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "compare/CCompare.h"
#include "model/FilterStore.h"
#include "settings/FilterTypeList.h"
#include "settings/GuiOptionWidgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

frmOptionsFiltersTab::frmOptionsFiltersTab(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_include(ctx.Compare().IncludeFilters()), m_exclude(ctx.Compare().ExcludeFilters())
{
    m_optInclude = MakeOption(this, "optFilterType_0", QStringLiteral("File Types to &Include"));
    m_optExclude = MakeOption(this, "optFilterType_1", QStringLiteral("File Types to &Exclude"));
    m_lstInclude = new QListWidget(this);
    m_lstInclude->setObjectName(QStringLiteral("lstIncludeFilters"));
    m_lstExclude = new QListWidget(this);
    m_lstExclude->setObjectName(QStringLiteral("lstExcludeFilters"));
    m_txtFilter = new QLineEdit(this);
    m_txtFilter->setObjectName(QStringLiteral("txtFilter"));
    m_txtFilter->installEventFilter(this);
    auto* add = MakeButton(this, "cmdAdd", QStringLiteral("&Add Type to List"));
    auto* remove = MakeButton(this, "cmdDelete", QStringLiteral("&Remove Type from List"));
    auto* newList = MakeButton(this, "cmdNewList", QStringLiteral("&New List"));
    auto* loadList = MakeButton(this, "cmdLoadList", QStringLiteral("&Load List..."));
    auto* saveList = MakeButton(this, "cmdSaveList", QStringLiteral("&Save List..."));

    auto* filterBox = new QGroupBox(QStringLiteral("File Type Filters"), this);
    auto* filterLayout = new QGridLayout(filterBox);
    auto* options = new QHBoxLayout;
    options->addWidget(m_optInclude);
    options->addWidget(m_optExclude);
    options->addStretch();
    filterLayout->addLayout(options, 0, 0, 1, 2);
    filterLayout->addWidget(m_lstInclude, 1, 0, 4, 1);
    filterLayout->addWidget(m_lstExclude, 1, 0, 4, 1);
    filterLayout->addWidget(newList, 1, 1);
    filterLayout->addWidget(loadList, 2, 1);
    filterLayout->addWidget(saveList, 3, 1);
    filterLayout->setRowStretch(4, 1);
    filterLayout->addWidget(m_txtFilter, 5, 0);
    auto* entryButtons = new QHBoxLayout;
    entryButtons->addWidget(add);
    entryButtons->addWidget(remove);
    entryButtons->addStretch();
    filterLayout->addLayout(entryButtons, 6, 0, 1, 2);

    const CCompare& compare = ctx.Compare();
    auto* attributeBox = new QGroupBox(QStringLiteral("Exclude by Attribute"), this);
    auto* attributeLayout = new QGridLayout(attributeBox);
    m_chkHiddenFiles = MakeCheck(attributeBox, "chkExcludeHiddenFiles", QStringLiteral("Exclude &Hidden Files"));
    m_chkSystemFiles = MakeCheck(attributeBox, "chkExcludeSystemFiles",
                                 QStringLiteral("Exclude S&ystem Files (devices, pipes, sockets)"));
    m_chkHiddenFolders = MakeCheck(attributeBox, "chkExcludeHiddenFolders", QStringLiteral("Exclude Hi&dden Folders"));
    m_chkSystemFolders = MakeCheck(attributeBox, "chkExcludeSystemFolders", QStringLiteral("Exclude Sys&tem Folders"));
    m_chkHiddenFiles->setChecked(compare.ExcludeHiddenFiles());
    m_chkSystemFiles->setChecked(compare.ExcludeSystemFiles());
    m_chkHiddenFolders->setChecked(compare.ExcludeHiddenFolders());
    m_chkSystemFolders->setChecked(compare.ExcludeSystemFolders());
    attributeLayout->addWidget(m_chkHiddenFiles, 0, 0);
    attributeLayout->addWidget(m_chkHiddenFolders, 0, 1);
    attributeLayout->addWidget(m_chkSystemFiles, 1, 0);
    attributeLayout->addWidget(m_chkSystemFolders, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filterBox, 1);
    layout->addWidget(attributeBox);

    connect(m_optInclude, &QRadioButton::toggled, this, [this](bool on) { if (on) ChooseList(true); });
    connect(m_optExclude, &QRadioButton::toggled, this, [this](bool on) { if (on) ChooseList(false); });
    connect(add, &QPushButton::clicked, this, &frmOptionsFiltersTab::cmdAdd_Click);
    connect(remove, &QPushButton::clicked, this, &frmOptionsFiltersTab::cmdDelete_Click);
    connect(newList, &QPushButton::clicked, this, &frmOptionsFiltersTab::cmdNewList_Click);
    connect(loadList, &QPushButton::clicked, this, &frmOptionsFiltersTab::cmdLoadList_Click);
    connect(saveList, &QPushButton::clicked, this, [this] { cmdSaveList_Click(); });
    connect(m_txtFilter, &QLineEdit::returnPressed, this, &frmOptionsFiltersTab::cmdAdd_Click);

    FillBothLists();
    m_optInclude->setChecked(true);
}

bool frmOptionsFiltersTab::eventFilter(QObject* watched, QEvent* event)
{
    // The text is selected whenever the box gets the focus, so typing replaces it. Deferred: the mouse
    // press that gave the focus would otherwise place the cursor and undo the selection.
    if (watched == m_txtFilter && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_txtFilter, [box = m_txtFilter] { box->selectAll(); });
    return QWidget::eventFilter(watched, event);
}

bool frmOptionsFiltersTab::IncludeChosen() const { return m_optInclude->isChecked(); }

QListWidget* frmOptionsFiltersTab::VisibleList() const { return IncludeChosen() ? m_lstInclude : m_lstExclude; }

QString& frmOptionsFiltersTab::VisibleText() { return IncludeChosen() ? m_include : m_exclude; }

void frmOptionsFiltersTab::ChooseList(bool include)
{
    m_lstInclude->setVisible(include);
    m_lstExclude->setVisible(!include);
    MarkChosenOption(include ? m_optInclude : m_optExclude, include ? m_optExclude : m_optInclude);
    // An empty include list means every file: the entry box offers "*" to say so.
    if (include)
        m_txtFilter->setText(m_lstInclude->count() > 0 ? QString() : QStringLiteral("*"));
    else
        m_txtFilter->clear();
}

void frmOptionsFiltersTab::FillFilterTypeList(QListWidget* list, const QString& text)
{
    try {
        list->clear();
        list->addItems(FilterTypeList::Entries(text));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.FillFilterTypeList"));
    }
}

void frmOptionsFiltersTab::FillBothLists()
{
    FillFilterTypeList(m_lstInclude, m_include);
    FillFilterTypeList(m_lstExclude, m_exclude);
}

void frmOptionsFiltersTab::cmdAdd_Click()
{
    try {
        const QString type = m_txtFilter->text().trimmed();
        if (type.isEmpty()) {
            ShowInformation(m_ctx, QStringLiteral("Please enter a file type before pressing the Add button."),
                            QStringLiteral("Add File Type"));
            return;
        }
        QListWidget* list = VisibleList();
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().compare(type, Qt::CaseInsensitive) == 0)
                return;
        }
        list->addItem(type);
        QString& text = VisibleText();
        if (!text.isEmpty())
            text += QLatin1Char(',');
        text += type;
        m_txtFilter->clear();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdAdd_Click"));
    }
}

void frmOptionsFiltersTab::cmdDelete_Click()
{
    try {
        QListWidget* list = VisibleList();
        QListWidgetItem* item = list->currentItem();
        if (item == nullptr || !item->isSelected()) {
            ShowInformation(m_ctx,
                            QStringLiteral("Please select a file type from the list before pressing the Remove button."),
                            QStringLiteral("Delete File Type"));
            return;
        }
        delete list->takeItem(list->row(item));
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->item(i)->text();
        VisibleText() = FilterTypeList::CreateStringFromList(entries);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdDelete_Click"));
    }
}

void frmOptionsFiltersTab::cmdNewList_Click()
{
    try {
        const UserDialogs::Answer answer =
            m_ctx.Dialogs().Message(QStringLiteral("Do wish to save the current filters?"), QStringLiteral("Save Filters"),
                                    UserDialogs::Icon::Question, UserDialogs::Buttons::YesNoCancel);
        if (answer == UserDialogs::Answer::Cancel)
            return;
        // Lists that were to be saved first and were not (the picker cancelled, the file not written)
        // are kept: emptying them then would lose what the user just asked to keep.
        if (answer == UserDialogs::Answer::Yes && !cmdSaveList_Click())
            return;
        m_include.clear();
        m_exclude.clear();
        FillBothLists();
        ChooseList(IncludeChosen());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdNewList_Click"));
    }
}

bool frmOptionsFiltersTab::cmdSaveList_Click()
{
    try {
        const QString file = m_ctx.Dialogs().PickSaveFile(QStringLiteral("Save Filter List As..."), m_ctx.AppFolder(),
                                                          FilterListFileType());
        if (file.isEmpty())
            return false;
        return WriteFilterListFile(m_ctx.Errors(), file, m_include, m_exclude);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdSaveList"));
    }
    return false;
}

void frmOptionsFiltersTab::cmdLoadList_Click()
{
    try {
        const QString file = m_ctx.Dialogs().PickOpenFile(QStringLiteral("Load a Filter List"), m_ctx.AppFolder(),
                                                          FilterListFileType());
        if (file.isEmpty())
            return;
        // A file that cannot be read (or is short of a line) is reported there and changes nothing.
        if (!ReadFilterListFile(m_ctx.Errors(), file, m_include, m_exclude))
            return;
        FillBothLists();
        ChooseList(IncludeChosen());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdLoadList"));
    }
}

bool frmOptionsFiltersTab::Apply()
{
    CCompare& compare = m_ctx.Compare();
    compare.SetExcludeHiddenFiles(m_chkHiddenFiles->isChecked());
    compare.SetExcludeSystemFiles(m_chkSystemFiles->isChecked());
    compare.SetExcludeHiddenFolders(m_chkHiddenFolders->isChecked());
    compare.SetExcludeSystemFolders(m_chkSystemFolders->isChecked());
    if (m_include.compare(compare.IncludeFilters(), Qt::CaseInsensitive) == 0
        && m_exclude.compare(compare.ExcludeFilters(), Qt::CaseInsensitive) == 0)
        return false;
    compare.SetIncludeFilters(m_include);
    compare.SetExcludeFilters(m_exclude);
    SaveFiltersToIni(m_ctx.AppFolder(), m_ctx.Dialogs(), m_ctx.Errors(), m_include, m_exclude);
    return true;
}
