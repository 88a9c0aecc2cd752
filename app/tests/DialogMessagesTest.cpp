// The real boxes show host text as plain text, and questions offer the buttons asked for with the
// answer a closed box gives.
#include "app/DialogMessages.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class DialogMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void hostTextIsNeverRichText() {
        const QString hostText = QStringLiteral("<img src=\"/etc/passwd\"><b>bold</b>");
        for (UserMessages::Kind kind :
             {UserMessages::Kind::Information, UserMessages::Kind::Warning, UserMessages::Kind::Error}) {
            const auto box = DialogMessages::messageBox(kind, QStringLiteral("Cap"), hostText, nullptr);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->text(), hostText);
        }
        const auto question = DialogMessages::questionBox(UserMessages::Buttons::YesNo, QStringLiteral("Cap"),
                                                          hostText, nullptr);
        QCOMPARE(question->textFormat(), Qt::PlainText);
        const auto input =
            DialogMessages::inputDialog(QStringLiteral("Cap"), hostText, QStringLiteral("v"), nullptr);
        const QList<QLabel *> labels = input->findChildren<QLabel *>();
        QVERIFY(!labels.isEmpty());
        for (const QLabel *label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        QCOMPARE(input->labelText(), hostText);
        QCOMPARE(input->textValue(), QStringLiteral("v"));
    }

    void questionButtonsAndEscape() {
        const struct {
            UserMessages::Buttons buttons;
            QMessageBox::StandardButtons shown;
            QMessageBox::StandardButton escape;
            QMessageBox::StandardButton byDefault;
            QMessageBox::Icon icon;
        } cases[] = {
            {UserMessages::Buttons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
             QMessageBox::Yes, QMessageBox::Question},
            {UserMessages::Buttons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
             QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::Question},
            {UserMessages::Buttons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
             QMessageBox::Ok, QMessageBox::Critical},
            {UserMessages::Buttons::ConfirmOkCancel, QMessageBox::Ok | QMessageBox::Cancel,
             QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Question},
        };
        for (const auto &c : cases) {
            const auto box =
                DialogMessages::questionBox(c.buttons, QStringLiteral("Not Saved!"),
                                            QStringLiteral("Do you want to abandon changes?"), nullptr);
            QCOMPARE(box->standardButtons(), c.shown);
            QCOMPARE(box->escapeButton(), box->button(c.escape));
            QCOMPARE(box->defaultButton(), box->button(c.byDefault));
            QCOMPARE(box->icon(), c.icon);
        }
    }
};

QTEST_MAIN(DialogMessagesTest)
#include "DialogMessagesTest.moc"
