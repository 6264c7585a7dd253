#pragma once

#include "views/SummaryCounts.h"

#include <QBrush>
#include <QColor>
#include <QDialog>
#include <functional>

class AppContext;
class GuiResultsFrame;
class QAction;
class QCheckBox;
class QRadioButton;
class QTreeWidget;

// "Comparison Results Summary": the rows of the last comparison counted by category for the left or the
// right folder, as a list and as a pie. OK stores "Show Summary After Comparison". The list ends with the
// count of the rows in conflict ("Conflicts:", changed on both sides since the last synchronization, the
// sub-folders' files included), which the pie leaves out: they are counted in their categories already.
//
// The pie's slices have the colours of the rows' badges (a folder category hatched), and the legend
// below it (picPieLegend, one lblLegend<Key> per slice) names each with its share.
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
    // A legend line: "Newer (25%)".
    static QString LegendText(Category category, const CategoryCounts& counts);
    // The list's line of the pairs in conflict (changed on both sides since the last synchronization).
    static QString ConflictsText();

private:
    void ShowSide(bool left);
    void Ok();
    void FillLegend(const CategoryCounts& counts);

    AppContext& m_ctx;
    std::function<void()> m_markChanged;
    CategoryCounts m_left;
    CategoryCounts m_right;
    QString m_leftFolder;
    QString m_rightFolder;
    std::vector<PieSlice> m_slices;
    QTreeWidget* m_list = nullptr;
    QWidget* m_pie = nullptr;
    QWidget* m_legend = nullptr;
    QRadioButton* m_optLeft = nullptr;
    QCheckBox* m_chkAuto = nullptr;
};

// The colour of a category's slice: its badge's colour in the rows' pictures.
QColor SliceColour(Category category);
// The brush of a category's slice: folder categories are hatched in their colour.
QBrush SliceBrush(Category category);

// Opens the summary, or says that there is nothing to sum up yet.
void ShowCompareResultsSummary(AppContext& ctx, GuiResultsFrame& frame, const std::function<QAction*(const QString&)>& actionByName);
