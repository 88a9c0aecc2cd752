// Scroll-box workspace: the scroll range grows to hold every child.
#pragma once

#include <QScrollArea>

class TScrollWorkspace : public QScrollArea {
    Q_OBJECT
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
