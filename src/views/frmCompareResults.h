#pragma once

#include "views/SummaryCounts.h"

#include <QDialog>
#include <functional>

class AppContext;
class GuiResultsFrame;
class QAction;
class QCheckBox;
class QRadioButton;
class QTreeWidget;

// "Comparison Results Summary": the rows of the last comparison counted by category for the left or the
// right folder, as a list and as a pie. OK stores "Show Summary After Comparison".
//
// Widgets by name: lvwFileTypes, picPieChart, optLeftFolder, optRightFolder, chkAutoShowGraphAfterCompare,
// cmdOK, cmdCancel.
class frmCompareResults final : public QDialog
{
    Q_OBJECT

public:
    // markChanged runs after OK stored the option, so the Options menu's mark follows it.
    frmCompareResults(AppContext& ctx, GuiResultsFrame& frame, std::function<void()> markChanged, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmCompareResults)

    const CategoryCounts& Counts(bool left) const { return left ? m_left : m_right; }
    // The slices the pie shows now.
    const std::vector<PieSlice>& Slices() const { return m_slices; }

private:
    void ShowSide(bool left);
    void Ok();

    AppContext& m_ctx;
    std::function<void()> m_markChanged;
    CategoryCounts m_left;
    CategoryCounts m_right;
    QString m_leftFolder;
    QString m_rightFolder;
    std::vector<PieSlice> m_slices;
    QTreeWidget* m_list = nullptr;
    QWidget* m_pie = nullptr;
    QRadioButton* m_optLeft = nullptr;
    QCheckBox* m_chkAuto = nullptr;
};

// The colour of a category's slice.
QColor SliceColour(Category category);

// Opens the summary, or says that there is nothing to sum up yet.
void ShowCompareResultsSummary(AppContext& ctx, GuiResultsFrame& frame, const std::function<QAction*(const QString&)>& actionByName);
