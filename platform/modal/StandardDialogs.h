// The standard questions the program puts to the user in a dialog of Qt's own (a colour, a font, a
// line of text, a number, an item of a list, a file name). Each is built here and run through
// RunModalDialog, so that a test answers it as it answers any other dialog; one whose parent goes
// while it runs counts as cancelled.
#pragma once

#include <QColor>
#include <QFileDialog>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The colour chosen, or an invalid colour when the user cancels.
QColor AskColour(QWidget *parent, const QColor &initial);
std::optional<QFont> AskFont(QWidget *parent, const QFont &initial);

enum class TextLines { One, Many };
std::optional<QString> AskText(QWidget *parent, const QString &title, const QString &label,
                               const QString &text, TextLines lines = TextLines::One);
// One of `items`, `current` chosen at first; the user cannot type one of their own.
std::optional<QString> AskItem(QWidget *parent, const QString &title, const QString &label,
                               const QStringList &items, int current);
std::optional<int> AskNumber(QWidget *parent, const QString &title, const QString &label, int value, int min,
                             int max, int step);

// An existing file's name, or a null string when the user cancels. `folder` may name a file, which
// is then chosen at first.
QString AskOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                        const QString &filter);
// The name to save under (by default the user confirms replacing a file that is there), or a null
// string when the user cancels.
QString AskSaveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter,
                        QFileDialog::Options options = {});
