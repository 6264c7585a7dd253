#pragma once

#include "diff/DiffNavigator.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

// One grid of the differences window over the aligned rows of one side. Row 0 of the alignment (the
// file's path) is the grid's column header; model row i shows aligned row i + 1. Texts are made when a
// row is painted, so a file of a million lines costs no widget and no string per line.
class GuiDiffGridModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    GuiDiffGridModel(const DiffNavigator& rows, DiffNavigator::Side side, QObject* parent = nullptr);

    static int ModelRow(int32_t alignedRow) { return alignedRow - 1; }
    static int32_t AlignedRow(int modelRow) { return modelRow + 1; }

    // The marker picture of an aligned row (left grid only); a null icon for none.
    void SetMarkers(std::function<QIcon(int32_t)> markerOf) { m_markerOf = std::move(markerOf); }
    void MarkerChanged(int32_t alignedRow);
    // Rows answer their text as a tooltip (at most 255 characters) while on.
    void SetTooltips(bool on) { m_tooltips = on; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const DiffNavigator& m_rows;
    DiffNavigator::Side m_side;
    std::function<QIcon(int32_t)> m_markerOf;
    bool m_tooltips = false;
};

// The background colours of the rows: lines on one side only, changed lines.
QColor AdditionColour();
QColor ChangeColour();
