// The TIFF tag editor offscreen: which box a tag gets, the key and range rules, the modified mark,
// and EditTags writing on OK and nothing on Cancel.
#include "imaging/docforms/TTifTagEdit.h"
#include "imaging/docforms/ScanDialogs.h"

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
                d->TagBox->setCurrentRow(0);
                d->Memo1->selectAll();
                QTest::keyClicks(d->Memo1, QStringLiteral("Lab1"));
                (caption == d->BitBtn1->text() ? d->BitBtn1 : d->BitBtn2)->click();
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
        QCOMPARE(form.TagBox->count(), 4);
        QCOMPARE(form.TagBox->item(3)->text(), QStringLiteral("IMAGEDESCRIPTION"));

        // A read-only tag: the label shows and the box takes nothing.
        form.TagBox->setCurrentRow(0);
        QVERIFY(form.Label7->isVisible());
        QCOMPARE(form.Label7->text(), QStringLiteral("Tag is Read Only"));
        QCOMPARE(form.Label9->text(), QStringLiteral("3"));
        QTest::keyClicks(form.Edit1, QStringLiteral("7"));
        QCOMPARE(tags[0].Value, 100);
        QVERIFY(!tags[0].Modified);

        // Selecting fills the box without marking the tag.
        form.TagBox->setCurrentRow(1);
        QVERIFY(form.Edit1->isVisible() && !form.Memo1->isVisible());
        QVERIFY(!form.Label7->isVisible());
        QCOMPARE(form.Edit1->text(), QStringLiteral("5"));
        QVERIFY(!tags[1].Modified);
        QVERIFY(!form.Label10->isVisible());

        QTest::keyClicks(form.Edit1, QStringLiteral("x"));
        QCOMPARE(form.Edit1->text(), QStringLiteral("5")); // a letter is dropped
        QVERIFY(!tags[1].Modified);
        form.Edit1->selectAll();
        QTest::keyClicks(form.Edit1, QStringLiteral("-"));
        QCOMPARE(tags[1].Value, 0); // "-" is -1, below the range
        QCOMPARE(form.Edit1->text(), QStringLiteral("0"));
        QVERIFY(tags[1].Modified);
        QVERIFY(form.Label10->isVisible());
        form.Edit1->selectAll();
        QTest::keyClicks(form.Edit1, QStringLiteral("99999999999"));
        QCOMPARE(tags[1].Value, 65535); // MAXIMUMVALUE holds a sample value

        // A SHORT with valid codes only.
        form.TagBox->setCurrentRow(2);
        form.Edit1->selectAll();
        QTest::keyClicks(form.Edit1, QStringLiteral("9"));
        QCOMPARE(tags[2].Value, 8);

        // Text: the memo, at most data length - 1 bytes of plain ASCII.
        form.TagBox->setCurrentRow(3);
        QVERIFY(form.Memo1->isVisible() && form.Label6->isVisible() && !form.Edit1->isVisible());
        QCOMPARE(form.Label6->text(), QStringLiteral("(New text can not be larger then original text)"));
        form.Memo1->selectAll();
        QTest::keyClicks(form.Memo1, QString(25, QLatin1Char('b')));
        QCOMPARE(tags[3].Text, QByteArray(19, 'b'));
        QTest::keyClick(form.Memo1, Qt::Key_Backspace);
        form.Memo1->insertPlainText(QString::fromUtf8("\u00e9")); // as a paste would
        QCOMPARE(tags[3].Text, QByteArray(18, 'b'));
        QCOMPARE(form.Memo1->toPlainText(), QString(18, QLatin1Char('b')));
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
        d.Dpi->setValue(150);
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
