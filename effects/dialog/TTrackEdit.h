// TTrackEdit: a track bar with the edit box beside it that mirrors it. The box takes only the keys
// of a number (others beep), is clamped to the bar's range as it changes and moves the bar; moving
// the bar writes the box. A decimal box shows the position in tenths ("45.00" for 450).
#pragma once

#include <QObject>

class QLabel;
class QLineEdit;
class QSlider;
class QWidget;

namespace orva::effects {

class TTrackEdit : public QObject {
    Q_OBJECT
public:
    TTrackEdit(QWidget *parent, const QString &barName, const QString &editName, const QString &label,
               int minimum, int maximum, int value, bool decimal);

    QSlider *Bar() const { return m_bar; }
    QLineEdit *Edit() const { return m_edit; }
    QLabel *Label() const { return m_label; }
    int Value() const;
    void SetValue(int value);
    // A new range keeps the position where it still fits.
    void SetRange(int minimum, int maximum);
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);

signals:
    void valueChanged(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void barMoved(int position);
    void boxChanged(const QString &text);
    void writeBox(int position);

    QSlider *m_bar;
    QLineEdit *m_edit;
    QLabel *m_label;
    bool m_decimal;
    bool m_syncing = false;
};

} // namespace orva::effects
