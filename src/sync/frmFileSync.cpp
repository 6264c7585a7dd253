#include "sync/frmFileSync.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "platform/DriveQueries.h"
#include "sync/FileSync.h"

#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel* Named(QLabel* label, const char* name)
{
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel* PathLabel(const QString& path, const char* name, QWidget* parent)
{
    auto* label = Named(new QLabel(path, parent), name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setToolTip(path);
    return label;
}

QLabel* SmallIcon(const QString& path, const char* name, QWidget* parent)
{
    auto* label = Named(new QLabel(parent), name);
    const QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    label->setPixmap(icon.pixmap(16, 16));
    label->setFixedSize(16, 16);
    return label;
}

} // namespace

frmFileSync::frmFileSync(AppContext& ctx, const QString& fileOne, const QString& fileTwo, QWidget* parent)
    : frmFileSync(ctx, fileOne, fileTwo, DriveQueries::System(), parent)
{
}

frmFileSync::frmFileSync(AppContext& ctx, const QString& fileOne, const QString& fileTwo, const DriveQueries& drives,
                         QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_drives(drives), m_fileOne(fileOne), m_fileTwo(fileTwo)
{
    setObjectName(QStringLiteral("frmFileSync"));
    setWindowTitle(Caption());
    setModal(true);

    auto* prompt = Named(new QLabel(QStringLiteral("Please specify the synchronization method to use.  Press OK to continue."),
                                    this),
                         "lblPrompt");

    auto* files = new QGridLayout;
    files->addWidget(new QLabel(QStringLiteral("File 1:"), this), 0, 0);
    files->addWidget(SmallIcon(fileOne, "pctFileOneSmallIcon", this), 0, 1);
    files->addWidget(PathLabel(fileOne, "lblFileOne", this), 0, 2);
    files->addWidget(new QLabel(QStringLiteral("File 2:"), this), 1, 0);
    files->addWidget(SmallIcon(fileTwo, "pctFileTwoSmallIcon", this), 1, 1);
    files->addWidget(PathLabel(fileTwo, "lblFileTwo", this), 1, 2);
    files->setColumnStretch(2, 1);

    auto* frame = new QGroupBox(QStringLiteral("Sync Methods"), this);
    frame->setObjectName(QStringLiteral("fraSyncMethods"));
    m_optFileTwoSameAsFileOne = new QRadioButton(QStringLiteral("Replace File 2 with File 1"), frame);
    m_optFileTwoSameAsFileOne->setObjectName(QStringLiteral("optFileTwoSameAsFileOne"));
    m_optFileTwoSameAsFileOne->setChecked(true);
    m_optFileOneSameAsFileTwo = new QRadioButton(QStringLiteral("Replace File 1 with File 2"), frame);
    m_optFileOneSameAsFileTwo->setObjectName(QStringLiteral("optFileOneSameAsFileTwo"));
    auto* methods = new QVBoxLayout(frame);
    methods->addWidget(m_optFileTwoSameAsFileOne);
    methods->addWidget(m_optFileOneSameAsFileTwo);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(files);
    layout->addWidget(frame);
    layout->addWidget(buttons);
    setMinimumWidth(460);

    connect(ok, &QPushButton::clicked, this, &frmFileSync::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmFileSync::cmdOK_Click()
{
    const FileSyncDirection direction = m_optFileOneSameAsFileTwo->isChecked() ? FileSyncDirection::FileOneSameAsFileTwo
                                                                              : FileSyncDirection::FileTwoSameAsFileOne;
    FileSyncResult result = FileSyncResult::Failed;
    {
        BusyPointer busy(m_ctx.Dialogs());
        const FileSyncServices services{m_ctx.Dialogs(), m_ctx.Errors(), m_drives, m_ctx.AppFolder(),
                                        m_ctx.MainOptions().KeepForUndo};
        result = SynchronizeFile(services, m_fileOne, m_fileTwo, direction);
    }
    if (result != FileSyncResult::Synchronised)
        return;
    m_fileSynchronised = true;
    accept();
}
