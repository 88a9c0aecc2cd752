// The program's cursors: each named one is a bitmap of its own with its hot spot, the grab hand is
// the system's, and a name the program does not have gives the arrow.
#include "common/ResourceCursors.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

class ResourceCursorsTest : public QObject {
    Q_OBJECT
private slots:
    void namedCursors() {
        const struct {
            const char *name;
            Qt::CursorShape shape;
            QPoint hotSpot;
        } cases[] = {
            {"MAGGLASS", Qt::BitmapCursor, {12, 12}}, {"PRINTER", Qt::BitmapCursor, {0, 0}},
            {"SPEAKER", Qt::BitmapCursor, {16, 16}},  {"GRABHAND", Qt::OpenHandCursor, {}},
            {"NOSUCH", Qt::ArrowCursor, {}},
        };
        QList<QImage> drawn;
        for (const auto &c : cases) {
            const QCursor cursor = ResourceCursors::Load(c.name);
            QVERIFY2(cursor.shape() == c.shape, c.name);
            if (c.shape != Qt::BitmapCursor) {
                continue;
            }
            QVERIFY2(cursor.hotSpot() == c.hotSpot, c.name);
            const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(image.size() == QSize(32, 32), c.name);
            int black = 0;
            int clear = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    black += qAlpha(p) == 255 && qGray(p) < 64;
                    clear += qAlpha(p) == 0;
                }
            }
            // Something drawn, and most of the square left clear for what lies under the cursor.
            QVERIFY2(black > 20 && clear > 32 * 32 / 3, c.name);
            for (const QImage &other : drawn) {
                QVERIFY2(other != image, c.name);
            }
            drawn.append(image);
        }
    }
};

QTEST_MAIN(ResourceCursorsTest)
#include "ResourceCursorsTest.moc"
