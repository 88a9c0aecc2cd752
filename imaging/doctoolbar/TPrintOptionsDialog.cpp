// The print options dialog, laid out as it always was: the two choices at the left, OK and Cancel
// beside them.
#include "imaging/doctoolbar/TPrintOptionsDialog.h"

#include "imaging/doctoolbar/DialogButtons.h"

#include <QRadioButton>

namespace orva::imaging {

TPrintOptionsDialog::TPrintOptionsDialog(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Print Options"));
    m_imageSize = new QRadioButton(QStringLiteral("Image Size"), this);
    m_imageSize->setObjectName(QStringLiteral("ImageSize"));
    m_paperSize = new QRadioButton(QStringLiteral("Paper Size"), this);
    m_paperSize->setObjectName(QStringLiteral("PaperSize"));
    const int choiceHeight = m_imageSize->sizeHint().height();
    m_imageSize->setGeometry(10, 15, 90, choiceHeight);
    m_paperSize->setGeometry(10, 15 + choiceHeight + 10, 90, choiceHeight);
    // Fitting the page is what is wanted most; the first choice keeps the focus.
    m_paperSize->setChecked(true);
    PlaceOkCancel(*this, 10 + 90 + 20);
    m_imageSize->setFocus();
}

bool TPrintOptionsDialog::ImageSize() const {
    return m_imageSize->isChecked();
}

} // namespace orva::imaging
