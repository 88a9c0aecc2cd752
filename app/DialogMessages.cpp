// Qt message boxes, input box and file dialogs, each run modally.
#include "app/DialogMessages.h"

#include "platform/modal/ModalDialog.h"
#include "platform/modal/StandardDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {

QMessageBox::Icon iconOf(UserMessages::Kind kind) {
    switch (kind) {
    case UserMessages::Kind::Error:
        return QMessageBox::Critical;
    case UserMessages::Kind::Warning:
        return QMessageBox::Warning;
    case UserMessages::Kind::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

std::unique_ptr<QMessageBox> DialogMessages::messageBox(Kind kind, const QString &caption,
                                                        const QString &text, QWidget *parent) {
    auto box = std::make_unique<QMessageBox>(iconOf(kind), caption, text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    return box;
}

std::unique_ptr<QMessageBox> DialogMessages::questionBox(Buttons buttons, const QString &caption,
                                                         const QString &text, QWidget *parent) {
    if (buttons == Buttons::OkCancel || buttons == Buttons::ConfirmOkCancel) {
        const QMessageBox::Icon icon =
            buttons == Buttons::OkCancel ? QMessageBox::Critical : QMessageBox::Question;
        auto box =
            std::make_unique<QMessageBox>(icon, caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
        box->setTextFormat(Qt::PlainText);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Cancel);
        return box;
    }
    const bool withCancel = buttons == Buttons::YesNoCancel;
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Question, caption, text,
                                      withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                                 : QMessageBox::Yes | QMessageBox::No,
                                      parent);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    return box;
}

std::unique_ptr<QInputDialog> DialogMessages::inputDialog(const QString &caption, const QString &prompt,
                                                          const QString &value, QWidget *parent) {
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(caption);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setLabelText(prompt);
    dialog->setTextValue(value);
    // QInputDialog has no text format of its own; its label would take a prompt that looks like
    // markup as rich text.
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        label->setTextFormat(Qt::PlainText);
    }
    return dialog;
}

void DialogMessages::show(Kind kind, const QString &caption, const QString &text) {
    std::unique_ptr<QMessageBox> box = messageBox(kind, caption, text, m_parent);
    RunModalDialog(box, QMessageBox::Ok);
}

UserMessages::Answer DialogMessages::ask(Buttons buttons, const QString &caption, const QString &text) {
    std::unique_ptr<QMessageBox> box = questionBox(buttons, caption, text, m_parent);
    switch (RunModalDialog(box, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        break;
    }
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

bool DialogMessages::inputBox(const QString &caption, const QString &prompt, QString &value) {
    std::unique_ptr<QInputDialog> dialog = inputDialog(caption, prompt, value, m_parent);
    if (RunModalDialog(dialog, QDialog::Rejected) != QDialog::Accepted) {
        return false;
    }
    value = dialog->textValue();
    return true;
}

QString DialogMessages::openFileName(const QString &caption, const QString &folder, const QString &filter) {
    return AskOpenFileName(m_parent, caption, folder, filter);
}

QString DialogMessages::saveFileName(const QString &caption, const QString &folder, const QString &filter) {
    return AskSaveFileName(m_parent, caption, folder, filter);
}

QString DialogMessages::saveFileNameNoOverwriteCheck(const QString &caption, const QString &folder,
                                                     const QString &filter) {
    return AskSaveFileName(m_parent, caption, folder, filter, QFileDialog::DontConfirmOverwrite);
}
