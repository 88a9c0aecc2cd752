// Free-standing splitter bar: dragging it resizes the sibling aligned next to it.
#pragma once

#include <QWidget>

class TSplitterBar : public QWidget {
    Q_OBJECT
public:
    explicit TSplitterBar(QWidget *parent = nullptr);
    // The sibling that shares the bar's alignment and lies just before it.
    QWidget *target() const;
    // Moves the bar by `delta` pixels along its axis (the target grows or shrinks).
    void dragBy(int delta);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool vertical() const;
    QPoint m_pressed;
};
