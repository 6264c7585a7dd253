#include "app/frmMain.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "compare/CCompare.h"
#include "compare/CompareRun.h"

#include <QApplication>
#include <QComboBox>
#include <QScopeGuard>
#include <QCompleter>
#include <QFileSystemModel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

void frmMain::BuildFolderBox(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxCount(20);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    box->addItem(FolderPathPrompt());
    box->setAcceptDrops(true);
    box->lineEdit()->setAcceptDrops(true);
    box->installEventFilter(this);
    box->lineEdit()->installEventFilter(this);
    connect(box, &QComboBox::editTextChanged, this, [this] { OnFolderTextChanged(); });
}

// Folder paths complete while they are typed when the option asks for it; the completer lists folders
// only, from the file system, and is made on first use (it watches folders once it exists).
void frmMain::ApplyAutoComplete()
{
    const bool on = m_ctx.MainOptions().AutoCompleteFolderPath;
    if (on && m_folderCompleter == nullptr) {
        auto* model = new QFileSystemModel(this);
        model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
        model->setRootPath(QString());
        m_folderCompleter = new QCompleter(model, this);
        m_folderCompleter->setCompletionMode(QCompleter::PopupCompletion);
        m_folderCompleter->setCaseSensitivity(Qt::CaseSensitive);
    }
    for (QComboBox* box : {m_cboSource, m_cboTarget})
        box->setCompleter(on ? m_folderCompleter : nullptr);
}

// Any change of a folder makes the shown results stale; they are cleared, never re-compared by itself.
void frmMain::OnFolderTextChanged()
{
    // The prompt reads from its start, where it says what to do.
    for (QComboBox* box : {m_cboSource, m_cboTarget})
        if (box->currentText() == FolderPathPrompt() && box->lineEdit()->cursorPosition() != 0)
            box->lineEdit()->setCursorPosition(0);
    if (PopulatingFolderCombos || m_replacingFolderTexts || !MenusEnabled())
        return;
    try {
        RemoveListItemsAndShowNoCompareMsg();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.cboSourcePath_Change"));
    }
}

QString frmMain::FolderText(bool source) const { return (source ? m_cboSource : m_cboTarget)->currentText(); }

void frmMain::SetFolderText(bool source, const QString& text) { (source ? m_cboSource : m_cboTarget)->setEditText(text); }

void frmMain::ReplaceFolderTexts(const QString& source, const QString& target)
{
    // The boxes' change events would clear the results that the comparison to follow replaces anyway.
    m_replacingFolderTexts = true;
    const auto restore = qScopeGuard([this] { m_replacingFolderTexts = false; });
    m_cboSource->setEditText(source);
    m_cboTarget->setEditText(target);
}

bool frmMain::CanTakeFolders() const
{
    return MenusEnabled() && !m_ctx.Compare().RunningCompare() && QApplication::activeModalWidget() == nullptr;
}

void frmMain::OpenFolders(const QStringList& folders)
{
    if (folders.isEmpty() || !CanTakeFolders())
        return;
    try {
        if (folders.size() == 1) {
            SetFolderText(true, folders.front());
            return;
        }
        ReplaceFolderTexts(folders.at(0), folders.at(1));
        // The user named both folders: a comparison the user asked for (its problems are shown).
        CompareDirs(true, false);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.OpenFolders"));
    }
}

void frmMain::BrowseForFolder(bool source)
{
    if (!MenusEnabled())
        return;
    QComboBox* box = source ? m_cboSource : m_cboTarget;
    const QString current = box->currentText() == FolderPathPrompt() ? QString() : box->currentText();
    const QString chosen = m_ctx.Dialogs().PickFolder(
        source ? QStringLiteral("Select the Left Folder") : QStringLiteral("Select the Right Folder"), current);
    if (chosen.isEmpty())
        return;
    box->setEditText(chosen.endsWith(QLatin1Char('/')) ? chosen : chosen + QLatin1Char('/'));
}

// Drops onto a folder box set its text. A drop from a file manager carries the dropped paths as URLs and
// their text form too; the path is what the box needs, so local URLs win over the text.
bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    QComboBox* box = nullptr;
    for (QComboBox* candidate : {m_cboSource, m_cboTarget})
        if (candidate != nullptr && (watched == candidate || watched == candidate->lineEdit()))
            box = candidate;
    if (box == nullptr)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        const QMimeData* data = drag->mimeData();
        if (MenusEnabled() && (data->hasUrls() || data->hasText()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData* data = drop->mimeData();
        if (!MenusEnabled())
            return true;
        QString text;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                text = url.toLocalFile();
                break;
            }
        }
        if (text.isEmpty() && data->hasText())
            text = data->text().trimmed();
        if (!text.isEmpty())
            box->setEditText(text);
        drop->acceptProposedAction();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
