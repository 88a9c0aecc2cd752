// Panel (and print panel): a frame with a caption drawn in its middle, and a parent for controls.
#pragma once

#include <QFrame>
#include <QImage>

class QPainter;

class TPickPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPickPanel(QWidget *parent = nullptr);
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }
    void setCaptionAlignment(Qt::Alignment a);
    // The panel as a picture (used as the header or footer image of a result print).
    QImage renderImage();
    // Draws the panel (background, border, caption, then its controls) on any painter at the
    // painter's current origin; text stays text on a printer.
    void printOn(QPainter &p);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};
