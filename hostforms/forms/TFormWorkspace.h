// Form workspace: a top-level window that refuses to close; its close query goes to the host.
#pragma once

#include "hostforms/forms/PositionText.h"

#include <QWidget>
#include <functional>

class TFormWorkspace : public QWidget {
    Q_OBJECT
public:
    explicit TFormWorkspace(QWidget *parent = nullptr);
    std::function<void()> OnCloseQuery;
    PositionText Overlay;

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
