// Painting and mouse handling of the map view, checked on grabbed pixels.

#include "tests/support/ViewTestSupport.h"

#include <QDialog>
#include <QTest>
#include <QWindow>

class MapViewPaintTest : public QObject {
    Q_OBJECT
  private:
    ScratchDirectory dir_;

    // Enters hand placement for a w x h map through the generate command.
    void startPlacement(MapView& view, int w, int h) {
        RequestPlacement(view, w, h);
        QVERIFY(view.placementMode().placing);
    }

  private slots:
    void blackBeforeAnyMapAtAnySize() {
        MapView view;
        ShowWithClient(view, 300, 200);
        for (const QSize size : {QSize(300, 200), QSize(640, 480), QSize(120, 90)}) {
            view.resize(size + QSize(view.frameWidth() * 2, view.frameWidth() * 2));
            const QImage image = ClientImage(view);
            QCOMPARE(image.size(), size);
            for (int y = 0; y < image.height(); y += 7)
                for (int x = 0; x < image.width(); x += 7)
                    QCOMPARE(Rgb(image, x, y), Black);
        }
        QVERIFY(view.hasMemoryDc());
        QVERIFY(view.mapPictureData().has_value());
        QCOMPARE(view.mapPictureData()->width, 300);
    }

    void smallMapSitsTopLeftOnBlackAndDoesNotPan() {
        MapView view;
        ShowWithClient(view, 800, 600);
        const GEO_MakeLand terrain = MakeTerrain(200, 150);
        OpenThroughMenu(view, WriteTerrain(dir_, "small.ld", terrain));
        QCOMPARE(view.scrollState().scrollRangeX, 0);
        QCOMPARE(view.scrollState().scrollRangeY, 0);

        Drag(view, At(view, 100, 100), At(view, 10, 10));
        QVERIFY(!view.dragTracker().dragging);

        const QImage image = ClientImage(view);
        for (int y = 0; y < 600; y += 5)
            for (int x = 0; x < 800; x += 5) {
                const uint32_t expected = (x < 200 && y < 150) ? CellPixel(terrain, x, y) : Black;
                QCOMPARE(Rgb(image, x, y), expected);
            }
        QCOMPARE(Rgb(image, 199, 149), CellPixel(terrain, 199, 149));
        QCOMPARE(Rgb(image, 200, 149), Black);
    }

    void wideMapPansHorizontallyOnly() {
        MapView view;
        ShowWithClient(view, 800, 600);
        const GEO_MakeLand terrain = MakeTerrain(3000, 500);
        OpenThroughMenu(view, WriteTerrain(dir_, "wide.ld", terrain));
        QCOMPARE(view.scrollState().scrollRangeX, 2200);
        QCOMPARE(view.scrollState().scrollRangeY, 0);

        Drag(view, At(view, 700, 300), At(view, 400, 200));
        QCOMPARE(view.scrollState().scrollX, 300);
        QCOMPARE(view.scrollState().scrollY, 0);

        const QImage image = ClientImage(view);
        for (int x = 0; x < 800; x += 13) {
            QCOMPARE(Rgb(image, x, 0), CellPixel(terrain, x + 300, 0));
            QCOMPARE(Rgb(image, x, 499), CellPixel(terrain, x + 300, 499));
            QCOMPARE(Rgb(image, x, 500), Black);  // below the map
            QCOMPARE(Rgb(image, x, 599), Black);
        }

        // A resize shows the picture from its top-left corner again.
        view.resize(904, 604);
        QCOMPARE(view.scrollState().scrollX, 0);
        QCOMPARE(view.scrollState().scrollRangeX, 2100);
        QCOMPARE(Rgb(ClientImage(view), 0, 0), CellPixel(terrain, 0, 0));
    }

    void mapAsLargeAsTheClientCannotPan() {
        MapView view;
        ShowWithClient(view, 400, 300);
        OpenThroughMenu(view, WriteTerrain(dir_, "exact.ld", MakeTerrain(400, 300)));
        QCOMPARE(view.scrollState().scrollRangeX, 0);
        QCOMPARE(view.scrollState().scrollRangeY, 0);
    }

    // The view never captures the mouse: a release outside it is not seen,
    // and the drag goes on when the mouse comes back, button up or not.
    void releaseOutsideKeepsTheDrag() {
        MapView view;
        ShowWithClient(view, 800, 600);
        OpenThroughMenu(view, WriteTerrain(dir_, "wide2.ld", MakeTerrain(3000, 500)));
        QTest::mousePress(&view, Qt::LeftButton, {}, At(view, 400, 300));
        QTest::mouseMove(&view, At(view, 300, 300));
        QCOMPARE(view.scrollState().scrollX, 100);
        QTest::mouseMove(&view, At(view, -200, 300));  // outside: not seen
        QCOMPARE(view.scrollState().scrollX, 100);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, At(view, -200, 300));
        QVERIFY(view.dragTracker().dragging);

        QTest::mouseMove(&view, At(view, 250, 300));  // back, button up
        QCOMPARE(view.scrollState().scrollX, 150);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, At(view, 240, 300));
        QVERIFY(!view.dragTracker().dragging);
        QCOMPARE(view.scrollState().scrollX, 160);
    }

    void placementShowsBlackMapOnWhiteWithMarks() {
        MapView view;
        ShowWithClient(view, 800, 600);
        OpenThroughMenu(view, WriteTerrain(dir_, "old.ld", MakeTerrain(300, 300)));
        startPlacement(view, 200, 150);
        QCOMPARE(view.scrollState().scrollRangeX, 0);

        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 0, 0));
        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 100, 75));
        QCOMPARE(view.placementMode().placedPoints.GetSize(), 2);

        const QImage image = ClientImage(view);
        // A quarter disc at the corner, a whole one in the middle.
        QCOMPARE(Rgb(image, 0, 0), Orange);
        QCOMPARE(Rgb(image, 2, 2), Orange);
        QCOMPARE(Rgb(image, 6, 6), Black);
        QCOMPARE(Rgb(image, 100, 75), Orange);
        QCOMPARE(Rgb(image, 95, 75), Orange);
        QCOMPARE(Rgb(image, 104, 75), Orange);
        QCOMPARE(Rgb(image, 105, 75), Black);
        QCOMPARE(Rgb(image, 94, 75), Black);
        // Black W x H on white, not the previous map.
        QCOMPARE(Rgb(image, 199, 149), Black);
        QCOMPARE(Rgb(image, 150, 10), Black);
        QCOMPARE(Rgb(image, 200, 10), White);
        QCOMPARE(Rgb(image, 10, 150), White);
        QCOMPARE(Rgb(image, 799, 599), White);
    }

    void placementClicksDragsAndEdges() {
        MapView view;
        ShowWithClient(view, 800, 600);
        startPlacement(view, 200, 150);

        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 199, 149));  // last cell
        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 200, 20));   // column W
        QCOMPARE(view.placementMode().placedPoints.GetSize(), 1);

        // A move of one pixel makes a drag, which adds nothing.
        Drag(view, At(view, 50, 50), At(view, 51, 50));
        QCOMPARE(view.placementMode().placedPoints.GetSize(), 1);

        // A right press alone does nothing; the right release asks.
        ScriptedMessages boxes;
        boxes.answers = {MessageAnswer::No};
        QTest::mousePress(&view, Qt::RightButton, {}, At(view, 10, 10));
        QCOMPARE(boxes.requests.size(), size_t(0));
        QTest::mouseRelease(&view, Qt::RightButton, {}, At(view, 10, 10));
        QCOMPARE(boxes.requests.size(), size_t(1));
        QVERIFY(view.placementMode().placing);
    }

    void largePlacementPansAndClicksLandUnderTheCursor() {
        MapView view;
        ShowWithClient(view, 800, 600);
        startPlacement(view, 3000, 3000);
        QCOMPARE(view.scrollState().scrollRangeX, 2200);
        QCOMPARE(view.scrollState().scrollRangeY, 2400);
        Drag(view, At(view, 500, 500), At(view, 400, 300));
        QCOMPARE(view.scrollState().scrollX, 100);
        QCOMPARE(view.scrollState().scrollY, 200);
        QTest::mouseClick(&view, Qt::LeftButton, {}, At(view, 10, 20));
        QCOMPARE(view.placementMode().placedPoints[0], (Point{110, 220}));
        // Both ranges non-zero: no white, the picture covers the client area.
        const QImage image = ClientImage(view);
        QCOMPARE(Rgb(image, 10, 20), Orange);
        QCOMPARE(Rgb(image, 799, 599), Black);
    }

    // Two quick clicks arrive as a press and a double click; only the first
    // adds a point. Sent through the window so that Qt itself makes the
    // double click.
    void doubleClickAddsOnePoint() {
        MapView view;
        ShowWithClient(view, 400, 300);
        startPlacement(view, 200, 150);
        QWindow* window = view.windowHandle();
        QVERIFY(window);
        QTest::mouseDClick(window, Qt::LeftButton, {}, At(view, 30, 30));
        QCOMPARE(view.placementMode().placedPoints.GetSize(), 1);
    }
};

QTEST_MAIN(MapViewPaintTest)
#include "MapViewPaintTest.moc"
