#include "views/GuiPanePrint.h"

#include "base/Path.h"
#include "base/UserDialogs.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

const ResultRow* PanePrintout::Row(bool left, int line) const
{
    const PaneRows& rows = left ? leftRows : rightRows;
    const ResultList* hold = left ? leftHold : rightHold;
    if (hold == nullptr || line < 0 || static_cast<std::size_t>(line) >= rows.size() || rows[static_cast<std::size_t>(line)] == EmptyRow)
        return nullptr;
    const auto at = static_cast<std::size_t>(rows[static_cast<std::size_t>(line)]);
    return at < hold->size() && IsRealRow((*hold)[at]) ? &(*hold)[at] : nullptr;
}

QString PrintedCategoryText(Category category)
{
    switch (category) {
    case Category::Newer: return QStringLiteral("Newer");
    case Category::Older: return QStringLiteral("Older");
    case Category::Same: return QStringLiteral("Identical");
    case Category::Orphan: return QStringLiteral("Orphan");
    case Category::Binary: return QStringLiteral("Different contents");
    case Category::IdenticalFolder: return QStringLiteral("Identical folder");
    case Category::DifferentFolder: return QStringLiteral("Different folder");
    case Category::OrphanFolder: return QStringLiteral("Orphan folder");
    case Category::None: break;
    }
    return {};
}

void PaintPanes(const PanePrintout& printout, QPrinter& printer)
{
    QPainter p(&printer);
    if (!p.isActive())
        return;
    QFont font = p.font();
    font.setPointSizeF(7.5);
    p.setFont(font);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF metrics(font, &printer);
    const QRectF page(QPointF(0, 0), QSizeF(printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    const double line = metrics.height() * 1.2;
    const double half = page.width() / 2;
    // Name, size, date and category of each side, as shares of its half.
    const double shares[] = {0.40, 0.12, 0.26, 0.22};
    const char* headers[] = {"Name", "Size", "Modified", "Category"};
    const double top = line * 4;
    const int perPage = std::max(1, static_cast<int>((page.height() - top) / line));
    const QString printed = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    const int rows = printout.RowCount();
    for (int first = 0; first == 0 || first < rows; first += perPage) {
        if (first > 0)
            printer.newPage();
        p.setFont(bold);
        p.drawText(QRectF(0, 0, half - 6, line), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(printout.leftFolder, Qt::ElideMiddle, half - 6));
        p.drawText(QRectF(half + 6, 0, half - 6, line), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(printout.rightFolder, Qt::ElideMiddle, half - 6));
        p.setFont(font);
        p.drawText(QRectF(0, line, page.width(), line), Qt::AlignRight | Qt::AlignVCenter, printed);
        for (const bool left : {true, false}) {
            double x = left ? 0 : half + 6;
            for (int c = 0; c < 4; ++c) {
                const double w = (half - 6) * shares[c];
                const double pad = c >= 2 ? line : 0;
                p.drawText(QRectF(x + pad, line * 2.5, w - 4 - pad, line), (c == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                           QString::fromLatin1(headers[c]));
                x += w;
            }
        }
        p.drawLine(QPointF(0, top - line * 0.3), QPointF(page.width(), top - line * 0.3));
        const int last = std::min(rows, first + perPage);
        for (int r = first; r < last; ++r) {
            const double y = top + (r - first) * line;
            for (const bool left : {true, false}) {
                const ResultRow* row = printout.Row(left, r);
                if (row == nullptr)
                    continue;
                const QString cells[] = {DisplayFileName(row->text), row->sizeText, row->dateText, PrintedCategoryText(row->icon)};
                double x = left ? 0 : half + 6;
                for (int c = 0; c < 4; ++c) {
                    const double w = (half - 6) * shares[c];
                    // The size is right-aligned: the date keeps a gap after it.
                    const double pad = c >= 2 ? line : 0;
                    p.drawText(QRectF(x + pad, y, w - 4 - pad, line), (c == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                               metrics.elidedText(cells[c], Qt::ElideRight, w - 4 - pad));
                    x += w;
                }
            }
        }
    }
}

void PrintPanes(const PanePrintout& printout, UserDialogs& dialogs, QWidget* parent)
{
    bool any = false;
    for (int r = 0; r < printout.RowCount() && !any; ++r)
        any = printout.Row(true, r) != nullptr || printout.Row(false, r) != nullptr;
    if (!any) {
        dialogs.Message(QStringLiteral("There are no items to print."), QStringLiteral("Print"), UserDialogs::Icon::Information);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Comparison Results"));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("frmPrintPreview"));
    preview.setWindowTitle(QStringLiteral("Print"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&printout](QPrinter* target) { PaintPanes(printout, *target); });
    preview.exec();
}
