// Panel (and print panel): a frame with a caption drawn in its middle, and a parent for controls.
#pragma once

#include <QFrame>
#include <QImage>

class TPickPanel : public QFrame {
    Q_OBJECT
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
