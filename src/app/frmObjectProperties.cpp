#include "app/frmObjectProperties.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString PermissionText(QFile::Permissions p)
{
    auto bit = [p](QFile::Permission flag, char c) { return p.testFlag(flag) ? QLatin1Char(c) : QLatin1Char('-'); };
    QString text;
    text += bit(QFile::ReadOwner, 'r');
    text += bit(QFile::WriteOwner, 'w');
    text += bit(QFile::ExeOwner, 'x');
    text += bit(QFile::ReadGroup, 'r');
    text += bit(QFile::WriteGroup, 'w');
    text += bit(QFile::ExeGroup, 'x');
    text += bit(QFile::ReadOther, 'r');
    text += bit(QFile::WriteOther, 'w');
    text += bit(QFile::ExeOther, 'x');
    return text;
}

QLabel* Value(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Asks the desktop's file manager to show its own property page. Answers whether it did.
bool FileManagerShowsProperties(const QString& path)
{
    const QString dbusSend = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    if (dbusSend.isEmpty() || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    QProcess process;
    process.start(dbusSend, {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                             QStringLiteral("--reply-timeout=3000"),
                             QStringLiteral("--dest=org.freedesktop.FileManager1"),
                             QStringLiteral("/org/freedesktop/FileManager1"),
                             QStringLiteral("org.freedesktop.FileManager1.ShowItemProperties"),
                             QStringLiteral("array:string:") + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
                             QStringLiteral("string:")});
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
} // namespace

frmObjectProperties::frmObjectProperties(const QString& path, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmObjectProperties"));
    const QFileInfo info(path);
    setWindowTitle(info.fileName() + QStringLiteral(" Properties"));
    auto* form = new QFormLayout;
    const QLocale locale;
    form->addRow(QStringLiteral("Name:"), Value(info.fileName(), this));
    form->addRow(QStringLiteral("Location:"), Value(info.absolutePath(), this));
    QString type = info.isSymLink() ? QStringLiteral("Link to ") : QString();
    type += info.isDir() ? QStringLiteral("Folder") : info.isFile() ? QStringLiteral("File") : QStringLiteral("Special file");
    form->addRow(QStringLiteral("Type:"), Value(type, this));
    if (info.isSymLink())
        form->addRow(QStringLiteral("Target:"), Value(info.symLinkTarget(), this));
    if (!info.isDir())
        form->addRow(QStringLiteral("Size:"), Value(locale.toString(info.size()) + QStringLiteral(" bytes"), this));
    form->addRow(QStringLiteral("Modified:"),
                 Value(locale.toString(info.lastModified(), QLocale::LongFormat), this));
    form->addRow(QStringLiteral("Owner:"), Value(info.owner() + QStringLiteral(" / ") + info.group(), this));
    form->addRow(QStringLiteral("Permissions:"), Value(PermissionText(info.permissions()), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ShowObjectProperties(const QString& path, QWidget* parent)
{
    if (FileManagerShowsProperties(path))
        return;
    frmObjectProperties window(path, parent);
    window.exec();
}
