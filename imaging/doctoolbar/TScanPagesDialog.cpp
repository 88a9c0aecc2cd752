// The scan page count dialog. A spin box takes only whole numbers in range, so no text can reach the
// scanner as an empty, negative or fractional page count.
#include "imaging/doctoolbar/TScanPagesDialog.h"

#include "imaging/doctoolbar/DialogButtons.h"

#include <QSpinBox>

namespace orva::imaging {

TScanPagesDialog::TScanPagesDialog(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter # of pages to scan"));
    m_pages = new QSpinBox(this);
    m_pages->setObjectName(QStringLiteral("PageCount"));
    m_pages->setRange(1, 999);
    m_pages->setValue(50);
    const int height = PlaceOkCancel(*this, 10 + 60 + 20);
    const int boxHeight = m_pages->sizeHint().height();
    m_pages->setGeometry(10, (height - boxHeight) / 2, 60, boxHeight);
    m_pages->setFocus();
}

int TScanPagesDialog::Pages() const {
    return m_pages->value();
}

} // namespace orva::imaging
