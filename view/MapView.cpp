#include "view/MapView.h"

#include "core/PointMarks.h"
#include "platform/MessageBox.h"
#include "resources/ViewStrings.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <new>

namespace {

// A part of a picture as a read-only image over its own pixels, without a
// copy. Only the part is wrapped, so a paint never hands Qt a whole map of
// up to 16384 x 16384 pixels (1 GiB), whose byte counts Qt keeps in int.
QImage imageOf(const Picture& picture, const QRect& part) {
    const uint32_t* first =
        picture.pixels.data() + size_t(part.y()) * size_t(picture.width) + size_t(part.x());
    return QImage(reinterpret_cast<const uchar*>(first), part.width(), part.height(),
                  qsizetype(picture.width) * 4, QImage::Format_RGB32);
}

}  // namespace

MapView::MapView(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("MapView"));
    // The sunken two-pixel client edge; the client area lies inside it.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    // Window-coloured class background, erased before every paint.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    // Moves arrive with the button up too: a drag released outside the view
    // keeps panning when the mouse comes back.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

MapView::~MapView() = default;

void MapView::layoutPicture() {
    if (!memoryDc)
        return;
    const bool placing = placement.placing;
    const QRect client = contentsRect();
    scroll.layout(placing ? terrain.width : pictureWidth, placing ? terrain.height : pictureHeight,
                  client.width(), client.height());
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect client = contentsRect();
    if (!memoryDc) {
        memoryDc = true;
        try {
            mapPicture.emplace(client.width(), client.height());
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    const int cw = client.width();
    const int ch = client.height();
    // A picture exceeding the client area both ways covers all of it.
    if (scroll.scrollRangeX == 0 || scroll.scrollRangeY == 0)
        painter.fillRect(0, 0, cw, ch, placement.placing ? Qt::white : Qt::black);

    const QRect window(scroll.scrollX, scroll.scrollY, cw, ch);
    if (placement.placing) {
        // Only the visible part of the black W x H placement picture is built:
        // a paint costs the visible area, whatever the map size.
        const QRect visible = window & QRect(0, 0, terrain.width, terrain.height);
        if (visible.isEmpty())
            return;
        try {
            Picture part(visible.width(), visible.height());
            PointArray marks;
            for (const Point& p : placement.placedPoints)
                marks.Add(Point{p.x - visible.x(), p.y - visible.y()});
            DrawPointMarks(part, marks);
            painter.drawImage(visible.topLeft() - window.topLeft(),
                              imageOf(part, QRect(0, 0, part.width, part.height)));
        } catch (const std::exception&) {
            // No placement picture: the background alone stays.
        }
        return;
    }
    const std::optional<Picture>& source = showRegions ? regionPicture : mapPicture;
    if (!source)
        return;
    const QRect visible = window & QRect(0, 0, source->width, source->height);
    if (visible.isEmpty())
        return;
    painter.drawImage(visible.topLeft() - window.topLeft(), imageOf(*source, visible));
}

void MapView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layoutPicture();
}

Point MapView::clientPoint(const QMouseEvent* event) const {
    const QPointF p = event->position() - QPointF(contentsRect().topLeft());
    return Point{int32_t(std::floor(p.x())), int32_t(std::floor(p.y()))};
}

bool MapView::overClient(Point p) const {
    const QRect client = contentsRect();
    return p.x >= 0 && p.y >= 0 && p.x < client.width() && p.y < client.height();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    const Point p = clientPoint(event);
    if (event->button() == Qt::LeftButton && overClient(p))
        drag.press(p, placement.placing || scroll.canPan());
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    // Qt delivers moves outside the view while a button is held; without a
    // capture they would have gone to other windows.
    const Point p = clientPoint(event);
    if (!overClient(p))
        return;
    if (drag.move(p, scroll))
        update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    const Point p = clientPoint(event);
    if (!overClient(p))
        return;  // released elsewhere: never seen
    if (event->button() == Qt::LeftButton) {
        switch (drag.release(p, placement.placing, scroll)) {
        case DragTracker::Release::Ignored:
            return;
        case DragTracker::Release::Click:
            placement.click(Point{p.x + scroll.scrollX, p.y + scroll.scrollY}, terrain.width,
                            terrain.height);
            break;
        case DragTracker::Release::DragEnd:
            break;
        }
        update();
    } else if (event->button() == Qt::RightButton && placement.placing) {
        endPlacementQuestion();
    }
}

void MapView::mouseDoubleClickEvent(QMouseEvent*) {
    // The second press of a double click is not a press: it adds no point and
    // starts no drag.
}

void MapView::endPlacementQuestion() {
    const QString text = QString::asprintf(ViewStrings::PlacementStartQuestion,
                                           int(placement.placedPoints.GetSize()));
    const MessageAnswer answer =
        ShowMessage(this, text, MessageIcon::Question, MessageButtons::YesNoCancel,
                    QString::fromUtf8(ViewStrings::PlacementTitle));
    if (answer == MessageAnswer::No)
        return;
    if (answer == MessageAnswer::Yes) {
        placement.end();
        runReporting([this] {
            terrain.concentrationPoints.SetSize(0);
            for (const Point& p : placement.placedPoints)
                terrain.concentrationPoints.Add(p);
            generateAndRender();
        });
        return;
    }
    restoreSavedSize();
    placement.end();
    layoutPicture();
    update();
}
