#include "app/frmErrorLog.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmErrorLog::frmErrorLog(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmErrorLog"));
    resize(640, 420);
    m_txtMsg = new QPlainTextEdit(this);
    m_txtMsg->setObjectName(QStringLiteral("txtMsg"));
    m_txtMsg->setReadOnly(true);
    m_txtMsg->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtMsg->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_cmdClear = new QPushButton(QStringLiteral("&Clear"), this);
    m_cmdClear->setObjectName(QStringLiteral("cmdClear"));
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdClear);
    buttons->addWidget(m_cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_txtMsg);
    layout->addLayout(buttons);

    connect(m_cmdClear, &QPushButton::clicked, this, &frmErrorLog::Clear);
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

QString frmErrorLog::ShownText() const { return m_txtMsg->toPlainText(); }

void frmErrorLog::LoadFile(const QString& file)
{
    m_ctx.Dialogs().ShowBusy(true);
    m_txtMsg->clear();
    m_file = file;
    const QString emptyText = windowTitle() == ErrorLogCaption() ? EmptyLogText() : QString();
    try {
        QFile f(file);
        if (!f.exists()) {
            if (!f.open(QIODevice::WriteOnly))
                throw Failure::FromErrno(errno, true, Failure::ProgramSource());
            f.close();
        }
        if (QFileInfo(file).size() > MaxDisplayBytes)
            throw Failure(Failure::OutOfMemory, Failure::DescriptionOf(Failure::OutOfMemory));
        if (!f.open(QIODevice::ReadOnly))
            throw Failure::FromErrno(errno, true, Failure::ProgramSource());
        const QByteArray bytes = f.readAll();
        if (bytes.isEmpty())
            m_txtMsg->setPlainText(emptyText);
        else
            m_txtMsg->setPlainText(QString::fromUtf8(bytes).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    } catch (...) {
        const Failure failure = CurrentFailure();
        if (failure.number() == Failure::OutOfMemory) {
            m_txtMsg->setPlainText(QStringLiteral("\"The file ") + file + QStringLiteral("\" is too large to display.\n"
                "Open the file in a text editor and remove any unnecessary information.  Press the Clear button at "
                "the bottom of this screen if you wish to remove all of the information in the file."));
        } else if (failure.number() == Failure::BadFileMode) {
            m_txtMsg->setPlainText(emptyText);
        } else {
            m_ctx.Errors().Report(failure, QStringLiteral("frmErrorLog.DisplayFile"));
        }
    }
    m_ctx.Dialogs().ShowBusy(false);
}

void frmErrorLog::DisplayFile(const QString& file)
{
    LoadFile(file);
    exec();
}

void frmErrorLog::Clear()
{
    QFile::remove(m_file);
    LoadFile(m_file);
}

void ShowErrorLogWindow(AppContext& ctx, QWidget* parent)
{
    frmErrorLog window(ctx, parent);
    window.setWindowTitle(frmErrorLog::ErrorLogCaption());
    window.DisplayFile(ctx.Log().File());
}
