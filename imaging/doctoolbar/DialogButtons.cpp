// OK and Cancel of the toolbar's small dialogs.
#include "imaging/doctoolbar/DialogButtons.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace orva::imaging {

int PlaceOkCancel(QDialog &dialog, int left) {
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("Cancel"));
    const QSize button = ok->sizeHint().expandedTo(cancel->sizeHint());
    ok->setGeometry(left, 5, button.width(), button.height());
    cancel->setGeometry(left, ok->geometry().bottom() + 1 + 10, button.width(), button.height());
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    const int height = std::max(100, cancel->geometry().bottom() + 1 + 10);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setFixedSize(cancel->geometry().right() + 1 + 15, height);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    }
    return height;
}

} // namespace orva::imaging
