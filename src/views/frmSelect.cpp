#include "views/frmSelect.h"

#include "app/AppContext.h"
#include "views/GuiCategoryPictures.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/GuiSelectionCommands.h"
#include "views/ResultTableModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QVBoxLayout>

frmSelect::frmSelect(AppContext& ctx, GuiResultsFrame& frame, GuiSelectionCommands& commands, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_frame(frame), m_commands(commands)
{
    setObjectName(QStringLiteral("frmSelect"));
    setWindowTitle(QStringLiteral("Select Wizard"));
    setModal(true);
    auto* tabs = new QTabWidget(this);

    // Result type and pane.
    auto* typePage = new QWidget(tabs);
    auto* typeLayout = new QHBoxLayout(typePage);
    auto* paneBox = new QGroupBox(QStringLiteral("Pane"), typePage);
    auto* paneLayout = new QVBoxLayout(paneBox);
    for (int i = 0; i < 2; ++i) {
        m_optPane[i] = new QRadioButton(i == 0 ? QStringLiteral("Left Pane") : QStringLiteral("Right Pane"), paneBox);
        m_optPane[i]->setObjectName(QStringLiteral("optPane%1").arg(i));
        paneLayout->addWidget(m_optPane[i]);
    }
    paneLayout->addStretch();
    m_optPane[frame.CurrentListview() == frame.TargetPane() ? 1 : 0]->setChecked(true);
    auto* filesBox = new QGroupBox(QStringLiteral("Files"), typePage);
    auto* foldersBox = new QGroupBox(QStringLiteral("Sub-Folders"), typePage);
    auto* filesLayout = new QVBoxLayout(filesBox);
    auto* foldersLayout = new QVBoxLayout(foldersBox);
    const char* captions[CategoryCount] = {"&Newer", "&Older", "S&ame", "O&rphan", "&Contents Differ",
                                           "Identical", "Different", "Orphan"};
    for (int k = 1; k <= CategoryCount; ++k) {
        auto* check = new QCheckBox(QString::fromLatin1(captions[k - 1]), k <= 5 ? filesBox : foldersBox);
        check->setObjectName(QStringLiteral("chkFileType%1").arg(k));
        check->setIcon(CategoryIcon(static_cast<Category>(k)));
        (k <= 5 ? filesLayout : foldersLayout)->addWidget(check);
        m_chkFileType[k - 1] = check;
    }
    filesLayout->addStretch();
    foldersLayout->addStretch();
    typeLayout->addWidget(paneBox);
    typeLayout->addWidget(filesBox);
    typeLayout->addWidget(foldersBox);
    tabs->addTab(typePage, QStringLiteral("Result Type && Pane"));

    // Date and size.
    auto* datePage = new QWidget(tabs);
    auto* dateLayout = new QGridLayout(datePage);
    m_cboSizeOperators = new QComboBox(datePage);
    m_cboSizeOperators->setObjectName(QStringLiteral("cboSizeOperators"));
    m_cboSizeOperators->addItems({QStringLiteral("equals"), QStringLiteral("is less than"), QStringLiteral("is greater than")});
    m_txtByteSize = new QLineEdit(QStringLiteral("-1"), datePage);
    m_txtByteSize->setObjectName(QStringLiteral("txtByteSize"));
    connect(m_txtByteSize, &QLineEdit::editingFinished, this, &frmSelect::ValidateByteSize);
    m_cboDateOperator = new QComboBox(datePage);
    m_cboDateOperator->setObjectName(QStringLiteral("cboDateOperator"));
    m_cboDateOperator->addItems({QStringLiteral("is on"), QStringLiteral("is before"), QStringLiteral("is after")});
    // The starting state, "is before" tomorrow, selects by no date at all.
    m_cboDateOperator->setCurrentIndex(1);
    m_dtpDate = new QDateEdit(QDate::currentDate().addDays(1), datePage);
    m_dtpDate->setObjectName(QStringLiteral("dtpDate"));
    m_dtpDate->setCalendarPopup(true);
    dateLayout->addWidget(new QLabel(QStringLiteral("Whose Size:"), datePage), 0, 0);
    dateLayout->addWidget(m_cboSizeOperators, 0, 1);
    dateLayout->addWidget(m_txtByteSize, 0, 2);
    dateLayout->addWidget(new QLabel(QStringLiteral("bytes"), datePage), 0, 3);
    dateLayout->addWidget(new QLabel(QStringLiteral("Whose Date:"), datePage), 1, 0);
    dateLayout->addWidget(m_cboDateOperator, 1, 1);
    dateLayout->addWidget(m_dtpDate, 1, 2);
    dateLayout->setRowStretch(2, 1);
    tabs->addTab(datePage, QStringLiteral("Date && Size"));

    // File types found among the current folder's files.
    auto* filePage = new QWidget(tabs);
    auto* fileLayout = new QVBoxLayout(filePage);
    fileLayout->addWidget(new QLabel(QStringLiteral("Files Types:"), filePage));
    m_lstFileTypes = new QListWidget(filePage);
    m_lstFileTypes->setObjectName(QStringLiteral("lstFileTypes"));
    m_lstFileTypes->setSelectionMode(QAbstractItemView::MultiSelection);
    FillFileTypes();
    // Each pane has its own files: the list follows the pane chosen.
    connect(m_optPane[1], &QRadioButton::toggled, this, [this] { FillFileTypes(); });
    connect(m_lstFileTypes, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->isSelected() && item->text().startsWith(QLatin1String("User-defined...")))
            ChooseUserDefined(m_lstFileTypes->row(item));
    });
    fileLayout->addWidget(m_lstFileTypes);
    tabs->addTab(filePage, QStringLiteral("File Type "));

    auto* deselect = new QPushButton(QStringLiteral("&Deselect"), this);
    deselect->setObjectName(QStringLiteral("cmdSelect0"));
    auto* select = new QPushButton(QStringLiteral("&Select"), this);
    select->setObjectName(QStringLiteral("cmdSelect1"));
    select->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(deselect, &QPushButton::clicked, this, [this] { Run(false); });
    connect(select, &QPushButton::clicked, this, [this] { Run(true); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(deselect);
    buttons->addWidget(select);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

GuiResultPane* frmSelect::ChosenPane() const
{
    return m_optPane[1]->isChecked() ? m_frame.TargetPane() : m_frame.SourcePane();
}

void frmSelect::FillFileTypes()
{
    QSet<QString> chosen;
    for (const QListWidgetItem* item : m_lstFileTypes->selectedItems())
        chosen.insert(item->text());
    QString userDefined;
    if (m_lstFileTypes->count() > 0)
        userDefined = m_lstFileTypes->item(m_lstFileTypes->count() - 1)->text();
    m_lstFileTypes->clear();
    QStringList entries = FileTypeEntries(ChosenPane()->ResultModel()->Hold());
    if (!userDefined.isEmpty())
        entries.back() = userDefined;
    m_lstFileTypes->addItems(entries);
    for (int r = 0; r < m_lstFileTypes->count(); ++r) {
        QListWidgetItem* item = m_lstFileTypes->item(r);
        item->setSelected(chosen.contains(item->text()));
    }
}

void frmSelect::ValidateByteSize()
{
    bool ok = false;
    const qint64 n = m_txtByteSize->text().trimmed().toDouble(&ok);
    if (!ok) {
        m_ctx.Dialogs().Message(QStringLiteral("Byte Size is not a valid numeral"), QStringLiteral("Input Error"),
                                UserDialogs::Icon::Warning);
        m_txtByteSize->setText(QStringLiteral("-1"));
        return;
    }
    m_txtByteSize->setText(QString::number(n));
}

void frmSelect::ChooseUserDefined(int row)
{
    QListWidgetItem* item = m_lstFileTypes->item(row);
    const QString current = PatternsOfEntries({item->text()});
    const std::optional<QString> answer = m_ctx.Dialogs().InputBox(
        QStringLiteral("Please enter a comma separated list of file patterns."), QStringLiteral("User-defined files to select"),
        current.isEmpty() ? QStringLiteral("*.bmp, *.jpg, *.gif") : current);
    if (!answer || answer->trimmed().isEmpty())
        return;
    item->setText(QStringLiteral("User-defined...  (") + answer->trimmed() + QLatin1Char(')'));
}

SelectCriteria frmSelect::Criteria(bool select) const
{
    SelectCriteria c;
    for (int k = 0; k < CategoryCount; ++k)
        c.categories[static_cast<std::size_t>(k)] = m_chkFileType[k]->isChecked();
    QStringList chosen;
    for (const QListWidgetItem* item : m_lstFileTypes->selectedItems())
        chosen << item->text();
    c.patterns = PatternsOfEntries(chosen);
    c.select = select;
    c.byteSize = m_txtByteSize->text();
    c.sizeOperator = m_cboSizeOperators->currentIndex();
    c.date = m_dtpDate->date();
    c.dateText = c.date.toString(Qt::ISODate);
    c.dateOperator = m_cboDateOperator->currentIndex();
    return c;
}

void frmSelect::Run(bool select)
{
    try {
        BusyPointer busy(m_ctx.Dialogs());
        GuiResultPane* pane = ChosenPane();
        // The chosen pane is the one the next command acts on.
        Q_EMIT pane->FocusTaken();
        m_commands.SelectFileTypesInList(pane, Criteria(select));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSelect.cmdSelect_Click"));
    }
}
