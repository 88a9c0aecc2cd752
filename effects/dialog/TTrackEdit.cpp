// A track bar and its mirroring edit box.
#include "effects/dialog/TTrackEdit.h"

#include "effects/dialog/EffectMath.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>

namespace orva::effects {

TTrackEdit::TTrackEdit(QWidget *parent, const QString &barName, const QString &editName, const QString &label,
                       int minimum, int maximum, int value, bool decimal)
    : QObject(parent), m_bar(new QSlider(Qt::Horizontal, parent)), m_edit(new QLineEdit(parent)),
      m_label(new QLabel(label, parent)), m_decimal(decimal) {
    setObjectName(barName + QStringLiteral("Pair"));
    m_bar->setObjectName(barName);
    m_edit->setObjectName(editName);
    m_bar->setRange(minimum, maximum);
    m_bar->setValue(value);
    m_bar->setPageStep(std::max(1, (maximum - minimum) / 10));
    m_edit->setMaximumWidth(70);
    m_label->setBuddy(m_edit);
    writeBox(m_bar->value());
    m_edit->installEventFilter(this);
    connect(m_bar, &QSlider::valueChanged, this, &TTrackEdit::barMoved);
    connect(m_edit, &QLineEdit::textChanged, this, &TTrackEdit::boxChanged);
}

int TTrackEdit::Value() const {
    return m_bar->value();
}

void TTrackEdit::SetValue(int value) {
    m_bar->setValue(value);
}

void TTrackEdit::SetRange(int minimum, int maximum) {
    m_bar->setRange(minimum, maximum);
    writeBox(m_bar->value());
}

void TTrackEdit::SetVisible(bool visible) {
    m_bar->setVisible(visible);
    m_edit->setVisible(visible);
    m_label->setVisible(visible);
}

void TTrackEdit::SetEnabled(bool enabled) {
    m_bar->setEnabled(enabled);
    m_edit->setEnabled(enabled);
    m_label->setEnabled(enabled);
}

void TTrackEdit::writeBox(int position) {
    m_syncing = true;
    m_edit->setText(m_decimal ? DecimalBoxText(position) : QString::number(position));
    m_syncing = false;
}

void TTrackEdit::barMoved(int position) {
    if (!m_syncing)
        writeBox(position);
    emit valueChanged(position);
}

void TTrackEdit::boxChanged(const QString &text) {
    if (m_syncing)
        return;
    const TBoxValue v = m_decimal ? DecimalBoxValue(text, m_bar->minimum(), m_bar->maximum())
                                  : IntegerBoxValue(text, m_bar->minimum(), m_bar->maximum());
    m_syncing = true;
    if (!v.Text.isEmpty() && v.Text != text)
        m_edit->setText(v.Text);
    m_bar->setValue(v.Value);
    m_syncing = false;
}

bool TTrackEdit::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        QApplication::beep();
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const QChar separator = QLocale().decimalPoint().at(0);
    for (QChar c : text)
        if (!(m_decimal ? DecimalBoxAccepts(c, separator) : IntegerBoxAccepts(c, separator))) {
            QApplication::beep();
            return true;
        }
    return false;
}

} // namespace orva::effects
