#include "settings/frmOptionsSoundsTab.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "settings/CSoundSettings.h"
#include "settings/GuiOptionWidgets.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum EventRow { StartRow = 0, ExitRow = 1, CompareRow = 2, SyncRow = 3 };
constexpr int FileColumn = 1;
} // namespace

frmOptionsSoundsTab::frmOptionsSoundsTab(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx)
{
    m_chkSoundsOn = MakeCheck(this, "chkSoundsOn", QStringLiteral("Sounds &On"));
    m_chkSoundsOn->setChecked(ctx.Sounds().SoundOn());

    m_lvwEvents = new QTreeWidget(this);
    m_lvwEvents->setObjectName(QStringLiteral("lvwEvents"));
    m_lvwEvents->setHeaderLabels({QStringLiteral("Event"), QStringLiteral("Sound File")});
    m_lvwEvents->setRootIsDecorated(false);
    m_lvwEvents->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwEvents->header()->setStretchLastSection(true);

    m_txtWaveFileSpec = new QLineEdit(this);
    m_txtWaveFileSpec->setObjectName(QStringLiteral("txtWaveFileSpec"));
    auto* browse = MakeButton(this, "cmdBrowseForWave", QStringLiteral("&Browse..."));
    auto* none = MakeButton(this, "cmdNone", QStringLiteral("(&None)"));
    auto* play = MakeButton(this, "cmdPlay", QStringLiteral("&Play"));

    auto* fileRow = new QGridLayout;
    auto* fileLabel = new QLabel(QStringLiteral("&Wave file of the selected event:"), this);
    fileLabel->setBuddy(m_txtWaveFileSpec);
    fileRow->addWidget(fileLabel, 0, 0, 1, 4);
    fileRow->addWidget(m_txtWaveFileSpec, 1, 0);
    fileRow->addWidget(browse, 1, 1);
    fileRow->addWidget(none, 1, 2);
    fileRow->addWidget(play, 1, 3);
    fileRow->setColumnStretch(0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chkSoundsOn);
    layout->addWidget(m_lvwEvents, 1);
    layout->addLayout(fileRow);

    LoadEventsAndAssociatedSoundsIntoLVW();

    connect(m_chkSoundsOn, &QCheckBox::toggled, this, &frmOptionsSoundsTab::chkSoundsOn_Click);
    connect(m_lvwEvents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr)
            m_txtWaveFileSpec->setText(item->text(FileColumn));
    });
    connect(m_txtWaveFileSpec, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (QTreeWidgetItem* item = m_lvwEvents->currentItem())
            item->setText(FileColumn, text);
    });
    connect(browse, &QPushButton::clicked, this, &frmOptionsSoundsTab::cmdBrowseForWave_Click);
    connect(none, &QPushButton::clicked, this, [this] { m_txtWaveFileSpec->setText(CSoundSettings::NoSound()); });
    connect(play, &QPushButton::clicked, this, &frmOptionsSoundsTab::cmdPlay_Click);

    m_lvwEvents->setCurrentItem(m_lvwEvents->topLevelItem(StartRow));
    m_txtWaveFileSpec->setText(m_lvwEvents->topLevelItem(StartRow)->text(FileColumn));
}

void frmOptionsSoundsTab::LoadEventsAndAssociatedSoundsIntoLVW()
{
    try {
        const CSoundSettings& sounds = m_ctx.Sounds();
        const QList<QPair<QString, QString>> events = {
            {QStringLiteral("Start Parvex"), sounds.StartSound()},
            {QStringLiteral("Exit Parvex"), sounds.ExitSound()},
            {QStringLiteral("Comparison Completed"), sounds.CompareCompleteSound()},
            {QStringLiteral("Synchronization Completed"), sounds.SyncCompleteSound()},
        };
        for (const auto& [event, file] : events)
            m_lvwEvents->addTopLevelItem(new QTreeWidgetItem(QStringList{event, file}));
        m_lvwEvents->resizeColumnToContents(0);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.LoadEventsAndAssociatedSoundsIntoLVW"));
    }
}

void frmOptionsSoundsTab::chkSoundsOn_Click(bool checked)
{
    try {
        if (checked && !m_ctx.Sounds().DoesThisPCSupportWave()) {
            m_chkSoundsOn->setChecked(false);
            ShowInformation(m_ctx, QStringLiteral("This PC does not support the playing of wave files"),
                            QStringLiteral("No Wave File Support"));
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.chkSoundsOn_Click"));
    }
}

void frmOptionsSoundsTab::cmdBrowseForWave_Click()
{
    try {
        const QString current = m_txtWaveFileSpec->text();
        QString folder = m_ctx.AssetFolder();
        if (!current.isEmpty() && current.compare(CSoundSettings::NoSound(), Qt::CaseInsensitive) != 0)
            folder = QFileInfo(current).absolutePath();
        const QString file = m_ctx.Dialogs().PickOpenFile(QStringLiteral("Select Wave File"), folder,
                                                          QStringLiteral("Wave Sound Files (*.wav)"));
        if (!file.isEmpty())
            m_txtWaveFileSpec->setText(file);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdBrowseForWave_Click"));
    }
}

void frmOptionsSoundsTab::cmdPlay_Click()
{
    try {
        const QString file = m_txtWaveFileSpec->text();
        if (file.isEmpty() || file.compare(CSoundSettings::NoSound(), Qt::CaseInsensitive) == 0) {
            m_ctx.Dialogs().Message(QStringLiteral("Please select a valid Wave file."),
                                    QStringLiteral("Unable to Play Wave File Sound"), UserDialogs::Icon::Warning);
            return;
        }
        if (!m_ctx.Sounds().PlayWave(file, false))
            m_ctx.Dialogs().Message(QStringLiteral("Unable to play the specified .wav file."),
                                    QStringLiteral("Play Wave File"), UserDialogs::Icon::Warning);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.cmdPlay_Click"));
    }
}

void frmOptionsSoundsTab::Apply()
{
    CSoundSettings& sounds = m_ctx.Sounds();
    sounds.SetSoundOn(m_chkSoundsOn->isChecked());
    const auto file = [this](int row) {
        const QString text = m_lvwEvents->topLevelItem(row)->text(FileColumn).trimmed();
        return text.isEmpty() ? CSoundSettings::NoSound() : text;
    };
    sounds.SetStartSound(file(StartRow));
    sounds.SetExitSound(file(ExitRow));
    sounds.SetCompareCompleteSound(file(CompareRow));
    sounds.SetSyncCompleteSound(file(SyncRow));
}
