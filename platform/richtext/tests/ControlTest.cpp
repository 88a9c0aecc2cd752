// The control as the editor drives it: positions, fields and their guards, loads and saves,
// tables, pictures, events and printing (offscreen).
#include "platform/richtext/TWpBars.h"
#include "platform/richtext/TWpTextControl.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPdfWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

using namespace orva::richtext;

class ControlTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static void writeFile(const QString &file, const QByteArray &bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // "Name: <field> end" with the field's text `fieldText`.
    static int fieldDocument(TWpTextControl &w, bool changeable, const QString &fieldText = "Smith") {
        w.setText("Name:  end");
        w.setSelStart(6);
        const int id = w.InsertField(fieldText);
        w.setFieldChangeable(changeable);
        return id;
    }
    static void type(TWpTextControl &w, int pos, auto key) {
        w.setSelStart(pos);
        QTest::keyClick(w.editor(), key);
    }

private slots:
    void positionsAgreeAcrossTextSelectionAndFind() {
        TWpTextControl w;
        w.setText("Dear <<PatSur>>, results follow.");
        w.setSelStart(0);
        QVERIFY(w.InsertTable(2, 2) > 0);
        const int p = w.FindText("<<", 0, 24);
        QVERIFY(p > 0);
        w.setSelStart(p);
        w.setSelLength(2);
        QCOMPARE(w.SelText(), QString("<<"));
        QCOMPARE(w.SelStart(), p);
        QCOMPARE(w.Text().mid(p, 8), QString("<<PatSu"
                                             "r"));
        QCOMPARE(w.FindText("patsur", 0, 24), p + 2); // flag 24 ignores case
        QCOMPARE(w.FindText("absent", 0, 24), -1);
    }

    void lineEndsGiveOneParagraphEach() {
        TWpTextControl w;
        w.setSelText("a\r\nb");
        QCOMPARE(w.document().main()->blockCount(), 2);
        w.setText("a\rb\nc\vd");
        QCOMPARE(w.document().main()->blockCount(), 3);
        QCOMPARE(w.Text(), QString("a\rb\rc\vd"));
    }

    void fieldsFromSelectionAndEnumeration() {
        TWpTextControl w;
        w.setText("abc xyz def");
        w.setSelStart(4);
        w.setSelLength(3);
        const int first = w.InsertField("");
        QVERIFY(first != 0);
        QCOMPARE(w.FieldText(), QString("xyz"));
        w.setSelStart(5);
        QCOMPARE(w.FieldAtInputPos(), first);
        w.setSelStart(0);
        QCOMPARE(w.FieldAtInputPos(), 0);
        w.setSelStart(w.Text().size());
        const int last = w.InsertField("!");
        QCOMPARE(w.NextField(0), first);
        QCOMPARE(w.NextField(first), last);
        QCOMPARE(w.NextField(last), 0);
        w.SetFieldData(first, 20);
        QCOMPARE(w.GetFieldData(first), 20);
        QCOMPARE(w.FieldStart(), 11);
        QCOMPARE(w.FieldEnd(), 12);
    }

    void enumerationWhileDissolvingOrDeletingVisitsEachOnce() {
        for (int mode : {0, -1}) {
            TWpTextControl w;
            w.setText("a b c d");
            QList<int> made;
            for (int pos : {6, 4, 2, 0}) {
                w.setSelStart(pos);
                w.setSelLength(1);
                made.prepend(w.InsertField(""));
            }
            QList<int> seen;
            for (int id = w.NextField(0); id != 0 && seen.size() < 10; id = w.NextField(id)) {
                seen.append(id);
                w.setFieldCurrent(id);
                w.DeleteField(mode);
            }
            QCOMPARE(seen, made);
            QCOMPARE(w.Text(), mode == 0 ? QString("a b c d") : QString("   "));
        }
    }

    void protectedFieldResistsTheUser_data() {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("changed");
        // The field "Smith" covers positions 6..10.
        QTest::newRow("type inside") << 8 << int(Qt::Key_Q) << false;
        QTest::newRow("backspace at end edge") << 11 << int(Qt::Key_Backspace) << false;
        QTest::newRow("delete at start edge") << 6 << int(Qt::Key_Delete) << false;
        QTest::newRow("backspace inside") << 8 << int(Qt::Key_Backspace) << false;
        QTest::newRow("enter inside") << 8 << int(Qt::Key_Return) << false;
        QTest::newRow("backspace before start") << 6 << int(Qt::Key_Backspace) << true;
        QTest::newRow("delete after end") << 11 << int(Qt::Key_Delete) << true;
        QTest::newRow("type before start") << 6 << int(Qt::Key_Q) << true;
        QTest::newRow("type after end") << 11 << int(Qt::Key_Q) << true;
    }
    void protectedFieldResistsTheUser() {
        QFETCH(int, pos);
        QFETCH(int, key);
        QFETCH(bool, changed);
        TWpTextControl w;
        const int id = fieldDocument(w, false);
        const QString before = w.Text();
        type(w, pos, Qt::Key(key));
        QCOMPARE(w.Text() != before, changed);
        w.setFieldCurrent(id);
        QCOMPARE(w.FieldText(), QString("Smith")); // typing at an edge never joins the field
    }

    void overwriteModeCannotTypeOverAProtectedField() {
        TWpTextControl w;
        fieldDocument(w, false);
        w.setInsertionMode(false);
        type(w, 6, Qt::Key_Q); // would replace the field's first character
        QCOMPARE(w.Text(), QString("Name: Smith end"));
        type(w, 5, Qt::Key_Q); // replaces the blank before it
        QCOMPARE(w.Text(), QString("Name:qSmith end"));
    }

    void protectedFieldResistsPasteAndCut() {
        TWpTextControl w;
        fieldDocument(w, false);
        const QString before = w.Text();
        QApplication::clipboard()->setText("PASTED");
        w.setSelStart(8);
        QTest::keyClick(w.editor(), Qt::Key_V, Qt::ControlModifier);
        w.ClipboardCommand(orva::richtext::ClipboardPaste);
        QCOMPARE(w.Text(), before);
        w.setSelStart(4);
        w.setSelLength(4);
        QTest::keyClick(w.editor(), Qt::Key_X, Qt::ControlModifier);
        w.ClipboardCommand(orva::richtext::ClipboardCut);
        QCOMPARE(w.Text(), before);
        w.setSelStart(8);
        QInputMethodEvent im;
        im.setCommitString("x");
        QApplication::sendEvent(w.editor(), &im);
        QCOMPARE(w.Text(), before);
        // Outside the field both work.
        w.setSelStart(0);
        w.setSelLength(4);
        w.ClipboardCommand(orva::richtext::ClipboardCut);
        QCOMPARE(w.Text(), before.mid(4));
        w.ClipboardCommand(orva::richtext::ClipboardPaste);
        QCOMPARE(w.Text(), before);
    }

    void changeableFieldTakesTypingButDoesNotGrowAtItsEnd() {
        TWpTextControl w;
        const int id = fieldDocument(w, true);
        type(w, 8, Qt::Key_Q);
        w.setFieldCurrent(id);
        QCOMPARE(w.FieldText(), QString("Smqith"));
        type(w, 12, Qt::Key_Z);
        QCOMPARE(w.FieldText(), QString("Smqith"));
        QCOMPARE(w.Text(), QString("Name: Smqithz end"));
        // Nor does text committed by an input method.
        w.setSelStart(12);
        QInputMethodEvent im;
        im.setCommitString("\u00e9");
        QApplication::sendEvent(w.editor(), &im);
        QCOMPARE(w.FieldText(), QString("Smqith"));
        QCOMPARE(w.Text(), QString("Name: Smqith\u00e9z end"));
        // The editor's own calls still change a protected field.
        w.setFieldChangeable(false);
        w.setFieldText("Jones");
        QCOMPARE(w.FieldText(), QString("Jones"));
    }

    void keyDownHandlerCanSwallowKeys() {
        TWpTextControl w;
        connect(&w, &TWpTextControl::OnKeyDown, &w, [](int &key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_F2)
                key = 0;
        });
        int pressed = 0;
        connect(&w, &TWpTextControl::OnKeyPress, &w, [&](int &key) { pressed = key; });
        QTest::keyClick(w.editor(), Qt::Key_F2);
        QTest::keyClick(w.editor(), Qt::Key_Escape);
        QCOMPARE(pressed, 27);
        QTest::keyClick(w.editor(), Qt::Key_A);
        QCOMPARE(w.Text(), QString("a"));
        QSignalSpy changes(&w, &TWpTextControl::OnChange);
        QTest::keyClick(w.editor(), Qt::Key_B);
        QVERIFY(changes.count() > 0);
    }

    void formatsUseTheCallersUnits() {
        TWpTextControl w;
        w.setText("text");
        w.setSelStart(0);
        w.setSelLength(4);
        w.setForeColor(0x0000FF); // red in Windows order
        QCOMPARE(w.ForeColor(), quint32(0x0000FF));
        w.setBaseLine(70);
        QCOMPARE(w.BaseLine(), 70);
        w.setBaseLine(-70);
        QCOMPARE(w.BaseLine(), -70);
        w.setFontBold(1);
        QCOMPARE(w.FontBold(), 1);
        w.setFontSize(14);
        QCOMPARE(w.FontSize(), 14);
        w.setAlignment(2);
        QCOMPARE(w.Alignment(), 2);
        w.setIndentL(1000);
        w.setIndentFL(-500);
        QCOMPARE(w.IndentL(), 1000);
        QCOMPARE(w.IndentFL(), -500);
        w.setTabCurrent(1);
        w.setTabPos(1440);
        QCOMPARE(w.TabPos(), 1440);
        w.setTabPos(0);
        QCOMPARE(w.TabPos(), 0);
    }

    void loadRejectsMissingAndNonRtfFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << "could not be opened";
        QTest::newRow("binary word processor")
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1rest", 12) << "save it as RTF";
        QTest::newRow("plain text") << QByteArray("just text") << "save it as RTF";
        QTest::newRow("empty") << QByteArray("") << "is empty";
    }
    void loadRejectsMissingAndNonRtfFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = path(QString("%1.doc").arg(QTest::currentDataTag()));
        if (QString(QTest::currentDataTag()) != "missing")
            writeFile(file, bytes);
        TWpTextControl w;
        w.setText("kept");
        QSignalSpy errors(&w, &TWpTextControl::OnError);
        QCOMPARE(w.LoadDocument(file, 0, false, 9), 0);
        QCOMPARE(errors.count(), 1);
        const QString text = errors.first().first().toString();
        QVERIFY2(text.contains(file) && text.contains(message), qPrintable(text));
        QCOMPARE(w.Text(), QString("kept"));
    }

    void saveAndLoadKeepEverythingTheEditorNeeds() {
        TWpTextControl w;
        w.setText("Report for ");
        w.setSelStart(11);
        const int id = w.InsertField("Smith");
        w.setFieldChangeable(false);
        w.SetFieldData(id, 20);
        w.ActivateHeaderFooter(PartHeader);
        w.setText("HEADER");
        w.DeactivateHeaderFooter(PartHeader);
        w.ActivateHeaderFooter(PartFooter);
        w.setText("FOOTER");
        w.DeactivateHeaderFooter(PartFooter);
        QCOMPARE(w.Text(), QString("Report for Smith"));
        w.InsertPicture("\\\\host\\share\\x.png", 2000, 3000, 64, 64, 1, 3, 20, 20, 20, 20);
        w.setPageMarginL(720);
        const QString file = path("saved.tpl");
        QVERIFY(w.SaveDocument(file, -1, false, 3));

        TWpTextControl r;
        const int count = r.LoadDocument(file, 0, false, 3);
        QCOMPARE(count, int(QFile(file).size()));
        QCOMPARE(r.Text(), QString("Report for Smith"));
        QCOMPARE(r.NextField(0), id);
        r.setFieldCurrent(id);
        QVERIFY(!r.FieldChangeable());
        QCOMPARE(r.GetFieldData(id), 20);
        QCOMPARE(r.GetPageSetting(0), 11910);
        QCOMPARE(r.GetPageSetting(2), 720);
        QCOMPARE(r.PageMarginL(), 720);
        QCOMPARE(r.NextObject(0), 1);
        QCOMPARE(r.document().pictures.first().path, QString("\\\\host\\share\\x.png"));
        QList<TWpPicture> pics;
        QCOMPARE(TWpTextControl::ListPictures(file, &pics), 1);
        QCOMPARE(pics.first().posY, 3000);
        QCOMPARE(TWpTextControl::ListPictures(path("none.doc"), nullptr), -1);
        r.ActivateHeaderFooter(PartHeader);
        QCOMPARE(r.Text(), QString("HEADER"));
        QCOMPARE(r.FindText("head", 0, 24), 0);
        r.DeactivateHeaderFooter(PartHeader);

        // Insert mode keeps the header and footer and renumbers the clashing field id.
        r.ActivateHeaderFooter(PartHeader);
        r.setText("LETTERHEAD");
        r.DeactivateHeaderFooter(PartHeader);
        r.setSelStart(r.Text().size());
        QVERIFY(r.LoadDocument(file, -1, true, 3) > 0);
        QCOMPARE(r.Text(), QString("Report for SmithReport for Smith"));
        const int second = r.NextField(id);
        QVERIFY(second != 0 && second != id);
        QCOMPARE(r.NextField(second), 0);
        r.ActivateHeaderFooter(PartHeader);
        QCOMPARE(r.Text(), QString("LETTERHEAD"));
    }

    // A saved document (a template, a formatted abbreviation) is shared: it keeps the mode it had,
    // and a link planted at its name is replaced, never written through.
    void savedDocumentKeepsItsModeAndFollowsNoLink() {
        const QString victim = path("victim");
        {
            QFile f(victim);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("precious");
        }
        const QString file = path("FBC.tpl");
        QVERIFY(QFile::link(victim, file));
        TWpTextControl w;
        w.setText("template text");
        QVERIFY(w.SaveDocument(file, -1, false, 3));
        QFile v(victim);
        QVERIFY(v.open(QIODevice::ReadOnly));
        QCOMPARE(v.readAll(), QByteArray("precious"));
        QVERIFY(!QFileInfo(file).isSymLink());
        TWpTextControl r;
        QVERIFY(r.LoadDocument(file, -1, false, 3) > 0);
        QCOMPARE(r.Text(), QString("template text"));
        const QFileDevice::Permissions shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(file, shared));
        w.setText("changed template");
        QVERIFY(w.SaveDocument(file, -1, false, 3));
        QCOMPARE(QFile(file).permissions(), shared);
    }

    void selectionSavesAsAFormattedEntry() {
        TWpTextControl w;
        w.setText("before Dr  after");
        w.setSelStart(10);
        const int id = w.InsertField("Who");
        w.setFieldChangeable(false);
        w.SetFieldData(id, 20);
        w.setSelStart(7);
        w.setSelLength(6);
        w.setFontBold(1);
        const QString file = path("entry.abx");
        QVERIFY(w.SaveDocument(file, -1, true, 3));
        {
            QFile blocker(path("blocker"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        QSignalSpy errors(&w, &TWpTextControl::OnError);
        QVERIFY(w.SaveDocument(path("blocker/entry.abx"), -1, true, 3) == false);
        QCOMPARE(errors.size(), 1);

        TWpTextControl r;
        r.setText("x");
        r.setSelStart(1);
        QVERIFY(r.LoadDocument(file, -1, true, 3) > 0);
        QCOMPARE(r.Text(), QString("xDr Who"));
        const int loaded = r.NextField(0);
        r.setFieldCurrent(loaded);
        QCOMPARE(r.FieldText(), QString("Who"));
        QVERIFY(!r.FieldChangeable());
        QCOMPARE(r.GetFieldData(loaded), 20);
        r.setSelStart(2);
        QCOMPARE(r.FontBold(), 1);
    }

    void tableEventsAndAccess() {
        TWpTextControl w;
        QSignalSpy created(&w, &TWpTextControl::OnTableCreated);
        QSignalSpy deleted(&w, &TWpTextControl::OnTableDeleted);
        w.setText("x");
        const int id = w.InsertTable(2, 3);
        QCOMPARE(created.count(), 1);
        QCOMPARE(created.first().first().toInt(), id);
        QCOMPARE(w.TableAtInputPos(), id);
        QCOMPARE(w.TableRowAtInputPos(), 1);
        QCOMPARE(w.TableColAtInputPos(), 1);
        w.setSelText("cell");
        QCOMPARE(w.TableCellText(id, 1, 1), QString("cell"));
        QCOMPARE(w.TableCellBorder(id, 1, 1, 0), 15);
        QCOMPARE(w.TableCellWidth(id, 1, 1), 11910 / 3);
        QVERIFY(w.InsertRow());
        QCOMPARE(w.TableRows(id), 3);
        const int start = w.TableStart(id), end = w.TableEnd(id);
        QVERIFY(start >= 0 && end > start);
        QVERIFY(w.Text().mid(start, end - start).contains("cell"));
        w.setSelStart(0);
        w.setSelLength(w.Text().size());
        w.setSelText("");
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(w.TableAtInputPos(), 0);
    }

    void picturesAreObjects() {
        TWpTextControl w;
        QSignalSpy gone(&w, &TWpTextControl::OnObjectDeleted);
        const int a = w.InsertPicture("/p/a.png", 0, 0, 100, 100, 0, 3, 20, 20, 20, 20);
        const int b = w.InsertPicture("/p/b.png", 0, 0, 50, 50, 0, 3, 20, 20, 20, 20);
        QCOMPARE(w.NextObject(0), a);
        QCOMPARE(w.NextObject(a), b);
        QCOMPARE(w.NextObject(b), 0);
        w.setObjectCurrent(b);
        w.setObjectScaleX(w.ObjectScaleX() + 10);
        QCOMPARE(w.ObjectScaleX(), 60);
        QVERIFY(w.DeleteObject(a));
        QCOMPARE(gone.count(), 1);
        QCOMPARE(w.NextObject(0), b);
    }

    void replaceAllLeavesProtectedFieldsAlone() {
        TWpTextControl w;
        w.setText("cat ");
        w.setSelStart(4);
        w.InsertField("cat");
        w.setFieldChangeable(false);
        w.setSelStart(7);
        w.setSelText(" Cat");
        QCOMPARE(w.ReplaceAll("cat", "dog"), 2);
        QCOMPARE(w.Text(), QString("dog cat dog"));
        w.setSelStart(0);
        QVERIFY(w.FindNext("CAT"));
        QCOMPARE(w.SelStart(), 4);
    }

    void listStylesAndListAccess() {
        TWpTextControl w;
        w.setText("one\rtwo\rthree");
        w.setSelStart(0);
        w.setSelLength(7);
        w.SetListStyle(8);
        TWpListInfo second = w.ListAt(5);
        QCOMPARE(second.kind, 2);
        QCOMPARE(second.numbering, 4);
        QCOMPARE(second.itemNumber, 2);
        QCOMPARE(second.level, 1);
        QCOMPARE(w.ListAt(9).kind, 0);
        w.SetListStyle(1);
        QCOMPARE(w.ListAt(0).kind, 1);
        w.SetListStyle(0);
        QCOMPARE(w.ListAt(0).kind, 0);
        QCOMPARE(w.ListAt(5).kind, 0);
    }

    void tableBordersFromProperties() {
        TWpTextControl w;
        const int id = w.InsertTable(2, 2);
        QVERIFY(w.SetTableBorder(30));
        QCOMPARE(w.TableCellBorder(id, 2, 2, 3), 30);
        w.setSelStart(w.TableEnd(id) + 1);
        QVERIFY(!w.SetTableBorder(30));
    }

    void headerAndFooterShowAroundTheText() {
        TWpTextControl w;
        w.resize(800, 600);
        w.ActivateHeaderFooter(PartHeader);
        w.setText("Head");
        w.DeactivateHeaderFooter(PartHeader);
        w.setHeaderFooter(5);
        auto panes = w.editor()->parentWidget()->findChildren<QTextEdit *>();
        auto visibleWith = [&](const QString &text) {
            for (QTextEdit *e : panes)
                if (e != w.editor() && !e->isHidden() && e->toPlainText() == text)
                    return true;
            return false;
        };
        QVERIFY(visibleWith("Head"));
        w.setHeaderFooter(0);
        QVERIFY(!visibleWith("Head"));
    }

    void barsFollowTheCaretAndAct() {
        TWpTextControl w;
        TWpButtonBar bar;
        TWpStatusBar status;
        TWpRuler ruler;
        w.setButtonBarHandle(&bar);
        w.setStatusBarHandle(&status);
        w.setRulerHandle(&ruler);
        QCOMPARE(w.ButtonBarHandle(), &bar);
        w.setText("plain bold");
        w.setSelStart(6);
        w.setSelLength(4);
        bar.button("bold")->click();
        QCOMPARE(w.FontBold(), 1);
        w.setSelStart(2);
        QVERIFY(!bar.button("bold")->isChecked());
        w.setSelStart(8);
        QVERIFY(bar.button("bold")->isChecked());
        bar.button("centre")->click();
        QCOMPARE(w.Alignment(), 2);

        QCOMPARE(status.modeText(), QString("INS"));
        w.setInsertionMode(false);
        QCOMPARE(status.modeText(), QString("OVR"));
        QCOMPARE(status.pageText(), QString("Page 1 of 1"));

        ruler.resize(800, 24);
        const int y = ruler.height() - 3;
        QTest::mousePress(&ruler, Qt::LeftButton, {}, QPoint(ruler.xAt(0), y));
        QMouseEvent move(QEvent::MouseMove, QPointF(ruler.xAt(1000), y),
                         ruler.mapToGlobal(QPointF(ruler.xAt(1000), y)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&ruler, &move);
        QTest::mouseRelease(&ruler, Qt::LeftButton, {}, QPoint(ruler.xAt(1000), y));
        QVERIFY(qAbs(w.IndentL() - 1000) <= 15);
        QVERIFY(qAbs(w.IndentL() + w.IndentFL()) <= 15); // the first line stayed at 0
        QTest::mouseClick(&ruler, Qt::LeftButton, {}, QPoint(ruler.xAt(2835), 5));
        w.setTabCurrent(1);
        QVERIFY(qAbs(w.TabPos() - 2835) <= 15);

        // Zoom scales the page, and the ruler's scale with it.
        QCOMPARE(ruler.xAt(1440) - ruler.xAt(0), 96);
        w.setZoomFactor(200);
        QCOMPARE(w.ZoomFactor(), 200);
        QCOMPARE(ruler.xAt(1440) - ruler.xAt(0), 192);
        QCOMPARE(ruler.twipsAt(ruler.xAt(2880)), 2880);
    }

    void altDragMovesAndResizesPictures() {
        QImage image(50, 40, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString local = path("pic.png");
        QVERIFY(image.save(local));
        TWpTextControl w;
        w.resize(900, 700);
        w.setPathLookup([&](const QString &stored) { return stored == "\\\\srv\\pic.png" ? local : stored; });
        const int id = w.InsertPicture("\\\\srv\\pic.png", 1500, 1500, 100, 100, 0, 3, 20, 20, 20, 20);
        QSignalSpy clicked(&w, &TWpTextControl::OnObjectClicked);
        QWidget *vp = w.editor()->viewport();
        auto drag = [&](QPoint from, QPoint to) {
            QTest::mousePress(vp, Qt::LeftButton, Qt::AltModifier, from);
            QMouseEvent move(QEvent::MouseMove, QPointF(to), vp->mapToGlobal(QPointF(to)), Qt::NoButton,
                             Qt::LeftButton, Qt::AltModifier);
            QApplication::sendEvent(vp, &move);
            QTest::mouseRelease(vp, Qt::LeftButton, Qt::AltModifier, to);
        };
        drag(QPoint(110, 110), QPoint(140, 125)); // the picture spans 100..150 x 100..140
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(w.ObjectCurrent(), id);
        const TWpPicture &moved = w.document().pictures.first();
        QCOMPARE(moved.posX, 1500 + 30 * 15);
        QCOMPARE(moved.posY, 1500 + 15 * 15);
        QCOMPARE(moved.path, QString("\\\\srv\\pic.png")); // the stored path stays as given
        drag(QPoint(180, 155), QPoint(230, 195));          // from the lower right corner: twice the size
        QCOMPARE(w.document().pictures.first().scaleX, 200);
        QCOMPARE(w.document().pictures.first().scaleY, 200);
        QCOMPARE(w.document().pictures.first().posX, 1500 + 30 * 15);
    }

    void fieldsEndWithTheirParagraph() {
        TWpTextControl w;
        w.setText("abc\rdef");
        w.setSelStart(1);
        w.setSelLength(5);
        const int id = w.InsertField("");
        QCOMPARE(w.FieldText(), QString("bc"));
        QCOMPARE(w.NextField(id), 0);
        w.setSelStart(3);
        w.setSelLength(1);
        QCOMPARE(w.InsertField(""), 0); // only a paragraph end selected
    }

    void printsPagesWithHeaderAndFooter() {
        TWpTextControl w;
        w.ActivateHeaderFooter(PartHeader);
        w.setText("HeaderMark");
        w.ActivateHeaderFooter(PartFooter);
        w.setText("FooterMark");
        w.DeactivateHeaderFooter(PartFooter);
        QString body;
        for (int i = 0; i < 90; ++i)
            body += QString("Line %1 of the report\r").arg(i);
        w.setText(body + "LastLine");
        QCOMPARE(w.CurrentPages(), 2);
        const QString pdf = path("out.pdf");
        {
            QPdfWriter writer(pdf);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QVERIFY(w.PrintPages(&writer, 1, 2));
        }
        QProcess p;
        p.start("pdftotext", {pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QStringList pages =
            QString::fromUtf8(p.readAllStandardOutput()).split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 2);
        for (const QString &page : pages) {
            QVERIFY(page.contains("HeaderMark"));
            QVERIFY(page.contains("FooterMark"));
        }
        QVERIFY(pages[1].contains("LastLine"));
    }
};

QTEST_MAIN(ControlTest)
#include "ControlTest.moc"
