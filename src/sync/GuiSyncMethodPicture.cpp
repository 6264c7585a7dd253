#include "sync/GuiSyncMethodPicture.h"

#include "sync/CSyncSettings.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Width = 120;
constexpr int Height = 56;

void DrawFolder(QPainter& p, const QRectF& r, const QString& letter)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 5);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 5);
    path.lineTo(r.left() + r.width() * 0.5, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 20), 1.2));
    p.setBrush(QColor(250, 205, 90));
    p.drawPath(path);
    p.setPen(QColor(90, 60, 0));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(r.adjusted(0, 4, 0, 0), Qt::AlignCenter, letter);
}

void DrawArrow(QPainter& p, qreal y, bool toRight, const QColor& color)
{
    const qreal from = toRight ? 40 : 80;
    const qreal to = toRight ? 80 : 40;
    const qreal head = toRight ? -7 : 7;
    p.setPen(QPen(color, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(from, y), QPointF(to, y));
    p.drawLine(QPointF(to, y), QPointF(to + head, y - 5));
    p.drawLine(QPointF(to, y), QPointF(to + head, y + 5));
}

void DrawCross(QPainter& p, qreal centreX)
{
    p.setPen(QPen(QColor(200, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(centreX - 6, Height - 14), QPointF(centreX + 6, Height - 2));
    p.drawLine(QPointF(centreX - 6, Height - 2), QPointF(centreX + 6, Height - 14));
}

bool AnyCopy(const CSyncSettings::Rules& rules, int firstIndex)
{
    for (int i = firstIndex; i < firstIndex + 4; ++i) {
        if (rules[i] == CSyncSettings::Copy)
            return true;
    }
    return false;
}

} // namespace

QSize SyncMethodPictureSize() { return {Width, Height}; }

QPixmap SyncMethodPicture(int method)
{
    CSyncSettings::Rules rules;
    if (!CSyncSettings::PredefinedRules(method, &rules))
        return {};
    QPixmap pixmap(Width, Height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawFolder(p, QRectF(2, 8, 34, 28), QStringLiteral("L"));
    DrawFolder(p, QRectF(Width - 36, 8, 34, 28), QStringLiteral("R"));
    const bool toRight = AnyCopy(rules, 0);
    const bool toLeft = AnyCopy(rules, 4);
    const QColor green(30, 140, 40);
    if (toRight && toLeft) {
        DrawArrow(p, 16, true, green);
        DrawArrow(p, 30, false, green);
    } else if (toRight) {
        DrawArrow(p, 23, true, green);
    } else if (toLeft) {
        DrawArrow(p, 23, false, green);
    }
    if (rules[CSyncSettings::RuleIndex(CSyncSettings::Left, CSyncSettings::Orphan)] == CSyncSettings::Delete)
        DrawCross(p, 19);
    if (rules[CSyncSettings::RuleIndex(CSyncSettings::Right, CSyncSettings::Orphan)] == CSyncSettings::Delete)
        DrawCross(p, Width - 19);
    return pixmap;
}
