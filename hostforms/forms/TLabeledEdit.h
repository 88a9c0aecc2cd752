// Labeled edit: the label sits outside the edit (above, below, left or right, `LabelSpacing`
// away) as a sibling, and follows the edit's moves, parent, visibility and deletion.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    enum Position { Above, Below, Left, Right };
    explicit TLabeledEdit(QWidget *parent = nullptr);
    ~TLabeledEdit() override;
    QLabel *EditLabel() const { return m_label; }
    void setLabelPosition(int position);
    int LabelPosition() const { return m_position; }
    int LabelSpacing = 3;
    void placeLabel();

protected:
    bool event(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QLabel> m_label;
    int m_position = Left;
};
