// Image: a picture, stretched or not; text written into it stays.
#pragma once

#include <QImage>
#include <QWidget>

class TPickImage : public QWidget {
    Q_OBJECT
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
