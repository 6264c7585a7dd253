#include "diff/frmCompareFiles.h"

#include "app/AppContext.h"
#include "app/frmErrorLog.h"
#include "app/frmHelp.h"
#include "base/DesktopOpener.h"
#include "base/Failure.h"
#include "base/ProgressSink.h"
#include "base/QtEventPump.h"
#include "base/UserDialogs.h"
#include "compare/Sha1.h"
#include "model/PathUtils.h"
#include "platform/DriveQueries.h"
#include "sync/frmFileSync.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

enum Column { MethodColumn, FileOneColumn, FileTwoColumn, ResultColumn, ColumnCount };

const QString CloseCaption = QStringLiteral("C&lose");
const QString CancelCaption = QStringLiteral("Cancel");
// Failure 364: the window was unloaded while the differences were being shown.
constexpr int WindowAlreadyUnloaded = 364;

QPushButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* PathBox(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMinimumWidth(420);
    return box;
}

// The path a drop brings: the first dropped file, or else the dropped text.
std::optional<QString> DroppedPath(const QMimeData* data)
{
    if (data == nullptr)
        return std::nullopt;
    if (data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                return url.toLocalFile();
    if (data->hasText())
        return data->text();
    return std::nullopt;
}

} // namespace

class frmCompareFiles::BarSink final : public ProgressSink
{
public:
    explicit BarSink(QProgressBar* bar) : m_bar(bar) {}
    void SetRange(qint64) override {}
    void SetValue(qint64 value) override { m_bar->setValue(int(qBound(qint64(0), value, qint64(100)))); }
    void SetText(const QString&) override {}

private:
    QProgressBar* m_bar;
};

frmCompareFiles::frmCompareFiles(AppContext& ctx, const CompareFilesStart& start, ShowDifferencesFn showDifferences,
                                 QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_showDifferences(std::move(showDifferences)),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }), m_ownPump(std::make_unique<QtEventPump>()),
      m_pump(m_ownPump.get()), m_drives(&DriveQueries::System()), m_leftFolder(start.leftFolder),
      m_rightFolder(start.rightFolder)
{
    setObjectName(QStringLiteral("frmCompareFiles"));
    setWindowTitle(Caption());
    setModal(true);
    BuildWindow();
    FormLoad(start);
}

frmCompareFiles::~frmCompareFiles() = default;

QString frmCompareFiles::SelectedRowName(const ResultList& list, int row)
{
    if (row < 0 || size_t(row) >= list.size() || !IsRealRow(list[size_t(row)]))
        return {};
    return list[size_t(row)].text;
}

void frmCompareFiles::SetEventPump(EventPump* pump) { m_pump = pump != nullptr ? pump : m_ownPump.get(); }

void frmCompareFiles::BuildWindow()
{
    m_txtFileOne = PathBox("txtFileOne", this);
    m_txtFileTwo = PathBox("txtFileTwo", this);
    m_cmdFileOne = Button(QStringLiteral("..."), "cmdFileOne", this);
    m_cmdFileTwo = Button(QStringLiteral("..."), "cmdFileTwo", this);
    m_txtFileOne->installEventFilter(this);
    m_txtFileTwo->installEventFilter(this);

    auto* paths = new QGridLayout;
    paths->addWidget(new QLabel(QStringLiteral("File 1:"), this), 0, 0);
    paths->addWidget(m_txtFileOne, 0, 1);
    paths->addWidget(m_cmdFileOne, 0, 2);
    paths->addWidget(new QLabel(QStringLiteral("File 2:"), this), 1, 0);
    paths->addWidget(m_txtFileTwo, 1, 1);
    paths->addWidget(m_cmdFileTwo, 1, 2);
    paths->setColumnStretch(1, 1);

    m_lvwCompareFiles = new QTableWidget(0, ColumnCount, this);
    m_lvwCompareFiles->setObjectName(QStringLiteral("lvwCompareFiles"));
    m_lvwCompareFiles->setHorizontalHeaderLabels(
        {QStringLiteral("Method"), QStringLiteral("File #1"), QStringLiteral("File #2"), QStringLiteral("Result")});
    m_lvwCompareFiles->verticalHeader()->hide();
    m_lvwCompareFiles->setShowGrid(true);
    m_lvwCompareFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwCompareFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwCompareFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwCompareFiles->setWordWrap(false);
    m_lvwCompareFiles->horizontalHeader()->setStretchLastSection(true);
    m_lvwCompareFiles->setColumnWidth(MethodColumn, 150);
    m_lvwCompareFiles->setColumnWidth(FileOneColumn, 200);
    m_lvwCompareFiles->setColumnWidth(FileTwoColumn, 200);

    m_lblStatusInfo = new QLabel(this);
    m_lblStatusInfo->setObjectName(QStringLiteral("lblStatusInfo"));
    m_lblStatusInfo->setTextFormat(Qt::PlainText);
    m_prgBinaryCompare = new QProgressBar(this);
    m_prgBinaryCompare->setObjectName(QStringLiteral("prgBinaryCompare"));
    m_prgBinaryCompare->setRange(0, 100);
    m_prgBinaryCompare->setValue(0);
    m_bar = std::make_unique<BarSink>(m_prgBinaryCompare);

    m_cmdCompare = Button(QStringLiteral("&Compare"), "cmdCompare", this);
    m_cmdCompare->setDefault(true);
    m_cmdShowDiffs = Button(QStringLiteral("Show &Differences"), "cmdShowDiffs", this);
    m_cmdSync = Button(QStringLiteral("&Sync"), "cmdSync", this);
    m_cmdViewFileOne = Button(QStringLiteral("Open File 1"), "cmdViewFileOne", this);
    m_cmdViewFileTwo = Button(QStringLiteral("Open File 2"), "cmdViewFileTwo", this);
    m_cmdHelp = Button(QStringLiteral("&Help"), "cmdHelp", this);
    m_cmdCancel = Button(CloseCaption, "cmdCancel", this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_cmdCompare, m_cmdShowDiffs, m_cmdSync, m_cmdViewFileOne, m_cmdViewFileTwo})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdHelp);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addWidget(m_lvwCompareFiles, 1);
    layout->addWidget(m_lblStatusInfo);
    layout->addWidget(m_prgBinaryCompare);
    layout->addLayout(buttons);
    resize(820, 360);

    connect(m_cmdFileOne, &QPushButton::clicked, this, &frmCompareFiles::cmdFileOne_Click);
    connect(m_cmdFileTwo, &QPushButton::clicked, this, &frmCompareFiles::cmdFileTwo_Click);
    connect(m_cmdCompare, &QPushButton::clicked, this, &frmCompareFiles::cmdCompare_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmCompareFiles::cmdCancel_Click);
    connect(m_cmdShowDiffs, &QPushButton::clicked, this, &frmCompareFiles::cmdShowDiffs_Click);
    connect(m_cmdSync, &QPushButton::clicked, this, &frmCompareFiles::cmdSync_Click);
    connect(m_cmdViewFileOne, &QPushButton::clicked, this, [this] {
        OpenFile(m_txtFileOne, QStringLiteral("File 1 does not exist."), QStringLiteral("Open File 1"));
    });
    connect(m_cmdViewFileTwo, &QPushButton::clicked, this, [this] {
        OpenFile(m_txtFileTwo, QStringLiteral("File 2 does not exist."), QStringLiteral("Open File 2"));
    });
    connect(m_cmdHelp, &QPushButton::clicked, this, &frmCompareFiles::cmdHelp_Click);
}

void frmCompareFiles::FormLoad(const CompareFilesStart& start)
{
    try {
        // The SHA-1 row is offered only where the digest can be had.
        m_shaRow = IsSHA1Available();
        const int rows = m_shaRow ? TwoFileCheckCount : TwoFileCheckCount - 1;
        m_lvwCompareFiles->setRowCount(rows);
        for (int r = 0; r < rows; ++r) {
            auto* method = new QTableWidgetItem(TwoFileCheckText(TwoFileCheck(r)));
            method->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            method->setCheckState(Qt::Checked);
            m_lvwCompareFiles->setItem(r, MethodColumn, method);
            for (int c = FileOneColumn; c < ColumnCount; ++c) {
                auto* cell = new QTableWidgetItem;
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_lvwCompareFiles->setItem(r, c, cell);
            }
        }
        m_txtFileOne->setText(InitialPath(start.fileOnePreset, start.leftFolder, start.leftName));
        m_txtFileOne->setCursorPosition(int(m_txtFileOne->text().size()));
        m_txtFileTwo->setText(InitialPath(start.fileTwoPreset, start.rightFolder, start.rightName));
        m_txtFileTwo->setCursorPosition(int(m_txtFileTwo->text().size()));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareFiles.FormLoad"));
    }
}

// The preset; otherwise the selected file in the comparison's folder, or that folder; "/" when the
// folder is not there.
QString frmCompareFiles::InitialPath(const QString& preset, const QString& folder, const QString& name) const
{
    if (!preset.isEmpty())
        return preset;
    if (folder.isEmpty() || !FolderExists(m_ctx.Lib(), m_ctx.Errors(), folder))
        return QStringLiteral("/");
    const QString base = AddTrailingBackslash(folder);
    if (!name.isEmpty() && !name.startsWith(QLatin1Char('/')) && IsExistingFile(base + name))
        return base + name;
    return base;
}

void frmCompareFiles::cmdFileOne_Click()
{
    ChooseFile(m_txtFileOne, QStringLiteral("Select File One"), m_leftFolder, "frmCompareFiles.cmdFileOne_Click");
}

void frmCompareFiles::cmdFileTwo_Click()
{
    ChooseFile(m_txtFileTwo, QStringLiteral("Select File Two"), m_rightFolder, "frmCompareFiles.cmdFileTwo_Click");
}

// The picker starts in the folder of the box's path when that exists, else in the comparison's folder,
// else at the root.
void frmCompareFiles::ChooseFile(QLineEdit* box, const QString& title, const QString& comparisonFolder, const char* label)
{
    try {
        QString start;
        const QString text = box->text();
        const QString textFolder = text.isEmpty() ? QString() : QFileInfo(text).path();
        if (!text.isEmpty() && FolderExists(m_ctx.Lib(), m_ctx.Errors(), textFolder))
            start = textFolder;
        else if (!comparisonFolder.isEmpty() && FolderExists(m_ctx.Lib(), m_ctx.Errors(), comparisonFolder))
            start = comparisonFolder;
        else
            start = QStringLiteral("/");
        const QString chosen = m_ctx.Dialogs().PickOpenFile(title, start, QStringLiteral("All Files (*)"));
        if (!chosen.isEmpty()) {
            box->setText(chosen);
            box->setCursorPosition(int(chosen.size()));
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QString::fromLatin1(label));
    }
}

TwoFileCheckMarks frmCompareFiles::CheckMarks() const
{
    TwoFileCheckMarks marks{};
    for (int r = 0; r < m_lvwCompareFiles->rowCount() && r < TwoFileCheckCount; ++r)
        marks[size_t(r)] = m_lvwCompareFiles->item(r, MethodColumn)->checkState() == Qt::Checked;
    return marks;
}

void frmCompareFiles::SetCommandsEnabled(bool enabled, bool withCancel)
{
    m_cmdCompare->setEnabled(enabled);
    m_cmdSync->setEnabled(enabled);
    m_cmdShowDiffs->setEnabled(enabled);
    if (withCancel)
        m_cmdCancel->setEnabled(enabled);
}

void frmCompareFiles::cmdCompare_Click()
{
    if (m_commandRunning)
        return;
    m_commandRunning = true;
    SetCommandsEnabled(false);
    // The busy pointer over the window only: Cancel keeps the normal one, so it still looks pressable.
    setCursor(Qt::WaitCursor);
    m_cmdCancel->setCursor(Qt::ArrowCursor);
    bool logWanted = false;
    {
        TwoFileChecks checks(m_ctx.ComparisonServices(), *this, *m_pump, true);
        checks.Run(m_txtFileOne->text(), m_txtFileTwo->text(), CheckMarks());
        logWanted = checks.LogWanted();
    }
    m_runningCheck = false;
    SetCommandsEnabled(true);
    m_lblStatusInfo->clear();
    m_cmdCancel->setText(CloseCaption);
    m_prgBinaryCompare->setValue(0);
    unsetCursor();
    m_cmdCancel->unsetCursor();
    m_commandRunning = false;
    if (m_closeWhenDone) {
        m_closeWhenDone = false;
        QDialog::reject();
        return;
    }
    if (logWanted)
        ShowErrorLogWindow(m_ctx, this);
}

void frmCompareFiles::cmdCancel_Click()
{
    if (m_cmdCancel->text() != CancelCaption) {
        if (!m_commandRunning) {
            QDialog::reject();
            return;
        }
        // The checks are running inside this very click's event loop; the window goes when they end.
        m_closeWhenDone = true;
        m_ctx.Compare().SetCompareCancelled(true);
        return;
    }
    if (m_runningCheck) {
        m_ctx.Compare().SetCompareCancelled(true);
        m_cmdCancel->setText(CloseCaption);
    }
}

// Escape and the title bar do what the Close/Cancel button does.
void frmCompareFiles::reject() { cmdCancel_Click(); }

void frmCompareFiles::closeEvent(QCloseEvent* event)
{
    if (m_commandRunning) {
        event->ignore();
        cmdCancel_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void frmCompareFiles::cmdShowDiffs_Click()
{
    if (m_commandRunning)
        return;
    m_commandRunning = true;
    SetCommandsEnabled(false, true);
    setCursor(Qt::WaitCursor);
    try {
        const QString f1 = m_txtFileOne->text();
        const QString f2 = m_txtFileTwo->text();
        if (CheckTwoFilePaths(m_ctx.Dialogs(), f1, f2)) {
            m_ctx.DiffOptions().SetFileOne(f1);
            m_ctx.DiffOptions().SetFileTwo(f2);
            unsetCursor();
            if (m_showDifferences)
                m_showDifferences(f1, f2);
        }
    } catch (...) {
        if (CurrentFailure().number() != WindowAlreadyUnloaded)
            m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareFiles.cmdShowDiffs_Click"));
    }
    SetCommandsEnabled(true, true);
    unsetCursor();
    m_commandRunning = false;
}

void frmCompareFiles::cmdSync_Click()
{
    if (m_commandRunning)
        return;
    m_commandRunning = true;
    SetCommandsEnabled(false);
    try {
        const QString f1 = m_txtFileOne->text();
        const QString f2 = m_txtFileTwo->text();
        const bool one = IsExistingFile(f1);
        const bool two = IsExistingFile(f2);
        if (one && two) {
            frmFileSync sync(m_ctx, f1, f2, *m_drives, this);
            sync.exec();
            // Once a file was replaced the folder comparison is out of date, whatever a later Sync does.
            m_fileSynchronised = m_fileSynchronised || sync.FileSynchronised();
        } else {
            m_ctx.Dialogs().Message(one ? QStringLiteral("File 2 does not exist.") : QStringLiteral("File 1 does not exist."),
                                    QStringLiteral("File Sync"), UserDialogs::Icon::Information);
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareFiles.cmdSync_Click"));
    }
    SetCommandsEnabled(true);
    m_commandRunning = false;
}

void frmCompareFiles::OpenFile(QLineEdit* box, const QString& missingText, const QString& title)
{
    const QString path = box->text();
    if (!IsExistingFile(path)) {
        m_ctx.Dialogs().Message(missingText, QStringLiteral("File Sync"), UserDialogs::Icon::Information);
        return;
    }
    HandToDesktop(m_ctx.Dialogs(), m_openUrl, path, title);
}

void frmCompareFiles::cmdHelp_Click()
{
    try {
        ShowHelp(m_ctx.AssetFile(HelpFileName()), this, QStringLiteral("compare-two-files"));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmCompareFiles.cmdHelp_Click"));
    }
}

bool frmCompareFiles::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr || (box != m_txtFileOne && box != m_txtFileTwo))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (DroppedPath(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (const std::optional<QString> path = DroppedPath(drop->mimeData())) {
            // The whole box takes the dropped path; a text drop would otherwise land inside the old text.
            box->setText(*path);
            box->setCursorPosition(int(path->size()));
            drop->acceptProposedAction();
        }
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmCompareFiles::SetStatus(const QString& text) { m_lblStatusInfo->setText(text); }

void frmCompareFiles::RowChanged(TwoFileCheck check, const TwoFileRow& row)
{
    const int r = int(check);
    if (r >= m_lvwCompareFiles->rowCount())
        return;
    m_lvwCompareFiles->item(r, FileOneColumn)->setText(row.fileOne);
    m_lvwCompareFiles->item(r, FileTwoColumn)->setText(row.fileTwo);
    m_lvwCompareFiles->item(r, ResultColumn)->setText(row.result);
    for (int c = FileOneColumn; c < ColumnCount; ++c)
        m_lvwCompareFiles->item(r, c)->setToolTip(m_lvwCompareFiles->item(r, c)->text());
}

void frmCompareFiles::LongCheckStarted()
{
    m_cmdCancel->setText(CancelCaption);
    m_runningCheck = true;
}

void frmCompareFiles::LongCheckEnded() { m_runningCheck = false; }

ProgressSink& frmCompareFiles::Bar() { return *m_bar; }
