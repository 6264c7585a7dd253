#include "diff/frmViewFileDiffOptions.h"

#include "app/AppContext.h"
#include "app/frmHelp.h"
#include "diff/DiffRun.h"
#include "diff/GuiShowFileDiffs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QDir>

QString PickerStartFolder(const QString& text, const QString& callerFolder)
{
    if (!text.isEmpty()) {
        const QString folder = QFileInfo(text).absolutePath();
        if (QFileInfo(folder).isDir())
            return folder;
    }
    if (!callerFolder.isEmpty() && QFileInfo(callerFolder).isDir())
        return callerFolder;
    return QStringLiteral("/");
}

frmViewFileDiffOptions::frmViewFileDiffOptions(AppContext& ctx, DiffCallerFolders folders,
                                               std::function<void()> marksChanged, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_folders(std::move(folders)), m_marksChanged(std::move(marksChanged))
{
    setObjectName(QStringLiteral("frmViewFileDiffOptions"));
    setWindowTitle(QStringLiteral("View File Difference - Options"));
    setModal(true);
    const cViewFileDiffsOptions& o = ctx.DiffOptions();

    auto* files = new QGridLayout;
    const char* labels[2] = {"&Compare:", "&To:"};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(QString::fromLatin1(labels[i]), this);
        m_txtFile[i] = new QLineEdit(i == 0 ? o.FileOne() : o.FileTwo(), this);
        m_txtFile[i]->setObjectName(i == 0 ? QStringLiteral("txtFileOne") : QStringLiteral("txtFileTwo"));
        m_txtFile[i]->setMinimumWidth(460);
        label->setBuddy(m_txtFile[i]);
        auto* pick = new QPushButton(QStringLiteral("..."), this);
        pick->setObjectName(i == 0 ? QStringLiteral("cmdFileOne") : QStringLiteral("cmdFileTwo"));
        pick->setAutoDefault(false);
        pick->setFixedWidth(32);
        connect(pick, &QPushButton::clicked, this, [this, i] { ChooseFile(i == 0); });
        files->addWidget(label, i, 0);
        files->addWidget(m_txtFile[i], i, 1);
        files->addWidget(pick, i, 2);
    }

    auto* ignore = new QGroupBox(QStringLiteral("&Ignore"), this);
    auto* ignoreLayout = new QVBoxLayout(ignore);
    m_chkIgnoreCase = new QCheckBox(QStringLiteral("C&ase"), ignore);
    m_chkIgnoreCase->setObjectName(QStringLiteral("chkIgnoreCase"));
    m_chkIgnoreCase->setChecked(o.IgnoreCase());
    m_chkIgnoreWhiteSpace = new QCheckBox(QStringLiteral("&White Space"), ignore);
    m_chkIgnoreWhiteSpace->setObjectName(QStringLiteral("chkIgnoreWhiteSpace"));
    m_chkIgnoreWhiteSpace->setChecked(o.IgnoreWhiteSpace());
    ignoreLayout->addWidget(m_chkIgnoreCase);
    ignoreLayout->addWidget(m_chkIgnoreWhiteSpace);

    auto* format = new QGroupBox(QStringLiteral("&Format"), this);
    auto* formatLayout = new QVBoxLayout(format);
    const char* formats[2] = {"&Visual", "&Unix"};
    for (int i = 0; i < 2; ++i) {
        m_optFormat[i] = new QRadioButton(QString::fromLatin1(formats[i]), format);
        m_optFormat[i]->setObjectName(QStringLiteral("optFormat%1").arg(i));
        formatLayout->addWidget(m_optFormat[i]);
    }
    m_optFormat[o.Format() == cViewFileDiffsOptions::Unix ? 1 : 0]->setChecked(true);

    m_chkShowOptionsDialog = new QCheckBox(QStringLiteral("Show this dialog every time"), this);
    m_chkShowOptionsDialog->setObjectName(QStringLiteral("chkShowOptionsDialog"));
    m_chkShowOptionsDialog->setChecked(o.ShowOptionsDialog());

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("cmdHelp"));
    connect(ok, &QPushButton::clicked, this, &frmViewFileDiffOptions::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        ShowHelp(m_ctx.AssetFile(HelpFileName()), this, DiffHelpTopic());
    });

    auto* groups = new QHBoxLayout;
    groups->addWidget(ignore);
    groups->addWidget(format);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(files);
    layout->addLayout(groups);
    layout->addWidget(m_chkShowOptionsDialog);
    layout->addWidget(buttons);
}

void frmViewFileDiffOptions::ChooseFile(bool one)
{
    try {
        QLineEdit* box = m_txtFile[one ? 0 : 1];
        const QString start = PickerStartFolder(box->text(), one ? m_folders.left : m_folders.right);
        const QString chosen = m_ctx.Dialogs().PickOpenFile(one ? QStringLiteral("Select File One") : QStringLiteral("Select File Two"),
                                                            start, QStringLiteral("All Files (*)"));
        if (!chosen.isEmpty())
            box->setText(chosen);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(one ? QStringLiteral("frmViewFileDiffOptions.cmdFileOne_Click")
                                                 : QStringLiteral("frmViewFileDiffOptions.cmdFileTwo_Click"));
    }
}

void frmViewFileDiffOptions::Ok()
{
    try {
        const QString f1 = m_txtFile[0]->text();
        const QString f2 = m_txtFile[1]->text();
        const QString title = QStringLiteral("File Not Found");
        const QString quote = QStringLiteral("\"");
        QString problem;
        if (f1.trimmed().isEmpty())
            problem = QStringLiteral("File 1 not specified.");
        else if (!QFileInfo(f1).isFile())
            problem = quote + f1 + quote + QStringLiteral(" is not an existing file.");
        else if (f2.trimmed().isEmpty())
            problem = QStringLiteral("File 2 not specified.");
        else if (!QFileInfo(f2).isFile())
            problem = quote + f2 + quote + QStringLiteral("  is not an existing file.");
        if (!problem.isEmpty()) {
            m_ctx.Dialogs().Message(problem, title, UserDialogs::Icon::Warning);
            reject();
            return;
        }
        cViewFileDiffsOptions& o = m_ctx.DiffOptions();
        o.SetFileOne(f1);
        o.SetFileTwo(f2);
        o.SetIgnoreWhiteSpace(m_chkIgnoreWhiteSpace->isChecked());
        o.SetIgnoreCase(m_chkIgnoreCase->isChecked());
        o.SetShowOptionsDialog(m_chkShowOptionsDialog->isChecked());
        o.SetFormat(m_optFormat[0]->isChecked() ? cViewFileDiffsOptions::Visual : cViewFileDiffsOptions::Unix);
        if (m_marksChanged)
            m_marksChanged();
        hide();
        m_savedAFile = RunFileDifferences(m_ctx, parentWidget());
        accept();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmViewFileDiffOptions.cmdShowDiffs_Click"));
        reject();
    }
}
