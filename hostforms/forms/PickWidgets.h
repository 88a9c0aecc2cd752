// The host controls Qt has no counterpart for: the scroll-box and form workspaces, the labeled
// edit (an edit with a sibling label that follows it), a label and a form that draw text at a
// position, the image, the free-standing splitter bar, the captioned panel and the bevel.
#pragma once

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>
#include <functional>

// Text drawn at a position on a control's canvas (field 25).
struct PositionText {
    bool has = false;
    QPoint pos;
    QString text;
    QFont font;
    QColor colour = Qt::black;
};

// Scroll-box workspace: the scroll range grows to hold every child.
class TScrollWorkspace : public QScrollArea {
public:
    explicit TScrollWorkspace(QWidget *parent = nullptr);
    QWidget *content() const { return m_content; }
    // Content size = the viewport, or more when children reach beyond it.
    void updateExtent();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_content;
};

// Form workspace: a top-level window that refuses to close; its close query goes to the host.
class TFormWorkspace : public QWidget {
public:
    explicit TFormWorkspace(QWidget *parent = nullptr);
    std::function<void()> OnCloseQuery;
    PositionText Overlay;

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// Labeled edit: the label sits outside the edit (above, below, left or right, `LabelSpacing`
// away) as a sibling, and follows the edit's moves, parent, visibility and deletion.
class TLabeledEdit : public QLineEdit {
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

// Label with an optional text at a position; transparent unless a colour is given.
class TPickLabel : public QLabel {
public:
    explicit TPickLabel(QWidget *parent = nullptr);
    PositionText Overlay;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Image: a picture, stretched or not; text written into it stays.
class TPickImage : public QWidget {
public:
    explicit TPickImage(QWidget *parent = nullptr);
    void setPicture(const QImage &image);
    const QImage &picture() const { return m_image; }
    void setStretch(bool on);
    bool stretch() const { return m_stretch; }
    // Draws text into the picture (a canvas of the control's size when there is none).
    bool drawText(const QPoint &at, const QString &text, const QFont &font);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    bool m_stretch = false;
};

// Free-standing splitter bar: dragging it resizes the sibling aligned next to it.
class TSplitterBar : public QWidget {
public:
    explicit TSplitterBar(QWidget *parent = nullptr);
    // The sibling that shares the bar's alignment and lies just before it.
    QWidget *target() const;
    // Moves the bar by `delta` pixels along its axis (the target grows or shrinks).
    void dragBy(int delta);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool vertical() const;
    QPoint m_pressed;
};

// Panel (and print panel): a frame with a caption drawn in its middle, and a parent for controls.
class TPickPanel : public QFrame {
public:
    explicit TPickPanel(QWidget *parent = nullptr);
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }
    void setCaptionAlignment(Qt::Alignment a);
    // The panel as a picture (used as the header or footer image of a result print).
    QImage renderImage();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

// Bevel: box, frame, top/bottom/left/right line or an invisible spacer.
class TBevel : public QWidget {
public:
    explicit TBevel(QWidget *parent = nullptr);
    void setShape(int shape);
    int shape() const { return m_shape; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_shape = 0;
};
