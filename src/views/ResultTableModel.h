#pragma once

#include "views/PaneRows.h"

#include <QAbstractTableModel>
#include <QVariant>
#include <array>
#include <functional>
#include <vector>

// One visible result pane: the rows of a hold list that the current view shows, in the hold list's order.
// The model keeps positions into the hold list, never copies of rows, and is reset in one go whenever the
// view changes. Rows beyond the end of the hold list (while a run refills it) read as empty rows.
//
// Placeholder rows (an empty row, or "No Comparison Results") are shown but can never be selected. A row
// with a note from the pair's memory shows a marked picture and the note's sentence as its tool tip.
// The pictures of the categories are handed in by the window, so this model needs nothing beyond QtCore.
class ResultTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn = 0, SizeColumn, DateColumn, ColumnCount };
    enum Role {
        CategoryRole = Qt::UserRole + 1, // int: the row's category (0 for a placeholder)
        HoldIndexRole,                   // int: position in the hold list, or EmptyRow
        PlaceholderRole,                 // bool: not a real result row
        UnreadableRole,                  // bool: the contents could not be read (judged by size and time)
        NoteRole,                        // int: the row's RowNote (what changed since the last synchronization)
    };

    // The tool tip of a row whose contents could not be read.
    static QString UnreadableTip();
    // A row's whole tool tip: its note's sentence and the unreadable tip, each on a line; empty for neither.
    static QString RowTip(const ResultRow& row);

    explicit ResultTableModel(const ResultList& hold, QObject* parent = nullptr);

    // Shows rows (positions into the hold list) from now on.
    void Reset(PaneRows rows);
    const PaneRows& Rows() const { return m_rows; }
    const ResultList& Hold() const { return m_hold; }

    // The hold-list row shown at a visible row; nullptr for an empty row or a row out of range.
    const ResultRow* RowAt(int visibleRow) const;

    // Pictures for the decoration role, indexed by category (0 = none).
    void SetCategoryPictures(const std::array<QVariant, CategoryCount + 1>& pictures);
    // The same with the mark of a row whose contents could not be read; without them such a row shows its
    // category's own picture.
    void SetUnreadablePictures(const std::array<QVariant, CategoryCount + 1>& pictures);
    // The pictures of rows with a note, asked for once per category, note and unreadable mark and kept;
    // without them such a row shows the picture it would show without its note.
    using NotePictures = std::function<QVariant(Category category, bool unreadable, RowNote note)>;
    void SetNotePictures(NotePictures pictures);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const ResultList& m_hold;
    PaneRows m_rows;
    std::array<QVariant, CategoryCount + 1> m_pictures;
    std::array<QVariant, CategoryCount + 1> m_unreadablePictures;
    NotePictures m_notePictures;
    mutable std::vector<QVariant> m_notePictureCache;

    QVariant Picture(const ResultRow& row) const;
};
