// The user's boxes answered by the test. What was shown is kept (as "caption|text" and with its
// kind); questions, input boxes and file dialogs take their answers from queues the test fills,
// and an empty queue means the user cancelled.
#pragma once

#include "common/UserMessages.h"

#include <QList>
#include <QStringList>
#include <functional>

class RecordingMessages : public UserMessages {
public:
    struct Box {
        Kind kind;
        QString caption;
        QString text;
    };

    void show(Kind kind, const QString &caption, const QString &text) override {
        boxes.append({kind, caption, text});
        shown.append(caption + "|" + text);
        if (onShow) {
            onShow(kind, caption, text);
        }
    }
    Answer ask(Buttons buttons, const QString &caption, const QString &text) override {
        asked.append(caption + "|" + text);
        askedButtons.append(buttons);
        if (!replies.isEmpty()) {
            return replies.takeFirst();
        }
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    bool inputBox(const QString &caption, const QString &prompt, QString &value) override {
        prompts.append(prompt);
        inputs.append(caption + "|" + prompt);
        if (answers.isEmpty()) {
            return false;
        }
        value = answers.takeFirst();
        return true;
    }
    QString openFileName(const QString &caption, const QString &folder, const QString &filter) override {
        return file(QStringLiteral("open"), caption, folder, filter);
    }
    QString saveFileName(const QString &caption, const QString &folder, const QString &filter) override {
        return file(QStringLiteral("save"), caption, folder, filter);
    }

    QList<Box> boxes;
    QStringList shown; // "caption|text" of every box
    QStringList asked; // "caption|text" of every question
    QList<Buttons> askedButtons;
    QList<Answer> replies;   // answers to questions, in order
    QStringList prompts;     // input-box prompts alone
    QStringList inputs;      // input boxes as "caption|prompt"
    QStringList answers;     // answers to input boxes, in order
    QStringList fileDialogs; // "open|caption|folder|filter" or "save|..."
    QStringList chosenFiles; // answers to file dialogs, in order
    std::function<void(Kind, const QString &, const QString &)> onShow;

private:
    QString file(const QString &which, const QString &caption, const QString &folder, const QString &filter) {
        fileDialogs.append(which + "|" + caption + "|" + folder + "|" + filter);
        return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
    }
};
