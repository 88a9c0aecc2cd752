// Message boxes and input boxes of the main window, behind an interface so that tests can answer them.
#pragma once

#include <QString>

class QWidget;

class UserMessages {
public:
    virtual ~UserMessages() = default;
    virtual void error(const QString &caption, const QString &text) = 0;
    virtual void information(const QString &caption, const QString &text) = 0;
    // Returns false when the user cancels; `value` holds the initial and the entered text.
    virtual bool inputBox(const QString &caption, const QString &prompt, QString &value) = 0;
};

// The real boxes, parented to a window.
class DialogMessages : public UserMessages {
public:
    explicit DialogMessages(QWidget *parent) : m_parent(parent) {}
    void error(const QString &caption, const QString &text) override;
    void information(const QString &caption, const QString &text) override;
    bool inputBox(const QString &caption, const QString &prompt, QString &value) override;

private:
    QWidget *m_parent;
};
