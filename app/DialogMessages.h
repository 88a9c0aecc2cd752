// The user's boxes and dialogs as Qt shows them, parented to the main window. Caption, text and
// prompt are always plain text: they often carry host or file text.
#pragma once

#include "common/UserMessages.h"

#include <QPointer>
#include <memory>

class QInputDialog;
class QMessageBox;
class QWidget;

class DialogMessages : public UserMessages {
public:
    explicit DialogMessages(QWidget *parent) : m_parent(parent) {}

    void show(Kind kind, const QString &caption, const QString &text) override;
    Answer ask(Buttons buttons, const QString &caption, const QString &text) override;
    bool inputBox(const QString &caption, const QString &prompt, QString &value) override;
    QString openFileName(const QString &caption, const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &folder, const QString &filter) override;
    QString saveFileNameNoOverwriteCheck(const QString &caption, const QString &folder,
                                         const QString &filter) override;

    // The boxes as they are built, before they are run (tests look at them).
    static std::unique_ptr<QMessageBox> messageBox(Kind kind, const QString &caption, const QString &text,
                                                   QWidget *parent);
    static std::unique_ptr<QMessageBox> questionBox(Buttons buttons, const QString &caption,
                                                    const QString &text, QWidget *parent);
    static std::unique_ptr<QInputDialog> inputDialog(const QString &caption, const QString &prompt,
                                                     const QString &value, QWidget *parent);

private:
    QPointer<QWidget> m_parent;
};
