// "Open Image": asks for the name of an image (a request number, or several with a comma after
// each) to show in the detached image window.
#pragma once

#include <QDialog>

class QLineEdit;

namespace orva::imaging {

class TdlgOpenImage : public QDialog {
    Q_OBJECT
public:
    explicit TdlgOpenImage(QWidget *parent = nullptr);
    QLineEdit *txtImageName() const { return m_name; }

private:
    QLineEdit *m_name = nullptr;
};

} // namespace orva::imaging
