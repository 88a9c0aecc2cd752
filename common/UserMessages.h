// The boxes and dialogs the program puts in front of the user (message boxes, questions, the input
// box, the open and save dialogs), behind one interface so that tests answer them. Every
// implementation shows caption and text as plain text: they often carry host or file text.
#pragma once

#include <QString>

class UserMessages {
public:
    enum class Kind { Information, Warning, Error };
    // OkCancel is an error the user acknowledges (OK) or dismisses (Cancel), shown as an error;
    // ConfirmOkCancel asks before an action, which OK lets go ahead.
    enum class Buttons { YesNo, YesNoCancel, OkCancel, ConfirmOkCancel };
    enum class Answer { Yes, No, Cancel, Ok };

    virtual ~UserMessages() = default;

    // A box with an OK button.
    virtual void show(Kind kind, const QString &caption, const QString &text) = 0;
    // A question. Closing the box without a choice answers No (YesNo) or Cancel (the others).
    virtual Answer ask(Buttons buttons, const QString &caption, const QString &text) = 0;
    // False when the user cancels; `value` holds the initial and then the entered text.
    virtual bool inputBox(const QString &caption, const QString &prompt, QString &value) = 0;
    // The file chosen to open, or to save under; empty when the user cancels. `folder` is where the
    // dialog starts (a folder or a file name in it); `filter` is in Qt's form ("Text (*.txt)").
    virtual QString openFileName(const QString &caption, const QString &folder, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &folder, const QString &filter) = 0;
    // A save dialog that leaves an existing file to the caller, who asks its own question about it.
    virtual QString saveFileNameNoOverwriteCheck(const QString &caption, const QString &folder,
                                                 const QString &filter) {
        return saveFileName(caption, folder, filter);
    }

    void error(const QString &caption, const QString &text) { show(Kind::Error, caption, text); }
    void warning(const QString &caption, const QString &text) { show(Kind::Warning, caption, text); }
    void information(const QString &caption, const QString &text) { show(Kind::Information, caption, text); }
    bool yesNo(const QString &caption, const QString &text) {
        return ask(Buttons::YesNo, caption, text) == Answer::Yes;
    }
    Answer yesNoCancel(const QString &caption, const QString &text) {
        return ask(Buttons::YesNoCancel, caption, text);
    }
};
