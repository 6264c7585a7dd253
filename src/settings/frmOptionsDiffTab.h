#pragma once

#include <QWidget>

class AppContext;
class QCheckBox;
class QRadioButton;

// The "View File Diffs" tab: what the line comparison ignores, the output format and whether the
// differences options window opens before each run.
class frmOptionsDiffTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsDiffTab(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsDiffTab)

    void Apply();

private:
    AppContext& m_ctx;
    QCheckBox* m_chkIgnoreWhiteSpace = nullptr;
    QCheckBox* m_chkIgnoreCase = nullptr;
    QCheckBox* m_chkShowOptionsDialog = nullptr;
    QRadioButton* m_optVisual = nullptr;
    QRadioButton* m_optUnix = nullptr;
};
