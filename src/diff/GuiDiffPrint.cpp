#include "diff/GuiDiffPrint.h"

#include "base/UserDialogs.h"
#include "diff/DiffNavigator.h"
#include "diff/GuiDiffGridModel.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

void PaintFileDifferences(const DiffNavigator& rows, QPrinter& printer)
{
    QPainter p(&printer);
    if (!p.isActive())
        return;
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(7.5);
    p.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const QRectF page(QPointF(0, 0), QSizeF(printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    const double lineHeight = metrics.height() * 1.15;
    const double half = page.width() / 2;
    const double headerHeight = lineHeight * 3;
    const int perPage = std::max(1, static_cast<int>((page.height() - headerHeight) / lineHeight));
    const QString printed = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    const QString leftPath = rows.RowText(DiffNavigator::Side::Left, 0);
    const QString rightPath = rows.RowText(DiffNavigator::Side::Right, 0);
    for (int32_t first = 1; first < rows.RowCount(); first += perPage) {
        if (first > 1)
            printer.newPage();
        p.setPen(Qt::black);
        p.drawText(QRectF(0, 0, half - 4, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(leftPath, Qt::ElideMiddle, half - 4));
        p.drawText(QRectF(half + 4, 0, half - 4, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(rightPath, Qt::ElideMiddle, half - 4));
        p.drawText(QRectF(0, lineHeight, page.width(), lineHeight), Qt::AlignRight | Qt::AlignVCenter, printed);
        p.drawLine(QPointF(0, headerHeight - lineHeight / 2), QPointF(page.width(), headerHeight - lineHeight / 2));
        const int32_t last = std::min<int32_t>(rows.RowCount() - 1, first + perPage - 1);
        for (int32_t r = first; r <= last; ++r) {
            const double y = headerHeight + (r - first) * lineHeight;
            for (const auto side : {DiffNavigator::Side::Left, DiffNavigator::Side::Right}) {
                const double x = side == DiffNavigator::Side::Left ? 0 : half + 4;
                const QRectF cell(x, y, half - 4, lineHeight);
                const RowColour colour = rows.Colour(side, r);
                if (colour != RowColour::Default)
                    p.fillRect(cell, colour == RowColour::Addition ? AdditionColour() : ChangeColour());
                p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                           metrics.elidedText(rows.RowText(side, r), Qt::ElideRight, cell.width()));
            }
        }
    }
}

void PrintFileDifferences(const DiffNavigator& rows, UserDialogs& dialogs, QWidget* parent)
{
    if (rows.RowCount() <= 1) {
        dialogs.Message(QStringLiteral("There are no items to print."), QStringLiteral("Print"), UserDialogs::Icon::Information);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("File Differences"));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("frmPrintPreview"));
    preview.setWindowTitle(QStringLiteral("Print the differences"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&rows](QPrinter* target) { PaintFileDifferences(rows, *target); });
    preview.exec();
}
