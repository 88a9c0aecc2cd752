// Form workspace.
#include "hostforms/forms/TFormWorkspace.h"

#include "hostforms/forms/AlignLayout.h"

#include <QCloseEvent>

TFormWorkspace::TFormWorkspace(QWidget *parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_QuitOnClose, false);
    AlignLayout::Engine::of(this);
}

void TFormWorkspace::closeEvent(QCloseEvent *event) {
    // The host decides: it is told, and the form stays open.
    event->ignore();
    if (OnCloseQuery) {
        OnCloseQuery();
    }
}

void TFormWorkspace::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    paintOverlay(this, Overlay);
}
