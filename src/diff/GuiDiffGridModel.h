#pragma once

#include "diff/DiffNavigator.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QPalette>
#include <functional>

// One grid of the differences window over the aligned rows of one side. Row 0 of the alignment (the
// file's path) is the text column's header; model row i shows aligned row i + 1. The line number has a
// column of its own (which also carries the row's marker), so the text column is the line and nothing
// else. Texts are made when a row is painted, so a file of a million lines costs no widget and no string
// per line.
class GuiDiffGridModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Number, Text, ColumnCount };

    GuiDiffGridModel(const DiffNavigator& rows, DiffNavigator::Side side, QObject* parent = nullptr);

    static int ModelRow(int32_t alignedRow) { return alignedRow - 1; }
    static int32_t AlignedRow(int modelRow) { return modelRow + 1; }

    // The marker picture of an aligned row (left grid only); a null icon for none.
    void SetMarkers(std::function<QIcon(int32_t)> markerOf) { m_markerOf = std::move(markerOf); }
    void MarkerChanged(int32_t alignedRow);
    // Rows answer their text as a tooltip (at most 255 characters) while on.
    void SetTooltips(bool on) { m_tooltips = on; }
    // The row colours are made from this palette, so they read in light and dark themes alike.
    void SetPalette(const QPalette& palette);
    // Lines can be edited in the text column; edited(row, text) hears the new text of an aligned row.
    void SetEditor(std::function<void(int32_t, const QString&)> edited) { m_edited = std::move(edited); }
    // The rows behind the model changed (a merge step): everything is shown anew.
    void RowsReset();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const DiffNavigator& m_rows;
    DiffNavigator::Side m_side;
    std::function<QIcon(int32_t)> m_markerOf;
    std::function<void(int32_t, const QString&)> m_edited;
    QPalette m_palette;
    bool m_tooltips = false;
};

// The background colours of the rows on paper (and in a light theme): lines on one side only, changed
// lines.
QColor AdditionColour();
QColor ChangeColour();
// The same two on the base colour of palette: each hue mixed into the base, so the text colour of the
// palette stays readable on it, light or dark. Default rows keep the base.
QColor RowBackground(RowColour colour, const QPalette& palette);
