// The standard question dialogs, each run through the one modal path.
#include "platform/modal/StandardDialogs.h"
#include "platform/modal/ModalDialog.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QInputDialog>

#include <memory>

namespace {

// Runs the dialog; true when the user accepted it and it is still there to be read.
template <class Dialog> bool accepted(std::unique_ptr<Dialog> &dialog) {
    return RunModalDialog(dialog, QDialog::Rejected) == QDialog::Accepted;
}

std::unique_ptr<QInputDialog> inputDialog(QWidget *parent, const QString &title, const QString &label) {
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    return dialog;
}

QString fileName(std::unique_ptr<QFileDialog> &dialog) {
    return accepted(dialog) ? dialog->selectedFiles().value(0) : QString();
}

} // namespace

QColor AskColour(QWidget *parent, const QColor &initial) {
    auto dialog = std::make_unique<QColorDialog>(parent);
    dialog->setCurrentColor(initial);
    // The colour in hand: the one the user accepted, also when a test answers without the dialog's own
    // buttons.
    return accepted(dialog) ? dialog->currentColor() : QColor();
}

std::optional<QFont> AskFont(QWidget *parent, const QFont &initial) {
    auto dialog = std::make_unique<QFontDialog>(initial, parent);
    if (!accepted(dialog)) {
        return std::nullopt;
    }
    return dialog->currentFont();
}

std::optional<QString> AskText(QWidget *parent, const QString &title, const QString &label,
                               const QString &text, TextLines lines) {
    auto dialog = inputDialog(parent, title, label);
    if (lines == TextLines::Many) {
        dialog->setOption(QInputDialog::UsePlainTextEditForTextInput);
    }
    dialog->setTextValue(text);
    if (!accepted(dialog)) {
        return std::nullopt;
    }
    return dialog->textValue();
}

std::optional<QString> AskItem(QWidget *parent, const QString &title, const QString &label,
                               const QStringList &items, int current) {
    auto dialog = inputDialog(parent, title, label);
    dialog->setComboBoxItems(items);
    dialog->setComboBoxEditable(false);
    dialog->setTextValue(items.value(current));
    if (!accepted(dialog)) {
        return std::nullopt;
    }
    return dialog->textValue();
}

std::optional<int> AskNumber(QWidget *parent, const QString &title, const QString &label, int value, int min,
                             int max, int step) {
    auto dialog = inputDialog(parent, title, label);
    dialog->setInputMode(QInputDialog::IntInput);
    dialog->setIntRange(min, max);
    dialog->setIntValue(value);
    dialog->setIntStep(step);
    if (!accepted(dialog)) {
        return std::nullopt;
    }
    return dialog->intValue();
}

QString AskOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                        const QString &filter) {
    auto dialog = std::make_unique<QFileDialog>(parent, caption, folder, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return fileName(dialog);
}

QString AskSaveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter,
                        QFileDialog::Options options) {
    auto dialog = std::make_unique<QFileDialog>(parent, caption, folder, filter);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOptions(options);
    return fileName(dialog);
}
