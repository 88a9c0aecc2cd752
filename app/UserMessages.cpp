// Qt message and input boxes.
#include "app/UserMessages.h"

#include <QInputDialog>
#include <QMessageBox>

void DialogMessages::error(const QString &caption, const QString &text) {
    QMessageBox::critical(m_parent, caption, text);
}

void DialogMessages::information(const QString &caption, const QString &text) {
    QMessageBox::information(m_parent, caption, text);
}

bool DialogMessages::inputBox(const QString &caption, const QString &prompt, QString &value) {
    bool ok = false;
    const QString entered = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) {
        value = entered;
    }
    return ok;
}
