#include "fileops/frmRenameMultiple.h"

#include "app/AppContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

frmRenameMultiple::frmRenameMultiple(AppContext& ctx, const QString& folder, const QStringList& names,
                                     const QStringList& folderNames, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_folder(folder), m_names(names), m_folderNames(folderNames),
      m_lvwObjects(Named(new QTreeWidget(this), "lvwObjects")),
      m_chkShortFileName(Named(new QCheckBox(QStringLiteral("Short File Name"), this), "chkShortFileName")),
      m_chkRemoveSpaces(Named(new QCheckBox(QStringLiteral("Remove Internal Spaces"), this), "chkRemoveSpaces")),
      m_chkRemoveExtension(Named(new QCheckBox(QStringLiteral("Remove Extension"), this), "chkRemoveExtension")),
      m_cboCapitalization(Named(new QComboBox(this), "cboCapitalization")),
      m_chkChangeFileName(Named(new QCheckBox(QStringLiteral("Replace File Name with Text"), this), "chkChangeFileName")),
      m_txtFilename(Named(new QLineEdit(this), "txtFilename")),
      m_chkChangeExtension(Named(new QCheckBox(QStringLiteral("Replace Extension with Text"), this), "chkChangeExtension")),
      m_txtExtension(Named(new QLineEdit(this), "txtExtension")),
      m_chkAddPrefixToFilename(Named(new QCheckBox(QStringLiteral("Add Prefix to File Names"), this), "chkAddPrefixToFilename")),
      m_txtNamePrefix(Named(new QLineEdit(this), "txtNamePrefix")),
      m_chkAddSuffixToFilename(Named(new QCheckBox(QStringLiteral("Add Suffix to File Names"), this), "chkAddSuffixToFilename")),
      m_txtNameSuffix(Named(new QLineEdit(this), "txtNameSuffix")),
      m_chkNameAutoNumber(Named(new QCheckBox(QStringLiteral("Auto Generate Sequence of Numbers"), this), "chkNameAutoNumber")),
      m_fraAutoNumber(Named(new QGroupBox(this), "fraAutoNumber")),
      m_optNumberFilename(Named(new QRadioButton(QStringLiteral("Replace File Name"), m_fraAutoNumber), "optNumberFilename")),
      m_optNumberExtension(Named(new QRadioButton(QStringLiteral("Replace File Extension"), m_fraAutoNumber), "optNumberExtension")),
      m_txtLength(Named(new QLineEdit(QStringLiteral("8"), m_fraAutoNumber), "txtLength")),
      m_txtStartsWith(Named(new QLineEdit(QStringLiteral("1"), m_fraAutoNumber), "txtStartsWith")),
      m_txtIncrement(Named(new QLineEdit(QStringLiteral("1"), m_fraAutoNumber), "txtIncrement")),
      m_cmdPreview(Named(new QPushButton(QStringLiteral("Preview"), this), "cmdPreview")),
      m_cmdOK(Named(new QPushButton(QStringLiteral("OK"), this), "cmdOK")),
      m_cmdClose(Named(new QPushButton(QStringLiteral("&Close"), this), "cmdClose")),
      m_progressBar(Named(new QProgressBar(this), "ProgressBar1"))
{
    setObjectName(QStringLiteral("frmRenameMultiple"));
    setWindowTitle(QStringLiteral("Rename Multiple Objects"));
    setModal(true);

    m_lvwObjects->setHeaderLabels({QStringLiteral("Original Name"), QStringLiteral("Revised Name"), QStringLiteral("Conflicts?")});
    m_lvwObjects->setRootIsDecorated(false);
    m_lvwObjects->setUniformRowHeights(true);
    m_lvwObjects->setAllColumnsShowFocus(true);
    m_lvwObjects->setSelectionMode(QAbstractItemView::NoSelection);
    m_lvwObjects->setColumnWidth(0, 240);
    m_lvwObjects->setColumnWidth(1, 240);
    m_chkShortFileName->setToolTip(QStringLiteral("Names on this system have no short form: they stay as they are."));
    m_cboCapitalization->addItems(CapitalizationTexts());
    m_optNumberFilename->setChecked(true);

    // Text options: each box opens with its check mark.
    auto* options = new QGridLayout;
    int row = 0;
    options->addWidget(m_chkShortFileName, row++, 0, 1, 2);
    options->addWidget(m_chkRemoveSpaces, row++, 0, 1, 2);
    options->addWidget(m_chkRemoveExtension, row++, 0, 1, 2);
    auto* capitalization = new QLabel(QStringLiteral("Capitalization:"), this);
    capitalization->setBuddy(m_cboCapitalization);
    options->addWidget(capitalization, row, 0);
    options->addWidget(m_cboCapitalization, row++, 1);
    for (const auto& [option, text] : {std::pair{m_chkChangeFileName, m_txtFilename}, std::pair{m_chkChangeExtension, m_txtExtension},
                                       std::pair{m_chkAddPrefixToFilename, m_txtNamePrefix},
                                       std::pair{m_chkAddSuffixToFilename, m_txtNameSuffix}}) {
        options->addWidget(option, row, 0);
        options->addWidget(text, row++, 1);
        TieTextOption(option, text);
    }
    options->setRowStretch(row, 1);

    auto* numbers = new QGridLayout(m_fraAutoNumber);
    numbers->addWidget(m_optNumberFilename, 0, 0, 1, 3);
    numbers->addWidget(m_optNumberExtension, 1, 0, 1, 3);
    const QList<std::pair<QString, QLineEdit*>> boxes = {{QStringLiteral("Length:"), m_txtLength},
                                                         {QStringLiteral("Starts With:"), m_txtStartsWith},
                                                         {QStringLiteral("Increment By:"), m_txtIncrement}};
    int line = 2;
    for (const auto& [caption, box] : boxes) {
        auto* label = new QLabel(caption, m_fraAutoNumber);
        label->setBuddy(box);
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);
        box->installEventFilter(this);
        numbers->addWidget(label, line, 0);
        numbers->addWidget(box, line, 1);
        if (box == m_txtLength) {
            auto* pad = Named(new QLabel(QStringLiteral("(Left pad with leading zeroes until length is arrived at.)"), m_fraAutoNumber),
                              "lblPadMsg");
            pad->setWordWrap(true);
            numbers->addWidget(pad, line, 2);
        }
        ++line;
    }
    numbers->setColumnStretch(2, 1);
    m_fraAutoNumber->setEnabled(false);
    connect(m_chkNameAutoNumber, &QCheckBox::toggled, m_fraAutoNumber, &QWidget::setEnabled);

    auto* numbering = new QVBoxLayout;
    numbering->addWidget(m_chkNameAutoNumber);
    numbering->addWidget(m_fraAutoNumber);
    numbering->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(options, 1);
    middle->addLayout(numbering, 1);

    auto* buttons = new QHBoxLayout;
    m_progressBar->setTextVisible(false);
    m_progressBar->setValue(0);
    buttons->addWidget(m_progressBar, 1);
    for (QPushButton* button : {m_cmdPreview, m_cmdOK, m_cmdClose})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lvwObjects, 1);
    layout->addLayout(middle);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(m_cmdPreview, &QPushButton::clicked, this, &frmRenameMultiple::cmdPreview_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmRenameMultiple::cmdOK_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    FormLoad();
}

void frmRenameMultiple::TieTextOption(QCheckBox* option, QLineEdit* text)
{
    text->setEnabled(false);
    connect(option, &QCheckBox::toggled, text, [text](bool on) {
        text->setEnabled(on);
        if (!on)
            text->clear();
    });
}

int frmRenameMultiple::RowHeightFor(const QFontMetrics& metrics)
{
    // The list's rows are as high as the font's line, which some fonts' accents on capitals (É, Å) and
    // descenders reach past: the rows take the height of the ink of such letters, with a margin.
    const QRect ink = metrics.boundingRect(QStringLiteral("\u00C1\u00C9\u00C5\u00D6\u00C7\u0170gjpqy"));
    return qMax(metrics.height(), ink.height()) + 6;
}

void frmRenameMultiple::FormLoad()
{
    try {
        m_lvwObjects->clear();
        // A hint needs a width to count; the header sets the real widths.
        const QSize rowSize(m_lvwObjects->columnWidth(0), RowHeightFor(m_lvwObjects->fontMetrics()));
        for (const QString& name : m_names) {
            auto* item = new QTreeWidgetItem(QStringList{name, QString(), QString()});
            item->setSizeHint(0, rowSize);
            m_lvwObjects->addTopLevelItem(item);
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmRenameMultiple.Form_Load"));
    }
}

QLineEdit* frmRenameMultiple::Box(NumberBox box) const
{
    switch (box) {
    case NumberBox::Length: return m_txtLength;
    case NumberBox::StartsWith: return m_txtStartsWith;
    case NumberBox::Increment: break;
    }
    return m_txtIncrement;
}

bool frmRenameMultiple::ValidateNumberBox(NumberBox box)
{
    QLineEdit* edit = Box(box);
    if (edit->text().trimmed().isEmpty())
        edit->setText(NumberBoxDefault(box, m_optNumberExtension->isChecked()));
    if (NumberBoxValue(box, edit->text()))
        return true;
    m_validating = true;
    m_ctx.Lib().ShowInformationMessage(NumberBoxMessage(box, edit->text()), QStringLiteral("Invalid Value"));
    m_validating = false;
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

bool frmRenameMultiple::eventFilter(QObject* watched, QEvent* event)
{
    // A number box is checked when the focus moves on to another control of this window. Preview and OK
    // check the boxes themselves, Close needs no valid value; a message box or another window taking the
    // focus is no move.
    if (event->type() == QEvent::FocusOut && !m_validating) {
        for (const NumberBox box : {NumberBox::Length, NumberBox::StartsWith, NumberBox::Increment}) {
            if (watched != Box(box))
                continue;
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                break;
            QTimer::singleShot(0, this, [this, box] {
                QWidget* now = QApplication::focusWidget();
                if (!m_validating && now != Box(box) && now != m_cmdPreview && now != m_cmdOK && now != m_cmdClose)
                    ValidateNumberBox(box);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<RenameRules> frmRenameMultiple::Rules()
{
    RenameRules rules;
    rules.removeSpaces = m_chkRemoveSpaces->isChecked();
    rules.removeExtension = m_chkRemoveExtension->isChecked();
    rules.capitalization = static_cast<Capitalization>(qMax(0, m_cboCapitalization->currentIndex()));
    const auto text = [](const QCheckBox* option, const QLineEdit* box) {
        return option->isChecked() ? std::optional<QString>(box->text()) : std::nullopt;
    };
    rules.fileName = text(m_chkChangeFileName, m_txtFilename);
    rules.extension = text(m_chkChangeExtension, m_txtExtension);
    rules.prefix = text(m_chkAddPrefixToFilename, m_txtNamePrefix);
    rules.suffix = text(m_chkAddSuffixToFilename, m_txtNameSuffix);
    if (m_chkNameAutoNumber->isChecked()) {
        for (const NumberBox box : {NumberBox::Length, NumberBox::StartsWith, NumberBox::Increment})
            if (!ValidateNumberBox(box))
                return std::nullopt;
        RenameRules::Numbering numbering;
        numbering.replaceExtension = m_optNumberExtension->isChecked();
        numbering.length = static_cast<int>(*NumberBoxValue(NumberBox::Length, m_txtLength->text()));
        numbering.startsWith = *NumberBoxValue(NumberBox::StartsWith, m_txtStartsWith->text());
        numbering.increment = *NumberBoxValue(NumberBox::Increment, m_txtIncrement->text());
        rules.numbering = numbering;
    }
    return rules;
}

std::vector<RenamePreviewRow> frmRenameMultiple::Preview(const RenameRules& rules)
{
    const std::vector<RenamePreviewRow> rows = PreviewRenames(m_ctx.Lib(), m_names, m_folderNames, rules);
    for (int i = 0; i < m_lvwObjects->topLevelItemCount() && size_t(i) < rows.size(); ++i) {
        QTreeWidgetItem* item = m_lvwObjects->topLevelItem(i);
        item->setText(1, rows[size_t(i)].revised);
        item->setText(2, ConflictText(rows[size_t(i)].conflict));
    }
    return rows;
}

void frmRenameMultiple::cmdPreview_Click()
{
    const std::optional<RenameRules> rules = Rules();
    if (!rules)
        return;
    BusyPointer busy(m_ctx.Dialogs());
    Preview(*rules);
}

void frmRenameMultiple::cmdOK_Click()
{
    const std::optional<RenameRules> rules = Rules();
    if (!rules)
        return;
    try {
        RenameReport report;
        {
            BusyPointer busy(m_ctx.Dialogs());
            const std::vector<RenamePreviewRow> rows = Preview(*rules);
            m_progressBar->setRange(0, qMax(1, int(rows.size())));
            m_progressBar->setValue(0);
            report = RenameObjects(m_folder, rows, [this](int done) { m_progressBar->setValue(done); });
        }
        if (report.renamed > 0)
            m_nameChanged = true;
        if (!report.problems.isEmpty())
            m_ctx.Dialogs().Message(QStringLiteral("There were problems.  Some objects' names were not changed."),
                                    QStringLiteral("Multiple Rename"), UserDialogs::Icon::Warning);
    } catch (...) {
        // Some names may have changed before the failure: the results are not to be trusted any more.
        m_nameChanged = true;
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmRenameMultiple.cmdOK_Click"));
    }
    accept();
}
