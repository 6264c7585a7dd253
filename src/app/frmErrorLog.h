#pragma once

#include <QDialog>

class AppContext;
class QPlainTextEdit;
class QPushButton;

// Shows a text file read-only (the error log, or another log given a caption), with "&Clear" and "OK".
class frmErrorLog final : public QDialog
{
    Q_OBJECT
public:
    // Files larger than this are not loaded into the window; the user is told to open them in an editor.
    static constexpr qint64 MaxDisplayBytes = 32 * 1024 * 1024;

    frmErrorLog(AppContext& ctx, QWidget* parent = nullptr);

    // Loads file into the window and shows it modal.
    void DisplayFile(const QString& file);
    // Loads file into the window without showing it (DisplayFile without the modal loop).
    void LoadFile(const QString& file);

    QString ShownText() const;

    static QString EmptyLogText() { return QStringLiteral("No Errors Encountered During Last Comparison."); }
    static QString ErrorLogCaption() { return QStringLiteral("Error Log"); }

private:
    void Clear();

    AppContext& m_ctx;
    QString m_file;
    QPlainTextEdit* m_txtMsg;
    QPushButton* m_cmdClear;
    QPushButton* m_cmdOK;
};

// The main window's error log command: the window captioned "Error Log" on the application's log.
void ShowErrorLogWindow(AppContext& ctx, QWidget* parent);
