#include "viewer/ZoomChartView.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace viewer {

ZoomChartView::ZoomChartView(QWidget* parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::HorizontalRubberBand);
}

void ZoomChartView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || chart() == nullptr)
        return;
    const QRectF area = chart()->plotArea();
    const double factor = steps > 0 ? 1.0 / (1.0 + 0.25 * steps) : 1.0 - 0.25 * steps;
    // Zoom around the pointer: the time under it stays under it.
    const double pointer = event->position().x() - area.left();
    const double left = pointer * (1.0 - factor);
    chart()->zoomIn(QRectF(area.left() + left, area.top(), area.width() * factor, area.height()));
    emit movedByUser();
    event->accept();
}

void ZoomChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        panning_ = true;
        last_ = event->position();
        event->accept();
        return;
    }
    if (event->button() == Qt::RightButton) {
        // The rubber band is drawn with the left button in Qt; the right one
        // is ours, so hand it over as a left press.
        QMouseEvent left(event->type(), event->position(), event->globalPosition(), Qt::LeftButton,
                         Qt::LeftButton, event->modifiers());
        QChartView::mousePressEvent(&left);
        return;
    }
    QChartView::mousePressEvent(event);
}

void ZoomChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (!panning_) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    const QPointF delta = event->position() - last_;
    last_ = event->position();
    if (chart() != nullptr && delta.x() != 0) {
        chart()->scroll(-delta.x(), 0);
        emit movedByUser();
    }
    event->accept();
}

void ZoomChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (panning_ && event->button() == Qt::LeftButton) {
        panning_ = false;
        event->accept();
        return;
    }
    if (event->button() == Qt::RightButton) {
        QMouseEvent left(event->type(), event->position(), event->globalPosition(), Qt::LeftButton,
                         Qt::NoButton, event->modifiers());
        QChartView::mouseReleaseEvent(&left);
        emit movedByUser();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

} // namespace viewer
