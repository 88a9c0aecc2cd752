// Text drawn at a position on a control's canvas (field 25 of labels and form workspaces).
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>

class QWidget;

struct PositionText {
    bool has = false;
    QPoint pos;
    QString text;
    QFont font;
    QColor colour = Qt::black;
};

// Paints the text on `w` (from its paint event); nothing when there is none.
void paintOverlay(QWidget *w, const PositionText &overlay);
