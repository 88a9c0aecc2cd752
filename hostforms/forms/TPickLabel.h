// Label with an optional text at a position; transparent unless a colour is given.
#pragma once

#include "hostforms/forms/PositionText.h"

#include <QLabel>

class TPickLabel : public QLabel {
    Q_OBJECT
public:
    explicit TPickLabel(QWidget *parent = nullptr);
    PositionText Overlay;

protected:
    void paintEvent(QPaintEvent *event) override;
};
