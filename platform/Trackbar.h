#pragma once
// A horizontal slider with line and page steps for the arrow and page keys,
// Home and End for the ends; endTrack() is emitted when an interaction ends
// (mouse button released, movement key released), never while the thumb is
// being dragged.

#include <QSlider>

class Trackbar : public QSlider {
    Q_OBJECT
  public:
    explicit Trackbar(QWidget* parent = nullptr);

    // A position outside the range is moved to the nearer end.
    void SetRange(int minimum, int maximum) { setRange(minimum, maximum); }
    void SetPos(int position) { setValue(position); }
    int GetPos() const { return value(); }
    void SetLineSize(int size) { setSingleStep(size); }
    void SetPageSize(int size) { setPageStep(size); }

  signals:
    void endTrack();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool mouseTracking_ = false;
};
