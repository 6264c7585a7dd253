#include "app/frmHelp.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

frmHelp::frmHelp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Parvex Help"));
    setModal(false);
    resize(640, 520);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

void frmHelp::ShowFile(const QString& file, const QString& topic)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        m_browser->setPlainText(QStringLiteral("The help file ") + file + QStringLiteral(" was not found."));
        return;
    }
    // Relative links and pictures of the help resolve beside the help file.
    m_browser->setSearchPaths({QFileInfo(file).absolutePath()});
    m_browser->setHtml(QString::fromUtf8(f.readAll()));
    if (!topic.isEmpty())
        m_browser->scrollToAnchor(topic);
}

QString frmHelp::ShownText() const { return m_browser->toPlainText(); }

frmHelp* ShowHelp(const QString& file, QWidget* parent, const QString& topic)
{
    auto* help = parent == nullptr ? nullptr : parent->findChild<frmHelp*>(QStringLiteral("frmHelp"));
    if (help == nullptr) {
        help = new frmHelp(parent);
        if (parent == nullptr)
            help->setAttribute(Qt::WA_DeleteOnClose);
    }
    help->ShowFile(file, topic);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}
