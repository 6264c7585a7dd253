#include "diff/GuiDiffGridModel.h"

#include <QBrush>
#include <QColor>
#include <QPixmap>

QColor AdditionColour() { return QColor(255, 225, 196); }
QColor ChangeColour() { return QColor(221, 221, 255); }

QColor RowBackground(RowColour colour, const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    if (colour == RowColour::Default)
        return base;
    // On a light base the paper colours themselves; on a dark one the hue at a third, which keeps light
    // text at a contrast well above what reading needs.
    const bool dark = base.lightnessF() < 0.5;
    if (!dark)
        return colour == RowColour::Addition ? AdditionColour() : ChangeColour();
    const QColor hue = colour == RowColour::Addition ? QColor(255, 140, 0) : QColor(90, 110, 255);
    const double share = 0.3;
    return QColor::fromRgbF(float(base.redF() * (1 - share) + hue.redF() * share),
                            float(base.greenF() * (1 - share) + hue.greenF() * share),
                            float(base.blueF() * (1 - share) + hue.blueF() * share));
}

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

void GuiDiffGridModel::SetPalette(const QPalette& palette)
{
    m_palette = palette;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::BackgroundRole, Qt::ForegroundRole});
}

void GuiDiffGridModel::RowsReset()
{
    beginResetModel();
    endResetModel();
}

int GuiDiffGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_rows.RowCount() - 1);
}

int GuiDiffGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant GuiDiffGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int32_t row = AlignedRow(index.row());
    const bool number = index.column() == Number;
    switch (role) {
    case Qt::DisplayRole:
        if (number) {
            const int32_t line = m_rows.LineNumber(m_side, row);
            return line > 0 ? QVariant(QString::number(line)) : QVariant();
        }
        return m_rows.LineText(m_side, row);
    case Qt::EditRole:
        return number ? QVariant() : QVariant(m_rows.RawLineText(m_side, row));
    case Qt::ToolTipRole:
        if (!m_tooltips || number)
            return {};
        return m_rows.LineText(m_side, row).left(255);
    case Qt::TextAlignmentRole:
        return int(number ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::BackgroundRole: {
        const RowColour colour = m_rows.Colour(m_side, row);
        if (colour == RowColour::Default)
            return {};
        return QBrush(RowBackground(colour, m_palette));
    }
    case Qt::ForegroundRole:
        // Numbers are quieter than the text they count.
        return QBrush(m_palette.color(number ? QPalette::PlaceholderText : QPalette::Text));
    case Qt::DecorationRole:
        if (number && m_markerOf) {
            // Rows without a marker keep the marker's room, so the numbers stay in one column.
            const QIcon icon = m_markerOf(row);
            return icon.isNull() ? BlankIcon() : icon;
        }
        return {};
    default:
        return {};
    }
}

bool GuiDiffGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != Text || role != Qt::EditRole || !m_edited)
        return false;
    m_edited(AlignedRow(index.row()), value.toString());
    return true;
}

Qt::ItemFlags GuiDiffGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Text && m_edited)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant GuiDiffGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
        if (section == Text)
            return m_rows.RowText(m_side, 0);
        if (section == Number)
            return role == Qt::ToolTipRole ? QVariant(QStringLiteral("Line number")) : QVariant(QString());
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void GuiDiffGridModel::MarkerChanged(int32_t alignedRow)
{
    const int r = ModelRow(alignedRow);
    if (r >= 0 && r < rowCount())
        Q_EMIT dataChanged(index(r, Number), index(r, Number), {Qt::DecorationRole});
}
