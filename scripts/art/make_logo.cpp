// Draws the splash picture assets/files/parvexlogo.jpg. Built and run on demand by make_logo.sh; the
// picture it writes is committed, so a normal build never needs this program.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

void Folder(QPainter& p, const QRectF& r, const QColor& back, const QColor& front)
{
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + r.height() * 0.12);
    tab.lineTo(r.left() + r.width() * 0.36, r.top() + r.height() * 0.12);
    tab.lineTo(r.left() + r.width() * 0.46, r.top() + r.height() * 0.26);
    tab.lineTo(r.right(), r.top() + r.height() * 0.26);
    tab.lineTo(r.bottomRight());
    tab.lineTo(r.bottomLeft());
    tab.closeSubpath();
    p.setPen(QPen(back.darker(160), 2));
    p.setBrush(back);
    p.drawPath(tab);
    p.setBrush(front);
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.38, r.width(), r.height() * 0.62), 4, 4);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    p.setPen(QPen(colour, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QLineF back(to, from);
    for (int side : {-1, 1}) {
        QLineF head = back;
        head.setLength(18);
        head.setAngle(back.angle() + side * 35);
        p.drawLine(head);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("parvexlogo.jpg");
    const int w = 440;
    const int h = 270;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // A deep blue sky that lightens towards the middle, where the window's ellipse is widest.
    QRadialGradient sky(QPointF(w / 2.0, h * 0.42), w * 0.62);
    sky.setColorAt(0.0, QColor(0x4a, 0x8f, 0xd8));
    sky.setColorAt(0.7, QColor(0x1c, 0x4f, 0x8f));
    sky.setColorAt(1.0, QColor(0x0e, 0x2a, 0x52));
    p.fillRect(image.rect(), sky);

    // Two folders facing each other, kept in step by the arrows between them.
    Folder(p, QRectF(78, 52, 104, 78), QColor(0xe8, 0xb1, 0x2c), QColor(0xf8, 0xd2, 0x6a));
    Folder(p, QRectF(258, 52, 104, 78), QColor(0xe8, 0xb1, 0x2c), QColor(0xf8, 0xd2, 0x6a));
    Arrow(p, QPointF(194, 78), QPointF(246, 78), QColor(0xff, 0xff, 0xff));
    Arrow(p, QPointF(246, 108), QPointF(194, 108), QColor(0xb8, 0xf0, 0xc0));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(58);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(title);
    QPainterPath text;
    text.addText(0, 0, title, QStringLiteral("Parvex"));
    const QRectF bounds = text.boundingRect();
    text.translate(w / 2.0 - bounds.center().x(), 178 - bounds.center().y());
    p.setPen(QPen(QColor(0x0a, 0x1e, 0x3c), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(text);
    p.fillPath(text, QColor(0xff, 0xff, 0xff));

    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(15);
    p.setFont(sub);
    p.setPen(QColor(0xd6, 0xe6, 0xf8));
    p.drawText(QRectF(0, 216, w, 24), Qt::AlignCenter, QStringLiteral("compare and synchronise folders"));
    p.end();
    return image.save(out, "JPG", 92) ? 0 : 1;
}
