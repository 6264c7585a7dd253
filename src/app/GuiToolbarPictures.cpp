#include "app/GuiToolbarPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Outline(0x45, 0x4f, 0x5c);
const QColor Paper(0xff, 0xff, 0xff);
const QColor FolderFill(0xf4, 0xc4, 0x42);
const QColor Blue(0x1f, 0x77, 0xd0);
const QColor Green(0x2e, 0x9d, 0x3a);
const QColor Red(0xd0, 0x21, 0x21);

QPen Line(const QColor& colour, double s, double weight = 1.0)
{
    return QPen(colour, qMax(1.0, s / 16.0 * weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Page(QPainter& p, const QRectF& r, double s)
{
    const double fold = r.width() * 0.3;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Line(Outline, s));
    p.setBrush(Paper);
    p.drawPath(path);
    p.setPen(Line(QColor(0xa8, 0xb2, 0xbe), s, 0.8));
    for (int i = 1; i <= 3; ++i) {
        const double y = r.top() + r.height() * (0.25 + 0.18 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.2, y), QPointF(r.right() - r.width() * 0.2, y));
    }
}

void Folder(QPainter& p, const QRectF& r, double s)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + r.height() * 0.1);
    path.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.1);
    path.lineTo(r.left() + r.width() * 0.48, r.top() + r.height() * 0.25);
    path.lineTo(r.right(), r.top() + r.height() * 0.25);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Line(QColor(0x9a, 0x6b, 0x0c), s));
    p.setBrush(FolderFill);
    p.drawPath(path);
}

// An arrow from a to b with a head at b.
void Arrow(QPainter& p, QPointF a, QPointF b, const QColor& colour, double s)
{
    p.setPen(Line(colour, s, 2.0));
    p.drawLine(a, b);
    const QLineF shaft(b, a);
    QLineF head1 = shaft;
    head1.setLength(s * 0.22);
    head1.setAngle(shaft.angle() + 35);
    QLineF head2 = shaft;
    head2.setLength(s * 0.22);
    head2.setAngle(shaft.angle() - 35);
    p.drawLine(head1);
    p.drawLine(head2);
}

void Draw(QPainter& p, ToolbarPicture picture, double s)
{
    switch (picture) {
    case ToolbarPicture::Compare:
        Folder(p, QRectF(0.04 * s, 0.12 * s, 0.4 * s, 0.34 * s), s);
        Folder(p, QRectF(0.56 * s, 0.12 * s, 0.4 * s, 0.34 * s), s);
        Arrow(p, QPointF(0.2 * s, 0.72 * s), QPointF(0.8 * s, 0.72 * s), Blue, s);
        Arrow(p, QPointF(0.8 * s, 0.72 * s), QPointF(0.2 * s, 0.72 * s), Blue, s);
        break;
    case ToolbarPicture::CompareFiles:
        Page(p, QRectF(0.06 * s, 0.08 * s, 0.38 * s, 0.56 * s), s);
        Page(p, QRectF(0.56 * s, 0.08 * s, 0.38 * s, 0.56 * s), s);
        p.setPen(Line(Blue, s, 2.0));
        p.drawLine(QPointF(0.3 * s, 0.78 * s), QPointF(0.7 * s, 0.78 * s));
        p.drawLine(QPointF(0.3 * s, 0.9 * s), QPointF(0.7 * s, 0.9 * s));
        break;
    case ToolbarPicture::Sync: {
        p.setPen(Line(Green, s, 2.2));
        p.setBrush(Qt::NoBrush);
        const QRectF ring(0.18 * s, 0.18 * s, 0.64 * s, 0.64 * s);
        p.drawArc(ring, 20 * 16, 140 * 16);
        p.drawArc(ring, 200 * 16, 140 * 16);
        Arrow(p, QPointF(0.2 * s, 0.44 * s), QPointF(0.2 * s, 0.5 * s), Green, s);
        Arrow(p, QPointF(0.8 * s, 0.56 * s), QPointF(0.8 * s, 0.5 * s), Green, s);
        break;
    }
    case ToolbarPicture::Copy:
        Page(p, QRectF(0.08 * s, 0.06 * s, 0.48 * s, 0.6 * s), s);
        Page(p, QRectF(0.42 * s, 0.32 * s, 0.48 * s, 0.6 * s), s);
        break;
    case ToolbarPicture::Move:
        Page(p, QRectF(0.06 * s, 0.1 * s, 0.46 * s, 0.62 * s), s);
        Arrow(p, QPointF(0.42 * s, 0.78 * s), QPointF(0.94 * s, 0.78 * s), Blue, s);
        break;
    case ToolbarPicture::Delete:
        Page(p, QRectF(0.14 * s, 0.06 * s, 0.5 * s, 0.66 * s), s);
        p.setPen(Line(Red, s, 2.6));
        p.drawLine(QPointF(0.5 * s, 0.5 * s), QPointF(0.9 * s, 0.9 * s));
        p.drawLine(QPointF(0.9 * s, 0.5 * s), QPointF(0.5 * s, 0.9 * s));
        break;
    case ToolbarPicture::Properties:
        Page(p, QRectF(0.14 * s, 0.06 * s, 0.6 * s, 0.8 * s), s);
        p.setPen(Qt::NoPen);
        p.setBrush(Blue);
        p.drawEllipse(QRectF(0.5 * s, 0.5 * s, 0.46 * s, 0.46 * s));
        p.setPen(Line(Qt::white, s, 2.0));
        p.drawLine(QPointF(0.73 * s, 0.67 * s), QPointF(0.73 * s, 0.86 * s));
        p.drawPoint(QPointF(0.73 * s, 0.59 * s));
        break;
    case ToolbarPicture::Print:
        Page(p, QRectF(0.26 * s, 0.06 * s, 0.48 * s, 0.4 * s), s);
        p.setPen(Line(Outline, s));
        p.setBrush(QColor(0x8c, 0x96, 0xa3));
        p.drawRoundedRect(QRectF(0.06 * s, 0.38 * s, 0.88 * s, 0.36 * s), 0.06 * s, 0.06 * s);
        p.setBrush(Paper);
        p.drawRect(QRectF(0.26 * s, 0.62 * s, 0.48 * s, 0.3 * s));
        break;
    case ToolbarPicture::Exit:
        p.setPen(Line(Outline, s));
        p.setBrush(QColor(0x9b, 0x6a, 0x3c));
        p.drawRect(QRectF(0.12 * s, 0.06 * s, 0.44 * s, 0.88 * s));
        Arrow(p, QPointF(0.4 * s, 0.5 * s), QPointF(0.94 * s, 0.5 * s), Red, s);
        break;
    case ToolbarPicture::Help: {
        p.setPen(Qt::NoPen);
        p.setBrush(Blue);
        p.drawEllipse(QRectF(0.06 * s, 0.06 * s, 0.88 * s, 0.88 * s));
        QFont font;
        font.setBold(true);
        font.setPixelSize(qMax(8, static_cast<int>(s * 0.7)));
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case ToolbarPicture::BrowseFolder:
        Folder(p, QRectF(0.04 * s, 0.14 * s, 0.92 * s, 0.72 * s), s);
        p.setPen(Qt::NoPen);
        p.setBrush(Outline);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF((0.3 + 0.2 * i) * s, 0.62 * s), 0.06 * s, 0.06 * s);
        break;
    case ToolbarPicture::Application:
        Folder(p, QRectF(0.02 * s, 0.18 * s, 0.46 * s, 0.5 * s), s);
        Folder(p, QRectF(0.52 * s, 0.18 * s, 0.46 * s, 0.5 * s), s);
        Arrow(p, QPointF(0.3 * s, 0.86 * s), QPointF(0.7 * s, 0.86 * s), Blue, s);
        break;
    }
}

QPixmap Render(ToolbarPicture picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, picture, size);
    return pixmap;
}

} // namespace

QIcon ToolbarIcon(ToolbarPicture picture)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(Render(picture, size));
    return icon;
}
