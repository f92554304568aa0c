#pragma once

#include <QChartView>

namespace viewer {

// A chart view that zooms time with the wheel (around the pointer), pans with
// the left button dragged, and zooms to a rubber band drawn with the right
// button. Each such move is reported, so the chart stops following the live
// edge and keeps what the engineer chose.
class ZoomChartView : public QChartView {
    Q_OBJECT

public:
    explicit ZoomChartView(QWidget* parent = nullptr);

signals:
    void movedByUser();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool panning_ = false;
    QPointF last_;
};

} // namespace viewer
