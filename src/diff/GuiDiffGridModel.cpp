#include "diff/GuiDiffGridModel.h"

#include <QBrush>
#include <QColor>
#include <QPixmap>

QColor AdditionColour() { return QColor(255, 225, 196); }
QColor ChangeColour() { return QColor(221, 221, 255); }

namespace {
QIcon BlankIcon()
{
    static const QIcon blank = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        return QIcon(pixmap);
    }();
    return blank;
}
} // namespace

GuiDiffGridModel::GuiDiffGridModel(const DiffNavigator& rows, DiffNavigator::Side side, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows), m_side(side)
{
}

int GuiDiffGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_rows.RowCount() - 1);
}

int GuiDiffGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant GuiDiffGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int32_t row = AlignedRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_rows.RowText(m_side, row);
    case Qt::ToolTipRole:
        if (!m_tooltips)
            return {};
        return m_rows.RowText(m_side, row).left(255);
    case Qt::BackgroundRole:
        switch (m_rows.Colour(m_side, row)) {
        case RowColour::Addition:
            return QBrush(AdditionColour());
        case RowColour::Change:
            return QBrush(ChangeColour());
        case RowColour::Default:
            break;
        }
        return {};
    case Qt::DecorationRole:
        if (m_markerOf) {
            // Rows without a marker keep the marker's room, so the texts stay in one column.
            const QIcon icon = m_markerOf(row);
            return icon.isNull() ? BlankIcon() : icon;
        }
        return {};
    default:
        return {};
    }
}

QVariant GuiDiffGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return m_rows.RowText(m_side, 0);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void GuiDiffGridModel::MarkerChanged(int32_t alignedRow)
{
    const int r = ModelRow(alignedRow);
    if (r >= 0 && r < rowCount())
        Q_EMIT dataChanged(index(r, 0), index(r, 0), {Qt::DecorationRole});
}
