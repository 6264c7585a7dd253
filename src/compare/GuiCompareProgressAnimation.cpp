#include "compare/GuiCompareProgressAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>
#include <cmath>

namespace {
constexpr int FrameMs = 60;
constexpr int FramesPerCycle = 24;

void PaintFolder(QPainter& p, const QRectF& r, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + r.height() * 0.2);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.2);
    path.lineTo(r.left() + r.width() * 0.5, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour);
    p.drawPath(path);
}
} // namespace

GuiCompareProgressAnimation::GuiCompareProgressAnimation(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(sizeHint());
}

void GuiCompareProgressAnimation::Play(const QString& name)
{
    m_kind = name.startsWith(QLatin1String("scanfiles"), Qt::CaseInsensitive) ? Kind::ScanFiles : Kind::FolderTree;
    m_frame = 0;
    m_timer.start(FrameMs, this);
    update();
}

void GuiCompareProgressAnimation::Stop()
{
    m_timer.stop();
    update();
}

void GuiCompareProgressAnimation::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_frame = (m_frame + 1) % FramesPerCycle;
    update();
}

void GuiCompareProgressAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_kind == Kind::ScanFiles)
        PaintScanFiles(p);
    else
        PaintFolderTree(p);
}

void GuiCompareProgressAnimation::PaintFolderTree(QPainter& p) const
{
    const qreal w = width();
    const qreal h = height();
    const QColor folder(232, 196, 92);
    PaintFolder(p, QRectF(2, h * 0.35, w * 0.3, h * 0.55), folder);
    PaintFolder(p, QRectF(w * 0.68, h * 0.35, w * 0.3, h * 0.55), folder);

    // The sheet rises out of the left folder and drops into the right one along an arc.
    const qreal t = static_cast<qreal>(m_frame) / (FramesPerCycle - 1);
    const qreal x = w * 0.12 + t * w * 0.62;
    const qreal y = h * 0.35 - std::sin(t * 3.14159265) * h * 0.3;
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(x, y, w * 0.14, h * 0.32));
}

void GuiCompareProgressAnimation::PaintScanFiles(QPainter& p) const
{
    const qreal w = width();
    const qreal h = height();
    const QRectF sheet(w * 0.25, 2, w * 0.5, h - 4);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(150, 150, 170), 1));
    for (int i = 1; i <= 5; ++i) {
        const qreal y = sheet.top() + sheet.height() * i / 6.0;
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    }

    // The magnifier moves down the lines and back up.
    const int half = FramesPerCycle / 2;
    const qreal t = static_cast<qreal>(m_frame < half ? m_frame : FramesPerCycle - m_frame) / half;
    const QPointF centre(sheet.center().x(), sheet.top() + 8 + t * (sheet.height() - 16));
    p.setPen(QPen(QColor(40, 70, 140), 2));
    p.setBrush(QColor(160, 200, 255, 110));
    p.drawEllipse(centre, 7, 7);
    p.drawLine(centre + QPointF(5, 5), centre + QPointF(11, 11));
}
