#pragma once

#include <QDialog>

class AppContext;
class DriveQueries;
class QRadioButton;

// "File Synchronization Method": replaces one of two files with the other. The two paths are shown with
// their icons; optFileTwoSameAsFileOne ("Replace File 2 with File 1", the default) or
// optFileOneSameAsFileTwo chooses the target. OK checks the target drive's free space and replaces the
// target (FileSync); on success FileSynchronised() is true and the window closes. A refusal (too little
// space, a failure) leaves it open; Cancel closes it with nothing changed.
class frmFileSync final : public QDialog
{
    Q_OBJECT

public:
    // drives answers the free-space question; the system's unless a test stands in for a full drive.
    frmFileSync(AppContext& ctx, const QString& fileOne, const QString& fileTwo, const DriveQueries& drives,
                QWidget* parent = nullptr);
    frmFileSync(AppContext& ctx, const QString& fileOne, const QString& fileTwo, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmFileSync)

    static QString Caption() { return QStringLiteral("File Synchronization Method"); }

    // Whether OK replaced a file.
    bool FileSynchronised() const { return m_fileSynchronised; }

private:
    void cmdOK_Click();

    AppContext& m_ctx;
    const DriveQueries& m_drives;
    QString m_fileOne;
    QString m_fileTwo;
    QRadioButton* m_optFileTwoSameAsFileOne;
    QRadioButton* m_optFileOneSameAsFileTwo;
    bool m_fileSynchronised = false;
};
