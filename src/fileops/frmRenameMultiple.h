#pragma once

#include "fileops/RenameObjects.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class AppContext;
class QCheckBox;
class QFontMetrics;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// "Rename Multiple Objects": the selected rows' names in lvwObjects (Original Name, Revised Name,
// Conflicts?), the changes that make the new names, "Preview" to see them and "OK" to rename every row
// that has no conflict, after which the window closes.
class frmRenameMultiple final : public QDialog
{
    Q_OBJECT

public:
    // folder: of all the objects, with a trailing "/"; names: the selected rows' names; folderNames: the
    // names of everything the folder holds, for the conflict test.
    frmRenameMultiple(AppContext& ctx, const QString& folder, const QStringList& names, const QStringList& folderNames,
                      QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmRenameMultiple)

    // Whether at least one object got a new name.
    bool NameChanged() const { return m_nameChanged; }

    void cmdPreview_Click();
    void cmdOK_Click();
    // Checks one number box as leaving it does; answers whether it holds a valid value.
    bool ValidateNumberBox(NumberBox box);
    // The height of the list's rows for a font: room for accents above capitals and for descenders.
    static int RowHeightFor(const QFontMetrics& metrics);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormLoad();
    QLineEdit* Box(NumberBox box) const;
    // The changes the controls ask for; none when a number box is invalid (it has been told).
    std::optional<RenameRules> Rules();
    std::vector<RenamePreviewRow> Preview(const RenameRules& rules);
    void TieTextOption(QCheckBox* option, QLineEdit* text);

    AppContext& m_ctx;
    QString m_folder;
    QStringList m_names;
    QStringList m_folderNames;
    QTreeWidget* m_lvwObjects;
    QCheckBox* m_chkShortFileName;
    QCheckBox* m_chkRemoveSpaces;
    QCheckBox* m_chkRemoveExtension;
    QComboBox* m_cboCapitalization;
    QCheckBox* m_chkChangeFileName;
    QLineEdit* m_txtFilename;
    QCheckBox* m_chkChangeExtension;
    QLineEdit* m_txtExtension;
    QCheckBox* m_chkAddPrefixToFilename;
    QLineEdit* m_txtNamePrefix;
    QCheckBox* m_chkAddSuffixToFilename;
    QLineEdit* m_txtNameSuffix;
    QCheckBox* m_chkNameAutoNumber;
    QGroupBox* m_fraAutoNumber;
    QRadioButton* m_optNumberFilename;
    QRadioButton* m_optNumberExtension;
    QLineEdit* m_txtLength;
    QLineEdit* m_txtStartsWith;
    QLineEdit* m_txtIncrement;
    QPushButton* m_cmdPreview;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdClose;
    QProgressBar* m_progressBar;
    bool m_nameChanged = false;
    bool m_validating = false;
};
