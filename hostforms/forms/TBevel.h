// Bevel: box, frame, top/bottom/left/right line or an invisible spacer.
#pragma once

#include <QWidget>

class TBevel : public QWidget {
    Q_OBJECT
public:
    explicit TBevel(QWidget *parent = nullptr);
    void setShape(int shape);
    int shape() const { return m_shape; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_shape = 0;
};
