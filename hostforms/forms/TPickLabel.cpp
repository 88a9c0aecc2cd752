// Label with an optional text at a position; transparent unless a colour is given.
#include "hostforms/forms/TPickLabel.h"

TPickLabel::TPickLabel(QWidget *parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText); // host text, shown as it is
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TPickLabel::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    paintOverlay(this, Overlay);
}
