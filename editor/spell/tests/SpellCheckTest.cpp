// The spelling check: Soundex and the case rule, the walk with its duplicates and automatic
// corrections over the en_GB dictionary, suggestions, Add writing the custom word list, and the
// dialog's buttons.
#include "common/testing/RecordingMessages.h"
#include "editor/spell/TSpellForm.h"
#include "testsupport/UserDriver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kDictionary = QStringLiteral("/usr/share/hunspell/en_GB");

void write(const QString &path, const QByteArray &data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
} // namespace

class SpellCheckTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString customPath() const { return m_dir.filePath("Custom.dic"); }

private slots:
    void soundexAndCase() {
        const struct {
            const char *word, *code;
        } codes[] = {{"Robert", "R163"},  {"Rupert", "R163"},  {"Ruperd", "R163"}, {"Ashcraft", "A261"},
                     {"Tymczak", "T522"}, {"Pfister", "P236"}, {"a", "A000"},      {"", ""}};
        for (const auto &c : codes)
            QCOMPARE(Soundex(QString::fromLatin1(c.word)), QString::fromLatin1(c.code));
        QCOMPARE(WithCaseOf("HELO", "hello"), QStringLiteral("HELLO"));
        QCOMPARE(WithCaseOf("Helo", "hello"), QStringLiteral("Hello"));
        QCOMPARE(WithCaseOf("helo", "hello"), QStringLiteral("hello"));
    }

    void walkStopsAtEachError() {
        write(customPath(), "Rupert\n");
        write(m_dir.filePath("autocorrect.txt"), "teh=the\nrecieve=receive\n");
        TSpellChecker checker;
        QVERIFY(checker.Open(kDictionary, customPath()));
        QString doc = QStringLiteral("Teh cat sat the the mat. TEH don't recieve Ruperd and wrnog");
        TSpellSession s(checker, doc, 0, [&](int start, int length, const QString &text) {
            doc.replace(start, length, text);
        });
        // "Teh" is corrected at once, keeping its capital; then "the the" is a duplicate.
        QCOMPARE(s.Next(), TSpellSession::Duplicate);
        QCOMPARE(s.Word, QStringLiteral("the"));
        QCOMPARE(doc.left(19), QStringLiteral("The cat sat the the"));
        s.DeleteSecond();
        QCOMPARE(doc.left(20), QStringLiteral("The cat sat the mat."));
        // "TEH" in capitals comes out in capitals; "don't" is "don" and "t"; "Robert" is unknown.
        QCOMPARE(s.Next(), TSpellSession::NotFound);
        QCOMPARE(s.Word, QStringLiteral("Ruperd"));
        QVERIFY(doc.contains(QStringLiteral("THE don't receive Ruperd")));
        QCOMPARE(s.Suggestions(s.Word).value(0), QStringLiteral("Rupert"));
        QCOMPARE(s.Next(), TSpellSession::NotFound);
        QCOMPARE(s.Word, QStringLiteral("wrnog"));
        QVERIFY(s.Suggestions(s.Word).contains(QStringLiteral("wrong")));
        s.Change(QStringLiteral("wrong"));
        QVERIFY(doc.endsWith(QStringLiteral("and wrong")));
        QCOMPARE(s.Next(), TSpellSession::Finished);
        QVERIFY(s.ErrorsFound);
    }

    void contextNearTheStart() {
        TSpellChecker checker;
        QVERIFY(checker.Open(kDictionary, QString()));
        TSpellSession s(checker, QStringLiteral("An xqzt\r\nword"), 0, {});
        QCOMPARE(s.Next(), TSpellSession::NotFound);
        QCOMPARE(s.WordStart, 3);
        QCOMPARE(s.Context(), QStringLiteral("...An xqzt..word"));
    }

    void selfCorrectionDoesNotLoop() {
        write(m_dir.filePath("autocorrect.txt"), "zzqx=zzqx\n");
        TSpellChecker checker;
        QVERIFY(checker.Open(kDictionary, customPath()));
        TSpellSession s(checker, QStringLiteral("zzqx zzqx"), 0, {});
        QCOMPARE(s.Next(), TSpellSession::Duplicate);
        QCOMPARE(s.Next(), TSpellSession::Finished);
        QFile::remove(m_dir.filePath("autocorrect.txt"));
    }

    void dialogButtons() {
        QFile::remove(customPath());
        RecordingMessages shown;
        TSpellForm form(kDictionary, m_dir.filePath("new/Custom.dic"), shown);
        QString doc = QStringLiteral("Pathology of the colonn shows Xyzzyq and Xyzzyq.");
        auto replace = [&](int start, int length, const QString &text) { doc.replace(start, length, text); };
        QVERIFY(form.Start(doc, 0, replace));
        QCOMPARE(child<QLineEdit>(&form, "WordEdit")->text(), QStringLiteral("colonn"));
        QCOMPARE(child<QLabel>(&form, "Prompt")->text(), QStringLiteral("Not found:"));
        QVERIFY(child<QListWidget>(&form, "SuggestionList")->count() > 0);
        child<QLineEdit>(&form, "Changetoedit")->setText(QStringLiteral("colon"));
        QTest::mouseClick(child<QPushButton>(&form, "ChangeButton"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(&form, "WordEdit")->text(), QStringLiteral("Xyzzyq"));
        // Add writes the custom list (made on the first Add) and the second one is known.
        QTest::mouseClick(child<QPushButton>(&form, "AddButton"), Qt::LeftButton);
        QCOMPARE(QFile(m_dir.filePath("new/Custom.dic")).exists(), true);
        QFile dic(m_dir.filePath("new/Custom.dic"));
        QVERIFY(dic.open(QIODevice::ReadOnly));
        QCOMPARE(dic.readAll(), QByteArray("Xyzzyq\n"));
        QCOMPARE(doc, QStringLiteral("Pathology of the colon shows Xyzzyq and Xyzzyq."));
        QCOMPARE(shown.shown, QStringList{QStringLiteral("Spelling Check|Spelling Check complete.\r\n")});

        // A text without errors never needs the dialog.
        shown.shown.clear();
        QVERIFY(!form.Start(QStringLiteral("No errors here."), 0, {}));
        QCOMPARE(shown.shown, QStringList{QStringLiteral(
                                  "Spelling Check|Spelling Check complete.\r\nNo errors detected.")});

        // A duplicate offers only "Delete 2nd".
        QVERIFY(form.Start(QStringLiteral("the the"), 0, {}));
        QCOMPARE(child<QPushButton>(&form, "ChangeButton")->text(), QStringLiteral("Delete 2nd"));
        QCOMPARE(child<QLabel>(&form, "Prompt")->text(), QStringLiteral("Duplicate word:"));
        QVERIFY(!child<QPushButton>(&form, "AddButton")->isEnabled());
        QTest::mouseClick(child<QPushButton>(&form, "CloseButton"), Qt::LeftButton);

        // No dictionary: a clear message, no check.
        TSpellForm missing(m_dir.filePath("none"), QString(), shown);
        QVERIFY(!missing.Start(QStringLiteral("text"), 0, {}));
        QCOMPARE(shown.shown.last(), QStringLiteral("Dictionary error|The Dictionaries did not load."));
    }
};

QTEST_MAIN(SpellCheckTest)
#include "SpellCheckTest.moc"
