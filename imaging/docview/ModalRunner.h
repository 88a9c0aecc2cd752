// Modal dialogs of the imaging windows run through one seam, so that a test can answer them the way
// a user would (filling their fields and pressing OK) instead of blocking in exec().
#pragma once

#include <QDialog>

#include <functional>

namespace orva::imaging {

// Answers a dialog with its result code (QDialog::Accepted, QDialog::Rejected, or a button).
using TModalRunner = std::function<int(QDialog &)>;

inline int RunModal(QDialog &dialog, const TModalRunner &runner) {
    return runner ? runner(dialog) : dialog.exec();
}

} // namespace orva::imaging
