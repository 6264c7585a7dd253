#include "fileops/frmFileDateTimes.h"

#include "app/AppContext.h"
#include "app/frmHelp.h"
#include "fileops/FileTimeStamps.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPushButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLineEdit* TimeEdit(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(2);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
    return box;
}

} // namespace

frmFileDateTimes::frmFileDateTimes(AppContext& ctx, const QString& folder, const QStringList& names, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_folder(folder), m_names(names), m_lvwFiles(new QTreeWidget(this)),
      m_monthView(new QCalendarWidget(this)), m_txtHour(TimeEdit("txtHour", this)),
      m_txtMinute(TimeEdit("txtMinute", this)), m_txtSecond(TimeEdit("txtSecond", this)),
      m_optAM(new QRadioButton(QStringLiteral("AM"), this)), m_optPM(new QRadioButton(QStringLiteral("PM"), this)),
      m_cmdOK(Button(QStringLiteral("OK"), "cmdOK", this)), m_cmdApply(Button(QStringLiteral("&Apply"), "cmdApply", this)),
      m_cmdClose(Button(QStringLiteral("&Close"), "cmdClose", this)), m_cmdHelp(Button(QStringLiteral("&Help"), "cmdHelp", this))
{
    setObjectName(QStringLiteral("frmFileDateTimes"));
    setWindowTitle(QStringLiteral("Set Multiple File Date/Times"));
    setModal(true);

    m_lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    m_lvwFiles->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Date"), QStringLiteral("Time")});
    m_lvwFiles->setRootIsDecorated(false);
    m_lvwFiles->setUniformRowHeights(true);
    m_lvwFiles->setAllColumnsShowFocus(true);
    m_lvwFiles->setSelectionMode(QAbstractItemView::NoSelection);
    m_lvwFiles->setColumnWidth(0, 220);
    m_lvwFiles->setColumnWidth(1, 90);
    m_monthView->setObjectName(QStringLiteral("MonthView1"));
    m_monthView->setGridVisible(true);
    m_optAM->setObjectName(QStringLiteral("optAMPM0"));
    m_optPM->setObjectName(QStringLiteral("optAMPM1"));

    auto* frame = new QGroupBox(QStringLiteral("New Date/Time"), this);
    frame->setObjectName(QStringLiteral("fraNewDateTime"));
    auto* times = new QGridLayout(frame);
    const QList<std::pair<QString, QLineEdit*>> boxes = {
        {QStringLiteral("Hour:"), m_txtHour}, {QStringLiteral("Minute:"), m_txtMinute}, {QStringLiteral("Second:"), m_txtSecond}};
    int column = 0;
    for (const auto& [caption, box] : boxes) {
        auto* label = new QLabel(caption, frame);
        label->setBuddy(box);
        times->addWidget(label, 0, column);
        times->addWidget(box, 1, column++);
        box->installEventFilter(this);
    }
    auto* ampm = new QVBoxLayout;
    ampm->addWidget(m_optAM);
    ampm->addWidget(m_optPM);
    times->addLayout(ampm, 0, column, 2, 1);
    times->setColumnStretch(column + 1, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(m_monthView);
    right->addWidget(frame);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_lvwFiles, 1);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {m_cmdOK, m_cmdApply, m_cmdClose, m_cmdHelp})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    m_cmdOK->setDefault(true);
    resize(760, 380);

    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        if (ApplyNewDateTime())
            accept();
    });
    connect(m_cmdApply, &QPushButton::clicked, this, [this] { ApplyNewDateTime(); });
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cmdHelp, &QPushButton::clicked, this,
            [this] { ShowHelp(m_ctx.AppFile(HelpFileName()), this, QStringLiteral("file-date-times")); });

    m_timesChanged = false;
    SetCalendarToToday();
    PopulateListviewWithSelectedFiles();
    FillTimeBoxesFromNow();
}

void frmFileDateTimes::SetCalendarToToday()
{
    try {
        m_monthView->setSelectedDate(QDate::currentDate());
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmFileDateTimes.SetCalendarToToday"));
    }
}

void frmFileDateTimes::PopulateListviewWithSelectedFiles()
{
    try {
        m_lvwFiles->clear();
        for (const QString& name : m_names) {
            QStringList texts{name, QString(), QString()};
            FileDateTimes times;
            if (GetFileDateTimes(m_folder + name, times)) {
                const QDateTime when = times.modified.ToDateTime();
                texts[1] = ShortDateText(when.date());
                texts[2] = AmPmTimeText(when.time());
            }
            m_lvwFiles->addTopLevelItem(new QTreeWidgetItem(texts));
        }
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmFileDateTimes.PopulateListviewWithSelectedFiles"));
    }
}

void frmFileDateTimes::FillTimeBoxesFromNow()
{
    const QTime now = QTime::currentTime();
    const TwelveHourClock clock = ToTwelveHour(now.hour());
    m_txtHour->setText(QString::number(clock.hour));
    m_txtMinute->setText(QString::number(now.minute()));
    m_txtSecond->setText(QString::number(now.second()));
    (clock.pm ? m_optPM : m_optAM)->setChecked(true);
}

bool frmFileDateTimes::ApplyNewDateTime()
{
    const QString title = QStringLiteral("Set File Date/Time");
    try {
        const TimeBoxCheck check = CheckTimeBoxes(m_txtHour->text(), m_txtMinute->text(), m_txtSecond->text());
        m_txtHour->setText(check.hourText);
        m_txtMinute->setText(check.minuteText);
        m_txtSecond->setText(check.secondText);
        if (check.failing) {
            QLineEdit* box = *check.failing == TimeBox::Hour     ? m_txtHour
                             : *check.failing == TimeBox::Minute ? m_txtMinute
                                                                 : m_txtSecond;
            m_ctx.Dialogs().Message(QStringLiteral("Invalid ") + TimeBoxTag(*check.failing) + QStringLiteral(" Value"),
                                    title, UserDialogs::Icon::Information);
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
            return false;
        }
        const QDate date = m_monthView->selectedDate();
        const QTime time(To24Hour(check.hour12, m_optPM->isChecked()), check.minute, check.second);
        const std::optional<QDateTime> when = NewLocalDateTime(date, time.hour(), time.minute(), time.second());
        if (!when) {
            m_ctx.Dialogs().Message(QStringLiteral("The time ") + ShortDateText(date) + QLatin1Char(' ') + AmPmTimeText(time)
                                        + QStringLiteral(" does not exist here: the clocks skip it when daylight saving time begins."),
                                    title, UserDialogs::Icon::Information);
            return false;
        }
        if (m_ctx.MainOptions().ShowDateTimeChangeConfirmations
            && m_ctx.Dialogs().Message(StampManyQuestion(*when), QStringLiteral("Confirm Date/Time Change"),
                                       UserDialogs::Icon::Question, UserDialogs::Buttons::YesNo)
                   != UserDialogs::Answer::Yes)
            return false;

        QStringList paths;
        for (const QString& name : m_names)
            paths << m_folder + name;
        const ManyStampResult result = StampModifiedTimes(paths, *when);
        for (int i = 0; i < result.stamped.size() && i < m_lvwFiles->topLevelItemCount(); ++i) {
            if (!result.stamped[i])
                continue;
            QTreeWidgetItem* item = m_lvwFiles->topLevelItem(i);
            item->setText(1, ShortDateText(when->date()));
            item->setText(2, AmPmTimeText(when->time()));
            m_timesChanged = true;
        }
        ShowStampFailures(m_ctx.Dialogs(), result.failures, title);
        return true;
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmFileDateTimes.ApplyNewDateTime"));
        return false;
    }
}

bool frmFileDateTimes::eventFilter(QObject* watched, QEvent* event)
{
    // A box taken by click or key has its whole text selected, ready to be typed over; after the click
    // itself has placed the cursor.
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
    }
    return QDialog::eventFilter(watched, event);
}
