// The standard question dialogs answered the way tests answer every dialog: what each returns when
// the user accepts or cancels, and a parent that goes while its dialog is up.
#include "platform/modal/StandardDialogs.h"
#include "platform/modal/ModalDialog.h"

#include <QColorDialog>
#include <QFile>
#include <QFontDialog>
#include <QInputDialog>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Answers every dialog of type D with `result` after `fill` has set it as the user would.
template <class D> ScopedModalAnswer answerWith(int result, std::function<void(D &)> fill = {}) {
    return ScopedModalAnswer([result, fill](QDialog &dialog) -> int {
        auto *d = qobject_cast<D *>(&dialog);
        if (!d)
            return -1;
        if (fill)
            fill(*d);
        return result;
    });
}

} // namespace

TEST(StandardDialogs, AcceptedGiveTheUsersChoice) {
    QWidget parent;
    {
        const auto user =
            answerWith<QColorDialog>(QDialog::Accepted, [](QColorDialog &d) { d.setCurrentColor(Qt::red); });
        EXPECT_EQ(AskColour(&parent, Qt::blue), QColor(Qt::red));
    }
    {
        const auto user = answerWith<QFontDialog>(QDialog::Accepted, [](QFontDialog &d) {
            EXPECT_EQ(d.currentFont().pointSize(), 9);
            d.setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 17));
        });
        const std::optional<QFont> font = AskFont(&parent, QFont(QStringLiteral("DejaVu Sans"), 9));
        ASSERT_TRUE(font);
        EXPECT_EQ(font->pointSize(), 17);
    }
    {
        const auto user = answerWith<QInputDialog>(QDialog::Accepted, [](QInputDialog &d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Tabs"));
            EXPECT_EQ(d.labelText(), QStringLiteral("Stops:"));
            EXPECT_EQ(d.textValue(), QStringLiteral("1 2"));
            d.setTextValue(QStringLiteral("3 4"));
        });
        EXPECT_EQ(AskText(&parent, QStringLiteral("Tabs"), QStringLiteral("Stops:"), QStringLiteral("1 2")),
                  QStringLiteral("3 4"));
    }
    {
        const auto user = answerWith<QInputDialog>(QDialog::Accepted, [](QInputDialog &d) {
            EXPECT_TRUE(d.testOption(QInputDialog::UsePlainTextEditForTextInput));
            d.setTextValue(QStringLiteral("line one\nline two"));
        });
        EXPECT_EQ(
            AskText(&parent, QStringLiteral("Note"), QStringLiteral("Text:"), QString(), TextLines::Many),
            QStringLiteral("line one\nline two"));
    }
    {
        // The item asked for is the one offered first; an accepted dialog returns the one in hand.
        QString offered;
        const auto user = answerWith<QInputDialog>(QDialog::Accepted, [&](QInputDialog &d) {
            offered = d.textValue();
            EXPECT_FALSE(d.isComboBoxEditable());
        });
        const QStringList items{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        EXPECT_EQ(AskItem(&parent, QStringLiteral("Pick"), QStringLiteral("Item:"), items, 1),
                  QStringLiteral("b"));
        EXPECT_EQ(offered, QStringLiteral("b"));
    }
    {
        // Kept within its range as the spin box keeps it.
        const auto user =
            answerWith<QInputDialog>(QDialog::Accepted, [](QInputDialog &d) { d.setIntValue(300); });
        EXPECT_EQ(AskNumber(&parent, QStringLiteral("Border"), QStringLiteral("Width:"), 5, 0, 255, 5), 255);
    }
}

TEST(StandardDialogs, FileNames) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("orva.inf"));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    QWidget parent;
    {
        // A folder that names a file offers that file.
        const auto user = answerWith<QFileDialog>(QDialog::Accepted, [](QFileDialog &d) {
            EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        });
        EXPECT_EQ(AskOpenFileName(&parent, QStringLiteral("Load"), file, QStringLiteral("Setup (*.inf)")),
                  file);
    }
    for (const bool confirm : {true, false}) {
        const auto user = answerWith<QFileDialog>(QDialog::Accepted, [&](QFileDialog &d) {
            EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(d.testOption(QFileDialog::DontConfirmOverwrite), !confirm);
            d.selectFile(QStringLiteral("new.txt"));
        });
        const QString name =
            AskSaveFileName(&parent, QStringLiteral("Save"), dir.path(), QString(),
                            confirm ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
        EXPECT_EQ(name, dir.filePath(QStringLiteral("new.txt")));
    }
}

TEST(StandardDialogs, CancelledGiveNothing) {
    QWidget parent;
    const ScopedModalAnswer user([](QDialog &) { return int(QDialog::Rejected); });
    EXPECT_FALSE(AskColour(&parent, Qt::blue).isValid());
    EXPECT_FALSE(AskFont(&parent, QFont()));
    EXPECT_FALSE(AskText(&parent, QStringLiteral("T"), QStringLiteral("L"), QStringLiteral("kept")));
    EXPECT_FALSE(AskItem(&parent, QStringLiteral("T"), QStringLiteral("L"), {QStringLiteral("a")}, 0));
    EXPECT_FALSE(AskNumber(&parent, QStringLiteral("T"), QStringLiteral("L"), 1, 0, 9, 1));
    EXPECT_TRUE(AskOpenFileName(&parent, QStringLiteral("T"), QString(), QString()).isNull());
    EXPECT_TRUE(AskSaveFileName(&parent, QStringLiteral("T"), QString(), QString()).isNull());
}

// The parent (and with it the dialog) is deleted while the dialog is up: the answer is "cancelled",
// and nothing is read from the deleted dialog.
TEST(StandardDialogs, ParentGoneWhileAskingCancels) {
    QWidget *parent = nullptr;
    const ScopedModalAnswer user([&](QDialog &) {
        delete parent;
        return int(QDialog::Accepted);
    });
    parent = new QWidget;
    EXPECT_FALSE(AskColour(parent, Qt::blue).isValid());
    parent = new QWidget;
    EXPECT_FALSE(AskText(parent, QStringLiteral("T"), QStringLiteral("L"), QStringLiteral("x")));
    parent = new QWidget;
    EXPECT_TRUE(AskSaveFileName(parent, QStringLiteral("T"), QString(), QString()).isNull());
}
