#pragma once

#include "settings/GuiFolderCombos.h"

#include <QWidget>

class AppContext;
class QCheckBox;

// The "General" tab: the confirmations, the automatic comparisons, the remaining main-window flags and
// the button that opens "Maintain Folder Lists".
class frmOptionsGeneralTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsGeneralTab(AppContext& ctx, const FolderComboBoxes& boxes, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsGeneralTab)

    void Apply();

private:
    struct Binding
    {
        QCheckBox* check;
        bool* flag;
    };

    AppContext& m_ctx;
    FolderComboBoxes m_boxes;
    QList<Binding> m_bindings;
};
