#include "views/ResultTableModel.h"

#include "base/Path.h"

#include <QStringList>

ResultTableModel::ResultTableModel(const ResultList& hold, QObject* parent) : QAbstractTableModel(parent), m_hold(hold)
{
}

void ResultTableModel::Reset(PaneRows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const ResultRow* ResultTableModel::RowAt(int visibleRow) const
{
    if (visibleRow < 0 || static_cast<size_t>(visibleRow) >= m_rows.size())
        return nullptr;
    const int32_t i = m_rows[static_cast<size_t>(visibleRow)];
    if (i < 0 || static_cast<size_t>(i) >= m_hold.size())
        return nullptr;
    return &m_hold[static_cast<size_t>(i)];
}

void ResultTableModel::SetCategoryPictures(const std::array<QVariant, CategoryCount + 1>& pictures)
{
    m_pictures = pictures;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn), {Qt::DecorationRole});
}

void ResultTableModel::SetUnreadablePictures(const std::array<QVariant, CategoryCount + 1>& pictures)
{
    m_unreadablePictures = pictures;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn), {Qt::DecorationRole});
}

void ResultTableModel::SetNotePictures(NotePictures pictures)
{
    m_notePictures = std::move(pictures);
    m_notePictureCache.clear();
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn), {Qt::DecorationRole});
}

QString ResultTableModel::RowTip(const ResultRow& row)
{
    QStringList lines;
    const QString note = RowNoteText(row);
    if (!note.isEmpty())
        lines << note;
    if (row.unreadable)
        lines << UnreadableTip();
    return lines.join(QLatin1Char('\n'));
}

QVariant ResultTableModel::Picture(const ResultRow& row) const
{
    const size_t category = static_cast<size_t>(static_cast<int>(row.icon)) % m_pictures.size();
    if (row.note != RowNote::None && m_notePictures) {
        // Kept per category, note and unreadable mark: a pane of thousands of marked rows draws each once.
        constexpr size_t Notes = static_cast<size_t>(RowNote::Conflict) + 1;
        const size_t note = static_cast<size_t>(row.note) % Notes;
        const size_t slot = (note * 2 + (row.unreadable ? 1 : 0)) * m_pictures.size() + category;
        if (m_notePictureCache.empty())
            m_notePictureCache.resize(Notes * 2 * m_pictures.size());
        QVariant& picture = m_notePictureCache[slot];
        if (!picture.isValid())
            picture = m_notePictures(row.icon, row.unreadable, row.note);
        if (picture.isValid())
            return picture;
    }
    if (row.unreadable && m_unreadablePictures[category].isValid())
        return m_unreadablePictures[category];
    return m_pictures[category];
}

QString ResultTableModel::UnreadableTip()
{
    return QStringLiteral("The contents could not be read, so this row was compared by size and date/time only "
                          "(View > Error Log says why).");
}

int ResultTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const ResultRow* row = RowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (row == nullptr)
            return QString();
        switch (index.column()) {
        // The row's text names the object; a name's bytes that are not UTF-8 are shown as \xHH.
        case NameColumn: return DisplayFileName(row->text);
        case SizeColumn: return row->sizeText;
        case DateColumn: return row->dateText;
        default: return {};
        }
    case Qt::DecorationRole:
        if (row == nullptr || index.column() != NameColumn)
            return {};
        return Picture(*row);
    case Qt::ToolTipRole: {
        const QString tip = row != nullptr ? RowTip(*row) : QString();
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case UnreadableRole:
        return row != nullptr && row->unreadable;
    case NoteRole:
        return row == nullptr ? 0 : static_cast<int>(row->note);
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case CategoryRole:
        return row == nullptr ? 0 : static_cast<int>(row->icon);
    case HoldIndexRole:
        return static_cast<int>(m_rows[static_cast<size_t>(index.row())]);
    case PlaceholderRole:
        return row == nullptr || !IsRealRow(*row);
    default:
        return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return QStringLiteral("Name");
    case SizeColumn: return QStringLiteral("Size");
    case DateColumn: return QStringLiteral("Modified");
    default: return {};
    }
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const ResultRow* row = RowAt(index.row());
    // Placeholders stay out of every selection, so commands never act on a row that names nothing.
    if (row == nullptr || !IsRealRow(*row))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}
