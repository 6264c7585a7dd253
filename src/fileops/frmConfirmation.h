#pragma once

#include "fileops/RowOperations.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The confirmation before a copy, move or delete: the operation's picture, the prompt, "&Yes", "&No" and
// "&Details...", which opens a list of every object with the folders it goes from and to ("&Hide" closes
// it again). Closing the window by its title bar or Escape answers No. The default button is Yes, but No
// for a deletion without the trash (DeletePermanentlyOperation).
class frmConfirmation final : public QDialog
{
    Q_OBJECT

public:
    enum Answer { Yes = 6, No = 7 };
    // The window's heights, collapsed and with the details open (in twips, 15 to a pixel).
    static constexpr int CollapsedHeightTwips = 2110;
    static constexpr int ExpandedHeightTwips = 4965;

    explicit frmConfirmation(QWidget* parent = nullptr);

    // Fills the window and shows it modally; the answer is read afterwards.
    void ShowForm(const QString& pstrCaption, const QString& pstrPrompt, const QString& pstrOperation,
                  const QStringList& pstrAffectedFiles, const QString& pstrFromPath, const QString& pstrToPath);
    // Fills the window without showing it.
    void Prepare(const QString& caption, const QString& prompt, const QString& operation, const QStringList& objects,
                 const QString& fromPath, const QString& toPath);
    Answer Result() const { return m_answer; }

    // The details text: one line per object, "COPY name FROM folder TO folder".
    static QString DetailsText(const QString& operation, const QStringList& objects, const QString& fromPath,
                               const QString& toPath);

    void ToggleDetails();
    bool DetailsShown() const { return m_detailsShown; }

private:
    QLabel* m_picture;
    QLabel* m_prompt;
    QPlainTextEdit* m_details;
    QPushButton* m_cmdDetails;
    QPushButton* m_yes;
    QPushButton* m_no;
    QString m_operation;
    QStringList m_objects;
    QString m_from;
    QString m_to;
    Answer m_answer = No;
    bool m_detailsShown = false;
};

// The confirmation window behind the engine's question.
class GuiConfirmation final : public ConfirmationAsker
{
public:
    explicit GuiConfirmation(QWidget* parent) : m_parent(parent) {}
    bool Confirm(const QString& caption, const QString& prompt, const QString& operation, const QStringList& objects,
                 const QString& fromFolder, const QString& toFolder) override;

private:
    QWidget* m_parent;
};
