// The button bar, ruler and status bar: plain widgets that follow a TWpTextControl's caret
// and act on it.
#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QFontComboBox;
class QLabel;
class QToolButton;

namespace orva::richtext {

class TWpTextControl;

class TWpButtonBar : public QWidget {
    Q_OBJECT
public:
    explicit TWpButtonBar(QWidget *parent = nullptr);
    void attach(TWpTextControl *control);
    void refresh();

    QToolButton *button(const QString &name) const;

private:
    QToolButton *addButton(const QString &name, const QString &text, bool checkable);

    QPointer<TWpTextControl> m_control;
    QFontComboBox *m_font = nullptr;
    QComboBox *m_size = nullptr;
    bool m_refreshing = false;
};

// Shows the page width, the caret paragraph's indents and tab stops in centimetres. Dragging a
// marker moves the indent; a click on the scale sets a tab stop there; a double click removes it.
class TWpRuler : public QWidget {
    Q_OBJECT
public:
    explicit TWpRuler(QWidget *parent = nullptr);
    void attach(TWpTextControl *control);
    QSize sizeHint() const override { return {400, 24}; }

    // Conversions between the ruler's pixels and twips from the left margin.
    int twipsAt(int x) const;
    int xAt(int twips) const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    enum class Drag { None, Left, First, Right };
    QPointer<TWpTextControl> m_control;
    Drag m_drag = Drag::None;
};

class TWpStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TWpStatusBar(QWidget *parent = nullptr);
    void attach(TWpTextControl *control);
    void refresh();

    int PageMode() const { return m_pageMode; }
    void setPageMode(int mode);

    QString pageText() const;
    QString modeText() const;

private:
    QPointer<TWpTextControl> m_control;
    QLabel *m_page = nullptr;
    QLabel *m_mode = nullptr;
    int m_pageMode = 1;
};

} // namespace orva::richtext
