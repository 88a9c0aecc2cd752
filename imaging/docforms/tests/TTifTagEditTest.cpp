// The TIFF tag editor offscreen: which box a tag gets, the key and range rules, the modified mark,
// and EditTags writing on OK and nothing on Cancel.
#include "imaging/docforms/TTifTagEdit.h"
#include "imaging/docforms/ScanDialogs.h"
#include "testsupport/UserDriver.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orva::imaging;

namespace {

TTiffTagRecord record(std::uint16_t tag, std::uint16_t type, std::int32_t value, bool readOnly,
                      const QByteArray &text = {}) {
    TTiffTagRecord r;
    r.Tag = tag;
    r.Name = TiffTagName(tag);
    r.FieldType = type;
    r.Count = type == 2 ? static_cast<std::uint32_t>(text.size() + 1) : 1;
    r.Length = static_cast<std::uint16_t>(type == 2 ? text.size() + 1 : 4);
    r.Value = value;
    r.Text = text;
    r.ReadOnly = readOnly;
    r.Page = 2;
    return r;
}

QByteArray checksum(const QString &file) {
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Clicks a button of the modal dialog once it is up.
void clickWhenShown(const QString &caption) {
    QTimer::singleShot(0, [caption] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<TTifTagEdit *>(w); d && d->isVisible()) {
                auto *memo = child<QPlainTextEdit>(d, "Memo1");
                auto *update = child<QPushButton>(d, "BitBtn1");
                child<QListWidget>(d, "TagBox")->setCurrentRow(0);
                memo->selectAll();
                QTest::keyClicks(memo, QStringLiteral("Lab1"));
                (caption == update->text() ? update : child<QPushButton>(d, "BitBtn2"))->click();
                return;
            }
        clickWhenShown(caption);
    });
}

} // namespace

class TTifTagEditTest : public QObject {
    Q_OBJECT
private slots:
    void boxesFollowTheTypeAndTheRules() {
        TTiffTagList tags{record(256, 4, 100, true), record(281, 4, 5, false), record(274, 3, 1, false),
                          record(270, 2, 0, false, QByteArray(19, 'a'))};
        TTifTagEdit form;
        form.SetTags(&tags);
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Tif Tag Editor"));
        QCOMPARE(form.size(), QSize(604, 308));
        auto *tagBox = child<QListWidget>(&form, "TagBox");
        auto *edit = child<QLineEdit>(&form, "Edit1");
        auto *memo = child<QPlainTextEdit>(&form, "Memo1");
        auto *sizeNote = child<QLabel>(&form, "Label6");
        auto *readOnly = child<QLabel>(&form, "Label7");
        auto *page = child<QLabel>(&form, "Label9");
        auto *modified = child<QLabel>(&form, "Label10");
        QCOMPARE(tagBox->count(), 4);
        QCOMPARE(tagBox->item(3)->text(), QStringLiteral("IMAGEDESCRIPTION"));

        // A read-only tag: the label shows and the box takes nothing.
        tagBox->setCurrentRow(0);
        QVERIFY(readOnly->isVisible());
        QCOMPARE(readOnly->text(), QStringLiteral("Tag is Read Only"));
        QCOMPARE(page->text(), QStringLiteral("3"));
        QTest::keyClicks(edit, QStringLiteral("7"));
        QCOMPARE(tags[0].Value, 100);
        QVERIFY(!tags[0].Modified);

        // Selecting fills the box without marking the tag.
        tagBox->setCurrentRow(1);
        QVERIFY(edit->isVisible() && !memo->isVisible());
        QVERIFY(!readOnly->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("5"));
        QVERIFY(!tags[1].Modified);
        QVERIFY(!modified->isVisible());

        QTest::keyClicks(edit, QStringLiteral("x"));
        QCOMPARE(edit->text(), QStringLiteral("5")); // a letter is dropped
        QVERIFY(!tags[1].Modified);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("-"));
        QCOMPARE(tags[1].Value, 0); // "-" is -1, below the range
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QVERIFY(tags[1].Modified);
        QVERIFY(modified->isVisible());
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("99999999999"));
        QCOMPARE(tags[1].Value, 65535); // MAXIMUMVALUE holds a sample value

        // A SHORT with valid codes only.
        tagBox->setCurrentRow(2);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("9"));
        QCOMPARE(tags[2].Value, 8);

        // Text: the memo, at most data length - 1 bytes of plain ASCII.
        tagBox->setCurrentRow(3);
        QVERIFY(memo->isVisible() && sizeNote->isVisible() && !edit->isVisible());
        QCOMPARE(sizeNote->text(), QStringLiteral("(New text can not be larger then original text)"));
        memo->selectAll();
        QTest::keyClicks(memo, QString(25, QLatin1Char('b')));
        QCOMPARE(tags[3].Text, QByteArray(19, 'b'));
        QTest::keyClick(memo, Qt::Key_Backspace);
        memo->insertPlainText(QString::fromUtf8("\u00e9")); // as a paste would
        QCOMPARE(tags[3].Text, QByteArray(18, 'b'));
        QCOMPARE(memo->toPlainText(), QString(18, QLatin1Char('b')));
    }

    void editTagsWritesOnOkAndNothingOnCancel() {
        QTemporaryDir dir;
        const QString file = dir.filePath("form.tif");
        QImage img(16, 8, QImage::Format_Mono);
        img.fill(1);
        const DibBlock dib = GraphicToDib(&img);
        QVERIFY(WriteTIFFileDib(file, sNONE, tiffReplace, dib, 0));
        QVERIFY(WriteTagString(file, 0, 305, "Orva"));
        const TTiffSource src = TTiffSource::OfFile(file);
        TTiffTagList tags;
        QVERIFY(ReadTagRecords(src, 0, tags));
        const auto software = [&] {
            const auto it =
                std::find_if(tags.begin(), tags.end(), [](const auto &r) { return r.Tag == 305; });
            return it == tags.end() ? nullptr : &*it;
        };
        QVERIFY(software());
        // Only SOFTWARE in the list, so that the form's first row is it.
        const TTiffTagRecord keep = *software();
        tags = {keep};

        const QByteArray before = checksum(file);
        bool resolution = true;
        clickWhenShown(QStringLiteral("Close"));
        QVERIFY(EditTags(nullptr, src, 0, tags, resolution));
        QCOMPARE(checksum(file), before);
        QVERIFY(!resolution);
        QVERIFY(std::any_of(tags.begin(), tags.end(),
                            [](const auto &r) { return r.Tag == 305 && r.Text == "Orva"; }));

        tags = {keep};
        clickWhenShown(QStringLiteral("Close and Update"));
        QVERIFY(EditTags(nullptr, src, 0, tags, resolution));
        QVERIFY(checksum(file) != before);
        TTagRead read;
        QVERIFY(ReadTag(file, 0, 305, read));
        QCOMPARE(read.text, QByteArray("Lab1"));
        QCOMPARE(read.fieldType, 2);
    }

    void scanOptionsRoundTrip() {
        TScanSettings s;
        s.ScanColorres = t_TW_GRAY;
        s.ScanDpi = 300;
        s.ScanUseAdf = false;
        s.sScanWidth = 5.5;
        TScanOptionsDialog d;
        d.Load(s);
        child<QSpinBox>(&d, "Dpi")->setValue(150);
        TScanSettings out;
        d.Store(out);
        QCOMPARE(out.ScanColorres, t_TW_GRAY);
        QCOMPARE(out.ScanDpi, 150);
        QCOMPARE(out.ScanUseAdf, false);
        QCOMPARE(out.sScanWidth, 5.5);
    }
};

QTEST_MAIN(TTifTagEditTest)
#include "TTifTagEditTest.moc"
