// The rubber band as a state machine over a control: the ten zones, the first drag, resizing within
// the guards, moving on the control, reports, hover cursors and a band without a control.
#include "effects/dialog/TVisRubberBand.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

using orva::effects::TVisRubberBand;

namespace {
struct Report {
    Qt::MouseButton button;
    int l, t, r, b;
};
} // namespace

class RubberBandTest : public QObject {
    Q_OBJECT
    QWidget m_control;
    QList<Report> m_reports;

    void attach(TVisRubberBand &band) {
        m_control.resize(400, 300);
        band.SetControl(&m_control);
        m_reports.clear();
        band.OnRubberband = [this](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int l, int t, int r,
                                   int bt) {
            m_reports.append({b, l, t, r, bt});
        };
    }

private slots:
    void hitTestZones() {
        TVisRubberBand band;
        attach(band);
        band.SetRect(100, 100, 100, 100);
        const struct {
            int x, y, zone;
        } cases[] = {{203, 150, 4}, {204, 150, 0}, {103, 150, 3}, {104, 150, 9}, {102, 102, 5}, {203, 103, 6},
                     {150, 97, 1},  {150, 203, 2}, {97, 203, 7},  {201, 199, 8}, {150, 150, 9}, {50, 50, 0}};
        for (const auto &c : cases)
            QCOMPARE(band.HitTest(c.x, c.y), c.zone);
        QCOMPARE(TVisRubberBand::CursorFor(1), Qt::SplitVCursor);
        QCOMPARE(TVisRubberBand::CursorFor(4), Qt::SplitHCursor);
        QCOMPARE(TVisRubberBand::CursorFor(5), Qt::SizeFDiagCursor);
        QCOMPARE(TVisRubberBand::CursorFor(7), Qt::SizeBDiagCursor);
        QCOMPARE(TVisRubberBand::CursorFor(9), Qt::SizeAllCursor);
        band.MouseMove(Qt::NoModifier, 203, 150);
        QCOMPARE(m_control.cursor().shape(), Qt::SplitHCursor);
    }

    void firstDragReportsOnceTurnedTheRightWayRound() {
        TVisRubberBand band;
        attach(band);
        band.MouseDown(Qt::LeftButton, Qt::NoModifier, 50, 60);
        band.MouseMove(Qt::NoModifier, 30, 40);
        QVERIFY(band.Drawing());
        band.MouseUp(Qt::LeftButton, Qt::NoModifier, 20, 30);
        QCOMPARE(m_reports.size(), 1);
        QCOMPARE(m_reports[0].l, 20);
        QCOMPARE(m_reports[0].t, 30);
        QCOMPARE(m_reports[0].r, 50);
        QCOMPARE(m_reports[0].b, 60);
        // Still grabbable afterwards: a press inside moves it.
        band.MouseDown(Qt::LeftButton, Qt::NoModifier, 35, 45);
        band.MouseMove(Qt::NoModifier, 36, 45);
        QCOMPARE(band.Left(), 21);
        band.MouseUp(Qt::LeftButton, Qt::NoModifier, 36, 45);
    }

    void setRectAndResizeGuards() {
        TVisRubberBand band;
        attach(band);
        band.SetRect(10, 20, 30, 40);
        QCOMPARE(band.Right(), 40);
        QCOMPARE(band.Bottom(), 60);
        QCOMPARE(m_reports.size(), 1);
        QCOMPARE(m_reports[0].button, Qt::LeftButton);

        band.SetRect(100, 100, 100, 100);
        m_reports.clear();
        band.MouseDown(Qt::LeftButton, Qt::NoModifier, 150, 100);
        band.MouseMove(Qt::NoModifier, 150, 250);
        QCOMPARE(band.Top(), 100);
        QVERIFY2(m_reports.isEmpty(), "a refused move reports nothing");
        band.MouseMove(Qt::NoModifier, 150, 120);
        QCOMPARE(band.Top(), 120);
        QCOMPARE(m_reports.size(), 1);
        band.MouseUp(Qt::LeftButton, Qt::NoModifier, 150, 120);
        QCOMPARE(m_reports.size(), 1);
    }

    void movingShiftsAndStaysOnTheControl() {
        TVisRubberBand band;
        attach(band);
        band.SetRect(100, 100, 100, 100);
        m_reports.clear();
        band.MouseDown(Qt::LeftButton, Qt::NoModifier, 150, 150);
        band.MouseMove(Qt::NoModifier, 160, 155);
        QCOMPARE(band.Left(), 110);
        QCOMPARE(band.Top(), 105);
        QCOMPARE(band.Right(), 210);
        QCOMPARE(band.Bottom(), 205);
        QCOMPARE(m_reports.size(), 1);
        band.MouseMove(Qt::NoModifier, 1000, 1000);
        QCOMPARE(band.Right(), 399);
        QCOMPARE(band.Bottom(), 299);
        band.MouseUp(Qt::LeftButton, Qt::NoModifier, 1000, 1000);
        QVERIFY(band.HitTest(band.Left() + 10, band.Top() + 10) == 9);
    }

    void withoutAControlNothingHappens() {
        TVisRubberBand band;
        int reports = 0;
        band.OnRubberband = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int, int, int) {
            ++reports;
        };
        band.MouseDown(Qt::LeftButton, Qt::NoModifier, 1, 1);
        band.MouseMove(Qt::NoModifier, 50, 50);
        band.MouseUp(Qt::LeftButton, Qt::NoModifier, 50, 50);
        QCOMPARE(reports, 0);
        QVERIFY(band.NewBand());
        QImage canvas(10, 10, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        band.Draw(p);
        QCOMPARE(canvas.pixelColor(0, 0), QColor(Qt::white));
    }

    void outlineInvertsThePixelsUnderIt() {
        TVisRubberBand band;
        attach(band);
        band.SetRect(2, 2, 5, 5);
        QImage canvas(10, 10, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter p(&canvas);
            band.Draw(p);
        }
        QCOMPARE(canvas.pixelColor(2, 4), QColor(Qt::black));
        QCOMPARE(canvas.pixelColor(4, 4), QColor(Qt::white));
    }
};

QTEST_MAIN(RubberBandTest)
#include "RubberBandTest.moc"
