#include "sync/frmSyncLog.h"

#include "app/AppContext.h"
#include "compare/RowFormat.h"
#include "sync/GuiSyncUndo.h"
#include "sync/SyncHistory.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

frmSyncLog::frmSyncLog(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_lvwSyncHistory(new QTreeWidget(this)),
      m_lblNumEntries(new QLabel(QStringLiteral("Store this many entries in the Synchronization Log:"), this)),
      m_txtNumEntries(new QLineEdit(this)), m_cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      m_cmdUndoLastSync(new QPushButton(QStringLiteral("&Undo Last Synchronization..."), this))
{
    setObjectName(QStringLiteral("frmSyncLog"));
    setWindowTitle(QStringLiteral("Synchronization History"));
    setModal(true);

    m_lvwSyncHistory->setObjectName(QStringLiteral("lvwSyncHistory"));
    m_lvwSyncHistory->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Folder #1"), QStringLiteral("Folder #2"),
                                         QStringLiteral("Result")});
    m_lvwSyncHistory->setRootIsDecorated(false);
    m_lvwSyncHistory->setUniformRowHeights(true);
    m_lvwSyncHistory->setAllColumnsShowFocus(true);
    m_lvwSyncHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    // A long path keeps its last folders in sight; the whole path is in the row's tool tip.
    m_lvwSyncHistory->setTextElideMode(Qt::ElideMiddle);
    m_lvwSyncHistory->setColumnWidth(0, 150);
    m_lvwSyncHistory->setColumnWidth(1, 220);
    m_lvwSyncHistory->setColumnWidth(2, 220);

    m_lblNumEntries->setObjectName(QStringLiteral("lblNumEntries"));
    m_txtNumEntries->setObjectName(QStringLiteral("txtNumEntries"));
    m_txtNumEntries->setMaximumWidth(m_txtNumEntries->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    m_txtNumEntries->installEventFilter(this);
    m_lblNumEntries->setBuddy(m_txtNumEntries);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    m_cmdUndoLastSync->setObjectName(QStringLiteral("cmdUndoLastSync"));
    m_cmdUndoLastSync->setAutoDefault(false);
    connect(m_cmdUndoLastSync, &QPushButton::clicked, this, [this] { cmdUndoLastSync_Click(); });

    auto* undo = new QHBoxLayout;
    undo->addWidget(m_cmdUndoLastSync);
    undo->addStretch(1);
    auto* entries = new QHBoxLayout;
    entries->addWidget(m_lblNumEntries);
    entries->addWidget(m_txtNumEntries);
    entries->addStretch(1);
    entries->addWidget(m_cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lvwSyncHistory, 1);
    layout->addLayout(undo);
    layout->addLayout(entries);
    resize(760, 360);

    FormLoad();
}

void frmSyncLog::FormLoad()
{
    try {
        qint32& maximum = m_ctx.MainOptions().NumSyncLogEntries;
        AdjustNumLogEntries(m_ctx.AppFolder(), maximum, false, maximum, m_ctx.Dialogs(), m_ctx.Errors());
        m_txtNumEntries->setText(QString::number(maximum));
        FillList();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSyncLog.Form_Load"));
    }
}

void frmSyncLog::FillList()
{
    try {
        m_lvwSyncHistory->clear();
        const QList<SyncHistory::Record> records = SyncHistory::ReadAll(m_ctx.AppFolder());
        const QLocale locale;
        const QString dateFormat = RowFormatter(locale).DateTimeFormat();
        QList<QTreeWidgetItem*> items;
        items.reserve(records.size());
        for (const SyncHistory::Record& r : records) {
            const QDateTime when = SyncHistory::DateTimeFromOleDate(r.when);
            auto* item = new QTreeWidgetItem(QStringList{when.isValid() ? locale.toString(when, dateFormat) : QString(),
                                                         SyncHistory::DisplayText(r.left), SyncHistory::DisplayText(r.right),
                                                         SyncHistory::DisplayText(r.outcome)});
            item->setToolTip(1, item->text(1));
            item->setToolTip(2, item->text(2));
            items.push_back(item);
        }
        m_lvwSyncHistory->addTopLevelItems(items);
        m_lvwSyncHistory->resizeColumnToContents(0);
        m_cmdUndoLastSync->setEnabled(GuiSyncUndo::HasRunToUndo(m_ctx.AppFolder()));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmSyncLog.Form_Load"));
    }
}

bool frmSyncLog::ValidateNumEntries()
{
    const QString text = m_txtNumEntries->text();
    if (SyncHistory::NumEntriesFromText(text))
        return true;
    m_validating = true;
    m_ctx.Lib().ShowInformationMessage(QLatin1Char('"') + text + QStringLiteral("\" is not a valid number of entries.\r\n")
                                           + QStringLiteral("Please enter a whole number in the range of 1 to 32000."),
                                       QStringLiteral("Invalid Number of Entries"));
    m_validating = false;
    m_txtNumEntries->setFocus(Qt::OtherFocusReason);
    m_txtNumEntries->selectAll();
    return false;
}

bool frmSyncLog::eventFilter(QObject* watched, QEvent* event)
{
    // The box is checked when the focus moves on to another control of this window. The OK button
    // checks it itself; a message box or another window taking the focus is no move.
    if (watched == m_txtNumEntries && event->type() == QEvent::FocusOut && !m_validating) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Once the focus has arrived, so that taking it back is not undone by the move itself.
            QTimer::singleShot(0, this, [this] {
                if (!m_validating && QApplication::focusWidget() != m_cmdOK && QApplication::focusWidget() != m_txtNumEntries)
                    ValidateNumEntries();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSyncLog::cmdOK_Click()
{
    if (!ValidateNumEntries())
        return;
    qint32& maximum = m_ctx.MainOptions().NumSyncLogEntries;
    AdjustNumLogEntries(m_ctx.AppFolder(), *SyncHistory::NumEntriesFromText(m_txtNumEntries->text()), true, maximum,
                        m_ctx.Dialogs(), m_ctx.Errors());
    accept();
}

void frmSyncLog::cmdUndoLastSync_Click()
{
    GuiSyncUndo undo(m_ctx, this, QStringLiteral("frmSyncLog.cmdUndoLastSync_Click"));
    if (!undo.UndoLast())
        return;
    m_undone = true;
    FillList();
}
