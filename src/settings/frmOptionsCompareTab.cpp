#include "settings/frmOptionsCompareTab.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"
#include "compare/CCompare.h"
#include "settings/ChunkSizeRule.h"
#include "settings/GuiOptionWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

frmOptionsCompareTab::frmOptionsCompareTab(AppContext& ctx, bool shaAvailable, QWidget* parent)
    : QWidget(parent), m_ctx(ctx)
{
    const CCompare& compare = ctx.Compare();

    auto* methodBox = new QGroupBox(QStringLiteral("Comparison Method"), this);
    auto* methodLayout = new QVBoxLayout(methodBox);
    m_methods[0] = MakeOption(methodBox, "optComparisonMethod_0", QStringLiteral("&Size and Date/Time (quick)"));
    m_methods[1] = MakeOption(methodBox, "optComparisonMethod_1", QStringLiteral("&Contents, byte by byte (thorough)"));
    m_methods[2] = MakeOption(methodBox, "optComparisonMethod_2", QStringLiteral("C&RC-32 of the contents"));
    for (int i = 0; i < 3; ++i)
        methodLayout->addWidget(m_methods[i]);
    if (shaAvailable) {
        m_methods[3] = MakeOption(methodBox, "optComparisonMethod_3", QStringLiteral("S&HA-1 of the contents"));
        methodLayout->addWidget(m_methods[3]);
    }
    int method = compare.CompareMethod();
    if (method < 0 || method > 3 || m_methods[method] == nullptr)
        method = CCompare::Quick;
    m_methods[method]->setChecked(true);

    m_txtChunkSize = new QLineEdit(QString::number(compare.ChunkSize()), this);
    m_txtChunkSize->setObjectName(QStringLiteral("txtChunkSize"));
    m_txtChunkSize->installEventFilter(this);
    auto* chunkLayout = new QFormLayout;
    chunkLayout->addRow(QStringLiteral("C&hunk Size (bytes):"), m_txtChunkSize);
    methodLayout->addLayout(chunkLayout);

    m_chkCompareSubFolders = MakeCheck(this, "chkCompareSubFolders", QStringLiteral("Compare Sub-&Folders"));
    m_chkCompareSubFolders->setChecked(compare.CompareSubFolders());

    auto* fatBox = new QGroupBox(QStringLiteral("FAT / NTFS Time Stamps"), this);
    auto* fatLayout = new QVBoxLayout(fatBox);
    m_chkRemind = MakeCheck(fatBox, "chkRemindAboutFATNTFSIssue",
                            QStringLiteral("&Remind me about FAT/NTFS time stamp differences"));
    m_chkIgnore2Sec = MakeCheck(fatBox, "chkIgnore2SecDiff", QStringLiteral("Ignore &2 second differences"));
    m_chkIgnoreDaylight = MakeCheck(fatBox, "chkIgnoreDaylightSavings",
                                    QStringLiteral("Ignore &Daylight Saving Time (one hour) differences"));
    m_chkRemind->setChecked(compare.RemindAboutFATNTFSIssue());
    m_chkIgnore2Sec->setChecked(compare.IgnoreFAT_NTFS_TwoSecDiff());
    m_chkIgnoreDaylight->setChecked(compare.IgnoreFAT_NTFS_DaylightSavings());
    fatLayout->addWidget(m_chkRemind);
    fatLayout->addWidget(m_chkIgnore2Sec);
    fatLayout->addWidget(m_chkIgnoreDaylight);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(methodBox);
    layout->addWidget(m_chkCompareSubFolders);
    layout->addWidget(fatBox);
    layout->addStretch();
}

bool frmOptionsCompareTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtChunkSize && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or another window taking the focus is not the user leaving the box, and the
        // Cancel button must stay reachable with a bad value in it.
        const QWidget* next = QApplication::focusWidget();
        const bool toCancel = next != nullptr && next->objectName() == QLatin1String("cmdCancel");
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !toCancel)
            ValidateChunkSize();
    }
    return QWidget::eventFilter(watched, event);
}

bool frmOptionsCompareTab::ValidateChunkSize(bool warnLarge)
{
    try {
        const QString text = m_txtChunkSize->text();
        int value = 0;
        switch (ChunkSizeRule::Check(text, &value)) {
        case ChunkSizeRule::Verdict::Invalid:
            ShowInformation(m_ctx, ChunkSizeRule::InvalidMessage(text), ChunkSizeRule::InvalidTitle());
            // Deferred: the box is still handling the loss of the focus, which clears any selection.
            // A click on another tab took the focus away: the box must be back in sight, or the user
            // would type into a hidden box.
            QTimer::singleShot(0, m_txtChunkSize, [this, box = m_txtChunkSize] {
                for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
                    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                        tabs->setCurrentWidget(this);
                        break;
                    }
                }
                box->setFocus(Qt::OtherFocusReason);
                box->selectAll();
            });
            return false;
        case ChunkSizeRule::Verdict::Large:
            if (warnLarge)
                m_ctx.Dialogs().Message(ChunkSizeRule::LargeMessage(), ChunkSizeRule::LargeTitle(),
                                        UserDialogs::Icon::Warning);
            return true;
        case ChunkSizeRule::Verdict::Valid:
            return true;
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmOptions.txtChunkSize_LostFocus"));
    }
    return false;
}

bool frmOptionsCompareTab::ChunkSizeIsValid() const
{
    int value = 0;
    return ChunkSizeRule::Check(m_txtChunkSize->text(), &value) != ChunkSizeRule::Verdict::Invalid;
}

int frmOptionsCompareTab::SelectedMethod() const
{
    for (int i = 0; i < 4; ++i) {
        if (m_methods[i] != nullptr && m_methods[i]->isChecked())
            return i;
    }
    return CCompare::Quick;
}

bool frmOptionsCompareTab::Apply()
{
    CCompare& compare = m_ctx.Compare();
    const int method = SelectedMethod();
    const bool methodChanged = method != compare.CompareMethod();
    compare.SetCompareMethod(method);
    int chunk = 0;
    if (ChunkSizeRule::Check(m_txtChunkSize->text(), &chunk) != ChunkSizeRule::Verdict::Invalid)
        compare.SetChunkSize(chunk);
    compare.SetCompareSubFolders(m_chkCompareSubFolders->isChecked());
    compare.SetRemindAboutFATNTFSIssue(m_chkRemind->isChecked());
    compare.SetIgnoreFAT_NTFS_TwoSecDiff(m_chkIgnore2Sec->isChecked());
    compare.SetIgnoreFAT_NTFS_DaylightSavings(m_chkIgnoreDaylight->isChecked());
    return methodChanged;
}
