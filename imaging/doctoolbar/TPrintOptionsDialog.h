// "Print Options": print the picture at its own size or at the size of the paper.
#pragma once

#include <QDialog>

class QRadioButton;

namespace orva::imaging {

class TPrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPrintOptionsDialog(QWidget *parent = nullptr);
    bool ImageSize() const;
    QRadioButton *ImageSizeButton() const { return m_imageSize; }
    QRadioButton *PaperSizeButton() const { return m_paperSize; }

private:
    QRadioButton *m_imageSize = nullptr;
    QRadioButton *m_paperSize = nullptr;
};

} // namespace orva::imaging
