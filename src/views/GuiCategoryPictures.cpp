#include "views/GuiCategoryPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

namespace {

// Badge colours per category, chosen to stay apart for the common forms of colour blindness: blue and
// orange carry the newer/older pair, green the equal rows, magenta and red the odd ones.
QColor BadgeColour(Category category)
{
    switch (category) {
    case Category::Newer: return QColor(0x1f, 0x77, 0xd0);
    case Category::Older: return QColor(0xe6, 0x7e, 0x00);
    case Category::Same: return QColor(0x2e, 0x9d, 0x3a);
    case Category::Orphan: return QColor(0xb0, 0x2d, 0xb8);
    case Category::Binary: return QColor(0xd0, 0x21, 0x21);
    case Category::IdenticalFolder: return QColor(0x2e, 0x9d, 0x3a);
    case Category::DifferentFolder: return QColor(0xd0, 0x21, 0x21);
    case Category::OrphanFolder: return QColor(0xb0, 0x2d, 0xb8);
    case Category::None: break;
    }
    return Qt::transparent;
}

bool IsFolderCategory(Category category)
{
    return category == Category::IdenticalFolder || category == Category::DifferentFolder ||
           category == Category::OrphanFolder;
}

// A page with a folded corner on the left part of the square.
void DrawPage(QPainter& p, double s)
{
    QPainterPath page;
    page.moveTo(0.12 * s, 0.04 * s);
    page.lineTo(0.52 * s, 0.04 * s);
    page.lineTo(0.72 * s, 0.24 * s);
    page.lineTo(0.72 * s, 0.80 * s);
    page.lineTo(0.12 * s, 0.80 * s);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x55, 0x5f, 0x6d), qMax(1.0, s / 16.0)));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(0.52 * s, 0.04 * s);
    fold.lineTo(0.52 * s, 0.24 * s);
    fold.lineTo(0.72 * s, 0.24 * s);
    p.setBrush(QColor(0xdd, 0xe3, 0xea));
    p.drawPath(fold);
    p.setPen(QPen(QColor(0xa8, 0xb2, 0xbe), qMax(1.0, s / 20.0)));
    for (double y : {0.36, 0.48, 0.60})
        p.drawLine(QPointF(0.22 * s, y * s), QPointF(0.58 * s, y * s));
}

void DrawFolder(QPainter& p, double s)
{
    QPainterPath folder;
    folder.moveTo(0.04 * s, 0.16 * s);
    folder.lineTo(0.30 * s, 0.16 * s);
    folder.lineTo(0.38 * s, 0.26 * s);
    folder.lineTo(0.80 * s, 0.26 * s);
    folder.lineTo(0.80 * s, 0.78 * s);
    folder.lineTo(0.04 * s, 0.78 * s);
    folder.closeSubpath();
    p.setPen(QPen(QColor(0x9a, 0x6b, 0x0c), qMax(1.0, s / 16.0)));
    p.setBrush(QColor(0xf4, 0xc4, 0x42));
    p.drawPath(folder);
    p.setBrush(QColor(0xfb, 0xdc, 0x7a));
    p.drawRect(QRectF(0.04 * s, 0.36 * s, 0.76 * s, 0.42 * s));
}

// The badge in the lower right corner, with a white mark: arrows for newer and older, "=" for equal,
// a single dot for one-sided rows, "≠" for different contents.
void DrawBadge(QPainter& p, Category category, double s)
{
    const QRectF badge(0.44 * s, 0.44 * s, 0.56 * s, 0.56 * s);
    p.setPen(QPen(Qt::white, qMax(1.0, s / 24.0)));
    p.setBrush(BadgeColour(category));
    p.drawEllipse(badge);
    const QPointF c = badge.center();
    const double r = badge.width() / 2.0;
    QPen mark(Qt::white, qMax(1.4, s / 9.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(mark);
    p.setBrush(Qt::NoBrush);
    switch (category) {
    case Category::Newer:
    case Category::Older: {
        const double dir = category == Category::Newer ? -1.0 : 1.0;
        p.drawLine(QPointF(c.x(), c.y() - dir * 0.5 * r), QPointF(c.x(), c.y() + dir * 0.5 * r));
        p.drawLine(QPointF(c.x() - 0.4 * r, c.y() + dir * 0.1 * r), QPointF(c.x(), c.y() + dir * 0.5 * r));
        p.drawLine(QPointF(c.x() + 0.4 * r, c.y() + dir * 0.1 * r), QPointF(c.x(), c.y() + dir * 0.5 * r));
        break;
    }
    case Category::Same:
    case Category::IdenticalFolder:
        p.drawLine(QPointF(c.x() - 0.45 * r, c.y() - 0.22 * r), QPointF(c.x() + 0.45 * r, c.y() - 0.22 * r));
        p.drawLine(QPointF(c.x() - 0.45 * r, c.y() + 0.22 * r), QPointF(c.x() + 0.45 * r, c.y() + 0.22 * r));
        break;
    case Category::Binary:
    case Category::DifferentFolder:
        p.drawLine(QPointF(c.x() - 0.45 * r, c.y() - 0.22 * r), QPointF(c.x() + 0.45 * r, c.y() - 0.22 * r));
        p.drawLine(QPointF(c.x() - 0.45 * r, c.y() + 0.22 * r), QPointF(c.x() + 0.45 * r, c.y() + 0.22 * r));
        p.drawLine(QPointF(c.x() + 0.25 * r, c.y() - 0.55 * r), QPointF(c.x() - 0.25 * r, c.y() + 0.55 * r));
        break;
    case Category::Orphan:
    case Category::OrphanFolder:
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 0.28 * r, 0.28 * r);
        break;
    case Category::None: break;
    }
}

// The amber triangle with "!" of a row whose contents could not be read; the upper right corner is the
// part of the square the page and the folder leave free.
void DrawUnreadableMark(QPainter& p, double s)
{
    QPainterPath triangle;
    triangle.moveTo(0.76 * s, 0.0);
    triangle.lineTo(1.0 * s, 0.42 * s);
    triangle.lineTo(0.52 * s, 0.42 * s);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(0x6b, 0x4a, 0x00), qMax(1.0, s / 24.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xff, 0xc1, 0x07));
    p.drawPath(triangle);
    p.setPen(QPen(Qt::black, qMax(1.2, s / 14.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.76 * s, 0.13 * s), QPointF(0.76 * s, 0.27 * s));
    p.drawPoint(QPointF(0.76 * s, 0.35 * s));
}

// The mark of what changed since the last synchronization, in the upper left corner over the page's or
// folder's edge: a dark disc with a white cross for an object deleted on the other side, a teal disc with
// a white arrow for a moved one, a red diamond with a white flash for a pair changed on both sides. Each
// has a white rim, so it stands out from a light row and from a dark one alike; the shapes differ as well
// as the colours, for those who cannot tell the colours apart.
void DrawNoteMark(QPainter& p, RowNote note, double s)
{
    // Large enough to be told apart at 16 pixels, where the mark is 10 pixels across.
    const QRectF box(0.0, 0.0, 0.62 * s, 0.62 * s);
    const double rimWidth = qMax(1.0, s / 20.0);
    const QPointF c = box.center();
    const double r = box.width() / 2.0 - rimWidth / 2.0;
    const QPen rim(Qt::white, rimWidth);
    const QPen mark(Qt::white, qMax(1.2, s / 13.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (note) {
    case RowNote::DeletedOnLeft:
    case RowNote::DeletedOnRight:
        p.setPen(rim);
        p.setBrush(QColor(0x26, 0x2b, 0x33));
        p.drawEllipse(c, r, r);
        p.setPen(mark);
        p.drawLine(QPointF(c.x() - 0.38 * r, c.y() - 0.38 * r), QPointF(c.x() + 0.38 * r, c.y() + 0.38 * r));
        p.drawLine(QPointF(c.x() + 0.38 * r, c.y() - 0.38 * r), QPointF(c.x() - 0.38 * r, c.y() + 0.38 * r));
        break;
    case RowNote::MovedFrom:
    case RowNote::MovedTo:
        p.setPen(rim);
        p.setBrush(QColor(0x00, 0x7a, 0x8a));
        p.drawEllipse(c, r, r);
        p.setPen(mark);
        p.drawLine(QPointF(c.x() - 0.5 * r, c.y()), QPointF(c.x() + 0.45 * r, c.y()));
        p.drawLine(QPointF(c.x() + 0.05 * r, c.y() - 0.4 * r), QPointF(c.x() + 0.45 * r, c.y()));
        p.drawLine(QPointF(c.x() + 0.05 * r, c.y() + 0.4 * r), QPointF(c.x() + 0.45 * r, c.y()));
        break;
    case RowNote::Conflict: {
        QPainterPath diamond;
        diamond.moveTo(c.x(), c.y() - r);
        diamond.lineTo(c.x() + r, c.y());
        diamond.lineTo(c.x(), c.y() + r);
        diamond.lineTo(c.x() - r, c.y());
        diamond.closeSubpath();
        p.setPen(rim);
        p.setBrush(QColor(0xd3, 0x1f, 0x1f));
        p.drawPath(diamond);
        // Two strokes crossing the other way from each other: a flash, the sides colliding.
        QPainterPath flash;
        flash.moveTo(c.x() + 0.12 * r, c.y() - 0.5 * r);
        flash.lineTo(c.x() - 0.2 * r, c.y() + 0.06 * r);
        flash.lineTo(c.x() + 0.2 * r, c.y() - 0.06 * r);
        flash.lineTo(c.x() - 0.12 * r, c.y() + 0.5 * r);
        p.setPen(mark);
        p.setBrush(Qt::NoBrush);
        p.drawPath(flash);
        break;
    }
    case RowNote::None: break;
    }
}

QImage Draw(Category category, int size, bool unreadable, RowNote note)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    if (IsFolderCategory(category))
        DrawFolder(p, s);
    else
        DrawPage(p, s);
    DrawBadge(p, category, s);
    if (unreadable)
        DrawUnreadableMark(p, s);
    DrawNoteMark(p, note, s);
    return image;
}

// The grey form: the picture's own lightness, washed out, so the shape still tells the category.
QImage Grey(const QImage& coloured)
{
    QImage grey = coloured.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int v = 120 + qGray(line[x]) * 120 / 255;
            line[x] = qRgba(v, v, v, qAlpha(line[x]) * 3 / 4);
        }
    }
    return grey;
}

} // namespace

QColor CategoryColour(Category category) { return BadgeColour(category); }

QPixmap CategoryPixmap(Category category, bool coloured, int size, bool unreadable, RowNote note)
{
    if (category == Category::None || size <= 0)
        return {};
    // Qt's pixmap cache, not a static of our own: it is emptied while the application object still
    // exists, whereas a static would free its pixmaps after the window system has gone.
    const QString key = QStringLiteral("parvex-category-%1-%2-%3%4-%5")
                            .arg(static_cast<int>(category))
                            .arg(size)
                            .arg(coloured ? QLatin1Char('c') : QLatin1Char('g'))
                            .arg(unreadable ? QLatin1Char('u') : QLatin1Char('r'))
                            .arg(static_cast<int>(note));
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    const QImage image = Draw(category, size, unreadable, note);
    pixmap = QPixmap::fromImage(coloured ? image : Grey(image));
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon CategoryIcon(Category category, bool unreadable, RowNote note)
{
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48})
        icon.addPixmap(CategoryPixmap(category, true, size, unreadable, note));
    return icon;
}
