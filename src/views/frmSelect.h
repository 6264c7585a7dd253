#pragma once

#include "views/SelectionRules.h"

#include <QDialog>

class AppContext;
class GuiResultPane;
class GuiResultsFrame;
class GuiSelectionCommands;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QRadioButton;

// "Select Wizard": selects or deselects the rows of one pane by result category, file type, size and
// date. The wizard stays open after each Select or Deselect, so choices can be combined.
//
// Widgets by name: optPane0, optPane1, chkFileType1 .. chkFileType8, lstFileTypes, cboSizeOperators,
// txtByteSize, cboDateOperator, dtpDate, cmdSelect0 (Deselect), cmdSelect1 (Select), cmdClose.
class frmSelect final : public QDialog
{
    Q_OBJECT

public:
    frmSelect(AppContext& ctx, GuiResultsFrame& frame, GuiSelectionCommands& commands, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmSelect)

    // The criteria the wizard's controls make now, selecting or deselecting.
    SelectCriteria Criteria(bool select) const;
    void Run(bool select);
    // Checks the size box as leaving it does.
    void ValidateByteSize();

private:
    void ChooseUserDefined(int row);
    // The pane the wizard works on: the one its pane buttons name.
    GuiResultPane* ChosenPane() const;
    // Fills the file-type list from the chosen pane's rows, keeping the entries chosen so far that it
    // still lists and the user-defined patterns.
    void FillFileTypes();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiSelectionCommands& m_commands;
    QRadioButton* m_optPane[2] = {nullptr, nullptr};
    QCheckBox* m_chkFileType[CategoryCount] = {};
    QListWidget* m_lstFileTypes = nullptr;
    QComboBox* m_cboSizeOperators = nullptr;
    QLineEdit* m_txtByteSize = nullptr;
    QComboBox* m_cboDateOperator = nullptr;
    QDateEdit* m_dtpDate = nullptr;
};
