#pragma once

#include <QDialog>
#include <QStringList>

class AppContext;
class QCalendarWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// "Set Multiple File Date/Times": the selected files in lvwFiles (Name, Date, Time of their last
// change), a calendar (MonthView1) and the time boxes txtHour, txtMinute, txtSecond with AM/PM
// (optAMPM0, optAMPM1). "&Apply" stamps the chosen moment as every listed file's last-modified time and
// stays open; "OK" stamps and closes once past the question; "&Close" closes.
class frmFileDateTimes final : public QDialog
{
    Q_OBJECT

public:
    // names: the files' row names in folder (with a trailing "/").
    frmFileDateTimes(AppContext& ctx, const QString& folder, const QStringList& names, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmFileDateTimes)

    // Whether at least one file was stamped.
    bool TimesChanged() const { return m_timesChanged; }

    void PopulateListviewWithSelectedFiles();
    void SetCalendarToToday();
    // Checks the boxes, asks, stamps; answers whether the window may close.
    bool ApplyNewDateTime();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTimeBoxesFromNow();

    AppContext& m_ctx;
    QString m_folder;
    QStringList m_names;
    QTreeWidget* m_lvwFiles;
    QCalendarWidget* m_monthView;
    QLineEdit* m_txtHour;
    QLineEdit* m_txtMinute;
    QLineEdit* m_txtSecond;
    QRadioButton* m_optAM;
    QRadioButton* m_optPM;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdApply;
    QPushButton* m_cmdClose;
    QPushButton* m_cmdHelp;
    bool m_timesChanged = false;
};
