#include "diff/GuiDiffPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Outline(0x45, 0x4f, 0x5c);
const QColor Blue(0x1f, 0x77, 0xd0);
const QColor Green(0x2e, 0x9d, 0x3a);
const QColor Red(0xd0, 0x21, 0x21);
const QColor Orange(0xe0, 0x80, 0x20);
const QColor Violet(0x60, 0x50, 0xc8);
const QColor Flag(0x1f, 0x8f, 0xb0);

void Arrow(QPainter& p, double s, const QColor& fill, bool up, bool down)
{
    QPainterPath path;
    if (up || down) {
        const double y0 = up ? s * 0.8 : s * 0.2;
        const double y1 = up ? s * 0.2 : s * 0.8;
        path.moveTo(s * 0.5, y1);
        path.lineTo(s * 0.85, (y0 + y1) / 2);
        path.lineTo(s * 0.62, (y0 + y1) / 2);
        path.lineTo(s * 0.62, y0);
        path.lineTo(s * 0.38, y0);
        path.lineTo(s * 0.38, (y0 + y1) / 2);
        path.lineTo(s * 0.15, (y0 + y1) / 2);
    } else {
        path.moveTo(s * 0.15, s * 0.38);
        path.lineTo(s * 0.5, s * 0.38);
        path.lineTo(s * 0.5, s * 0.15);
        path.lineTo(s * 0.88, s * 0.5);
        path.lineTo(s * 0.5, s * 0.85);
        path.lineTo(s * 0.5, s * 0.62);
        path.lineTo(s * 0.15, s * 0.62);
    }
    path.closeSubpath();
    p.setPen(QPen(Outline, std::max(1.0, s / 20)));
    p.setBrush(fill);
    p.drawPath(path);
}

void Bookmark(QPainter& p, double s, double x0)
{
    QPainterPath path;
    path.moveTo(x0 + s * 0.15, s * 0.12);
    path.lineTo(x0 + s * 0.45, s * 0.12);
    path.lineTo(x0 + s * 0.45, s * 0.88);
    path.lineTo(x0 + s * 0.3, s * 0.7);
    path.lineTo(x0 + s * 0.15, s * 0.88);
    path.closeSubpath();
    p.setPen(QPen(Outline, std::max(1.0, s / 20)));
    p.setBrush(Flag);
    p.drawPath(path);
}

void Lens(QPainter& p, double s)
{
    p.setPen(QPen(Outline, std::max(1.5, s / 10)));
    p.setBrush(QColor(0xd8, 0xe8, 0xf8));
    p.drawEllipse(QPointF(s * 0.42, s * 0.42), s * 0.26, s * 0.26);
    p.drawLine(QPointF(s * 0.62, s * 0.62), QPointF(s * 0.88, s * 0.88));
}

QPixmap Draw(DiffPicture picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (picture) {
    case DiffPicture::PreviousDiff:
        Arrow(p, s, Blue, true, false);
        break;
    case DiffPicture::NextDiff:
        Arrow(p, s, Blue, false, true);
        break;
    case DiffPicture::Find:
        Lens(p, s);
        break;
    case DiffPicture::FindNext:
    case DiffPicture::FindPrevious: {
        Lens(p, s * 0.8);
        p.scale(0.55, 0.55);
        p.translate(s * 0.75, picture == DiffPicture::FindNext ? s * 0.75 : 0);
        Arrow(p, s, Green, picture == DiffPicture::FindPrevious, picture == DiffPicture::FindNext);
        break;
    }
    case DiffPicture::ToggleBookmark:
        Bookmark(p, s, s * 0.2);
        break;
    case DiffPicture::NextBookmark:
    case DiffPicture::PreviousBookmark:
        Bookmark(p, s, 0);
        p.scale(0.55, 0.55);
        p.translate(s * 0.75, picture == DiffPicture::NextBookmark ? s * 0.75 : 0);
        Arrow(p, s, Green, picture == DiffPicture::PreviousBookmark, picture == DiffPicture::NextBookmark);
        break;
    case DiffPicture::ClearAllBookmarks:
        Bookmark(p, s, s * 0.1);
        p.setPen(QPen(Red, std::max(2.0, s / 8), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.55, s * 0.55), QPointF(s * 0.9, s * 0.9));
        p.drawLine(QPointF(s * 0.9, s * 0.55), QPointF(s * 0.55, s * 0.9));
        break;
    case DiffPicture::Print:
        p.setPen(QPen(Outline, std::max(1.0, s / 16)));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.28, s * 0.1, s * 0.44, s * 0.35));
        p.setBrush(QColor(0xb8, 0xc0, 0xcc));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.42, s * 0.8, s * 0.32), s * 0.06, s * 0.06);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.28, s * 0.62, s * 0.44, s * 0.28));
        break;
    case DiffPicture::Exit:
        p.setPen(QPen(Outline, std::max(1.0, s / 16)));
        p.setBrush(QColor(0xf0, 0xe0, 0xc0));
        p.drawRect(QRectF(s * 0.15, s * 0.1, s * 0.45, s * 0.8));
        Arrow(p, s, Red, false, false);
        break;
    case DiffPicture::Arrow:
        Arrow(p, s, Green, false, false);
        break;
    case DiffPicture::OrphanArrow:
        Arrow(p, s, Orange, false, false);
        break;
    case DiffPicture::DifferArrow:
        Arrow(p, s, Violet, false, false);
        break;
    case DiffPicture::BookmarkArrow:
        Bookmark(p, s, 0);
        p.scale(0.7, 0.7);
        p.translate(s * 0.45, s * 0.2);
        Arrow(p, s, Green, false, false);
        break;
    case DiffPicture::Bookmark:
        Bookmark(p, s, s * 0.2);
        break;
    }
    return pixmap;
}

} // namespace

QIcon DiffPictureIcon(DiffPicture picture)
{
    QIcon icon;
    for (const int size : {16, 24, 32})
        icon.addPixmap(Draw(picture, size));
    return icon;
}
