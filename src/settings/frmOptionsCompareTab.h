#pragma once

#include <QWidget>
#include <array>

class AppContext;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// The "Compare" tab: the comparison method, the chunk size of content comparisons, sub-folders and the
// FAT/NTFS time-stamp options. The chunk size is checked when the focus leaves its box.
class frmOptionsCompareTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsCompareTab(AppContext& ctx, bool shaAvailable, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsCompareTab)

    // Checks the chunk size as leaving its box does; on a bad value shows the message, puts the focus
    // back into the box with its text selected and answers false. warnLarge: warn about a size above two
    // million bytes (the OK button checks without warning again).
    bool ValidateChunkSize(bool warnLarge = true);
    bool ChunkSizeIsValid() const;
    // Stores the controls; answers whether the comparison method changed.
    bool Apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int SelectedMethod() const;

    AppContext& m_ctx;
    std::array<QRadioButton*, 4> m_methods{};
    QLineEdit* m_txtChunkSize = nullptr;
    QCheckBox* m_chkCompareSubFolders = nullptr;
    QCheckBox* m_chkRemind = nullptr;
    QCheckBox* m_chkIgnore2Sec = nullptr;
    QCheckBox* m_chkIgnoreDaylight = nullptr;
};
