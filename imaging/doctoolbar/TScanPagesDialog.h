// "Enter # of pages to scan": a whole number of pages from 1 to 999.
#pragma once

#include <QDialog>

class QSpinBox;

namespace orva::imaging {

class TScanPagesDialog : public QDialog {
    Q_OBJECT
public:
    explicit TScanPagesDialog(QWidget *parent = nullptr);
    int Pages() const;
    QSpinBox *PagesBox() const { return m_pages; }

private:
    QSpinBox *m_pages = nullptr;
};

} // namespace orva::imaging
