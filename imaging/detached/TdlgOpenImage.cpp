// The image name dialog: a label bound to the edit box, OK and Cancel at the bottom right.
#include "imaging/detached/TdlgOpenImage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orva::imaging {

TdlgOpenImage::TdlgOpenImage(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgOpenImage"));
    setWindowTitle(QStringLiteral("Open Image"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto *label = new QLabel(QStringLiteral("Image Name"), this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtImageName"));
    label->setBuddy(m_name);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    const QSize client(313, 85);
    const QSize button = ok->sizeHint().expandedTo(cancel->sizeHint());
    label->setGeometry(8, 8, label->sizeHint().width(), m_name->sizeHint().height());
    m_name->setGeometry(label->geometry().right() + 9, 8, client.width() - label->geometry().right() - 17,
                        m_name->sizeHint().height());
    cancel->setGeometry(client.width() - 8 - button.width(), client.height() - 8 - button.height(),
                        button.width(), button.height());
    ok->setGeometry(cancel->x() - 8 - button.width(), cancel->y(), button.width(), button.height());
    setFixedSize(client);
    // Centred on the main window: the owner's own owner when it has one.
    QWidget *main = parent ? parent->window() : nullptr;
    if (main && main->parentWidget()) {
        main = main->parentWidget()->window();
    }
    if (main) {
        move(main->geometry().center() - rect().center());
    }
}

} // namespace orva::imaging
