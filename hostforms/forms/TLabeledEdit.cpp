// Labeled edit.
#include "hostforms/forms/TLabeledEdit.h"

#include <QEvent>

TLabeledEdit::TLabeledEdit(QWidget *parent) : QLineEdit(parent), m_label(new QLabel(parent)) {
    m_label->setObjectName(QStringLiteral("EditLabel"));
    // Host text: markup in it is shown, never followed (an <img> would load a local file).
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->adjustSize();
    placeLabel();
}

TLabeledEdit::~TLabeledEdit() {
    delete m_label.data();
}

void TLabeledEdit::setLabelPosition(int position) {
    m_position = qBound(0, position, 3);
    placeLabel();
}

void TLabeledEdit::placeLabel() {
    if (!m_label) {
        return;
    }
    if (m_label->parentWidget() != parentWidget()) {
        m_label->setParent(parentWidget());
    }
    if (m_label->wordWrap()) {
        m_label->setFixedWidth(qMax(1, width()));
        m_label->adjustSize();
    } else {
        m_label->setMinimumWidth(0);
        m_label->setMaximumWidth(QWIDGETSIZE_MAX);
        m_label->adjustSize();
    }
    const QSize ls = m_label->size();
    const QRect g = geometry();
    QPoint at;
    switch (m_position) {
    case Above:
        at = QPoint(g.left(), g.top() - ls.height() - LabelSpacing);
        break;
    case Below:
        at = QPoint(g.left(), g.bottom() + 1 + LabelSpacing);
        break;
    case Right:
        at = QPoint(g.right() + 1 + LabelSpacing, g.top() + (g.height() - ls.height()) / 2);
        break;
    case Left:
    default:
        at = QPoint(g.left() - ls.width() - LabelSpacing, g.top() + (g.height() - ls.height()) / 2);
        break;
    }
    m_label->move(at);
    m_label->setVisible(!isHidden() && parentWidget());
}

bool TLabeledEdit::event(QEvent *event) {
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Show:
    case QEvent::Hide:
        placeLabel();
        break;
    case QEvent::EnabledChange:
        if (m_label) {
            m_label->setEnabled(isEnabled());
        }
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void TLabeledEdit::moveEvent(QMoveEvent *event) {
    QLineEdit::moveEvent(event);
    placeLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent *event) {
    QLineEdit::resizeEvent(event);
    placeLabel();
}
