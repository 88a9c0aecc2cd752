// Message and input boxes answered by the test: what was shown is kept as "caption|text", and input
// boxes take their answers from a list (none left: cancelled).
#pragma once

#include "app/UserMessages.h"

#include <QStringList>

class RecordingMessages : public UserMessages {
public:
    void error(const QString &caption, const QString &text) override { shown.append(caption + "|" + text); }
    void information(const QString &caption, const QString &text) override {
        shown.append(caption + "|" + text);
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
    QStringList shown;
    QStringList prompts; // the prompts alone
    QStringList inputs;  // "caption|prompt"
    QStringList answers;
};
