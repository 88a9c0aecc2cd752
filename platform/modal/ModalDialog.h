// The one way the program runs a dialog modally. Everything that waits for the user's answer in a
// dialog of its own comes through here, so that a test can answer any of them: by the buttons of
// the box that shows (as the user would), or, where a dialog's answer must reach past its own
// widgets (a print dialog's printer), with a ScopedModalAnswer that stands in for the user.
#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <utility>

// Answers a dialog with its result code, as the user's choice in it would.
using ModalAnswer = std::function<int(QDialog &)>;

namespace modal_detail {
inline ModalAnswer &answer() {
    static ModalAnswer current;
    return current;
}
} // namespace modal_detail

// Runs `dialog` modally and returns its result (QDialog::Accepted, QDialog::Rejected, or the button
// a message box was closed with).
inline int RunModalDialog(QDialog &dialog) {
    const ModalAnswer &answer = modal_detail::answer();
    return answer ? answer(dialog) : dialog.exec();
}

// The same for a dialog the caller owns on the heap. Should its parent go while it runs, the parent
// has deleted it: the caller's pointer lets go of it and the answer is `cancelled`.
template <class Dialog> int RunModalDialog(std::unique_ptr<Dialog> &dialog, int cancelled) {
    const QPointer<Dialog> alive = dialog.get();
    const int result = RunModalDialog(*dialog);
    if (!alive) {
        (void)dialog.release();
        return cancelled;
    }
    return result;
}

// For tests: while it lives, every modal dialog is answered by `answer` instead of being shown.
class ScopedModalAnswer {
public:
    explicit ScopedModalAnswer(ModalAnswer answer)
        : m_previous(std::exchange(modal_detail::answer(), std::move(answer))) {}
    ~ScopedModalAnswer() { modal_detail::answer() = std::move(m_previous); }
    ScopedModalAnswer(const ScopedModalAnswer &) = delete;
    ScopedModalAnswer &operator=(const ScopedModalAnswer &) = delete;

private:
    ModalAnswer m_previous;
};
