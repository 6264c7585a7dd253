#pragma once

#include <QWidget>

class AppContext;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

// The "Include/Exclude" tab: the include and exclude filter lists (one visible at a time), their entry
// box and buttons, filter list files, and the hidden/system exclusions. The tab edits working copies of
// the two filter texts; Apply stores them when they differ from the comparison's, ignoring case.
class frmOptionsFiltersTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsFiltersTab(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsFiltersTab)

    const QString& IncludeText() const { return m_include; }
    const QString& ExcludeText() const { return m_exclude; }

    // Stores the controls; answers whether the filters changed (they are then also written to the
    // settings file).
    bool Apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IncludeChosen() const;
    QListWidget* VisibleList() const;
    QString& VisibleText();
    void ChooseList(bool include);
    void FillFilterTypeList(QListWidget* list, const QString& text);
    void FillBothLists();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdNewList_Click();
    // Answers false when the user cancelled the dialog.
    bool cmdSaveList_Click();
    void cmdLoadList_Click();

    AppContext& m_ctx;
    QString m_include;
    QString m_exclude;
    QRadioButton* m_optInclude = nullptr;
    QRadioButton* m_optExclude = nullptr;
    QListWidget* m_lstInclude = nullptr;
    QListWidget* m_lstExclude = nullptr;
    QLineEdit* m_txtFilter = nullptr;
    QCheckBox* m_chkHiddenFiles = nullptr;
    QCheckBox* m_chkSystemFiles = nullptr;
    QCheckBox* m_chkHiddenFolders = nullptr;
    QCheckBox* m_chkSystemFolders = nullptr;
};
