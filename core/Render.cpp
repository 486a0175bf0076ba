// Rendering, in one of three strategies: cell by cell for cells that do not
// form a grid of their size, row by row on this thread, or with a second
// thread colouring rows that this one copies into the picture (ColourJob).
// All three colour through core/CellColours.h, so they agree exactly.

#include "core/GEO_MakeLand.h"

#include "core/CellColours.h"
#include "core/RowColourer.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>

namespace {

using namespace colours;

void ReportCells(const ProgressSink& progress, GEO_MakeLand& terrain, int32_t cells) {
    ReportOrStop(progress, terrain, {ProgressPhase::Rendering, cells, terrain.GetSize()});
}

// Reports at cell indices that are multiples of 200, throttled.
class CellReporter {
  public:
    CellReporter(GEO_MakeLand& terrain, const ProgressSink& progress)
        : terrain_(terrain), progress_(progress) {}

    // Called once the cells [from, to) are in the picture.
    void Passed(int32_t from, int32_t to) {
        if (!progress_)
            return;
        for (int64_t i = (int64_t{from} + 199) / 200 * 200; i < to; i += 200)
            if (throttle_.Due())
                ReportCells(progress_, terrain_, static_cast<int32_t>(i));
    }

  private:
    GEO_MakeLand& terrain_;
    const ProgressSink& progress_;
    ProgressThrottle throttle_;
};

// Where the picture takes rows: its rows and columns that hold cells.
struct Target {
    Picture& picture;
    int32_t rows;
    int32_t columns;
};

// A grid whose size does not match its cells: cell by cell, every read checked.
void RenderCellByCell(const GEO_MakeLand& t, const Shape& s, bool showRegions, const Target& target,
                      CellReporter& reporter) {
    const int32_t n = t.GetSize();
    const int32_t pw = std::max(target.picture.width, 0);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t x = i % s.w;
        const int32_t y = i / s.w;
        if (x < pw && y < target.rows)
            target.picture.at(x, y) = PixelFromColorRef(t.CellColour(i, showRegions));
        reporter.Passed(i, i + 1);
    }
}

void RenderRows(const GEO_MakeLand& t, const Shape& s, bool showRegions, const Target& target,
                CellReporter& reporter) {
    RowColourer colourer(t, s, showRegions);
    for (int32_t y = 0; y < s.h; ++y) {
        if (y < target.rows)
            colourer.Row<true>(y, &target.picture.at(0, y), target.columns);
        reporter.Passed(y * s.w, (y + 1) * s.w);
    }
}

// The colouring thread's share of a two-thread rendering. Colours pass
// through a ring of rows rather than a buffer for every cell: a fresh buffer
// the size of the grid costs more in page faults than the colouring itself.
// `done` (cells coloured) is written only by the colouring thread and
// publishes rows; `copied` (rows taken) is written only by the calling thread
// and frees ring slots for reuse.
struct ColourJob {
    ColourJob(const GEO_MakeLand& terrain, Shape s, bool showRegions)
        : shape(s), colourer(terrain, s, showRegions),
          ringRows(std::clamp<int32_t>(ringCells / s.w, 2, std::max(s.h, 2))),
          ring(new COLORREF[size_t(ringRows) * size_t(s.w)]) {}

    static constexpr int32_t ringCells = 1 << 16;

    COLORREF* Slot(int32_t y) { return ring.get() + size_t(y % ringRows) * size_t(shape.w); }

    void Run() {
        for (int32_t y = 0; y < shape.h; ++y) {
            while (y - copied.load(std::memory_order_acquire) >= ringRows) {
                if (abandoned.load(std::memory_order_relaxed))
                    return;
                std::this_thread::yield();
            }
            colourer.Row<false>(y, Slot(y), shape.w);
            done.store((y + 1) * shape.w, std::memory_order_release);
        }
    }

    Shape shape;
    RowColourer colourer;
    int32_t ringRows;
    std::unique_ptr<COLORREF[]> ring;  // left uninitialised: every row is written before use
    std::atomic<int32_t> done{0};
    std::atomic<int32_t> copied{0};
    std::atomic<bool> abandoned{false};
};

// Joins the colouring thread however the rendering ends; a progress callback
// that throws leaves it waiting for ring slots, so it is told to stop.
struct JoinOnExit {
    std::thread& thread;
    ColourJob& job;
    ~JoinOnExit() {
        job.abandoned.store(true, std::memory_order_relaxed);
        if (thread.joinable())
            thread.join();
    }
};

void RenderTwoThreads(const GEO_MakeLand& t, const Shape& s, bool showRegions, const Target& target,
                      CellReporter& reporter) {
    std::unique_ptr<ColourJob> job;
    std::thread worker;
    try {
        job = std::make_unique<ColourJob>(t, s, showRegions);
        worker = std::thread([&job] { job->Run(); });
    } catch (const std::exception&) {
        // No memory or no thread to be had: the same picture on this thread.
        RenderRows(t, s, showRegions, target, reporter);
        return;
    }
    JoinOnExit joiner{worker, *job};
    // A row is copied only once the counter covers all of it.
    for (int32_t y = 0; y < s.h; ++y) {
        const int32_t end = (y + 1) * s.w;
        while (job->done.load(std::memory_order_acquire) < end)
            std::this_thread::yield();
        if (y < target.rows) {
            const COLORREF* src = job->Slot(y);
            uint32_t* dst = &target.picture.at(0, y);
            for (int32_t x = 0; x < target.columns; ++x)
                dst[x] = PixelFromColorRef(src[x]);
        }
        job->copied.store(y + 1, std::memory_order_release);
        reporter.Passed(y * s.w, end);
    }
}

}  // namespace

void GEO_MakeLand::Render(Picture& picture, bool showRegions, const ProgressSink& progress) {
    picture.Fill(blackPixel);
    ReportCells(progress, *this, 0);
    const int32_t n = GetSize();
    if (n == 0)
        return;

    const Shape s = ShapeOf(*this);
    const int32_t pw = std::max(picture.width, 0);
    const int32_t ph =
        pw == 0 ? 0
                : static_cast<int32_t>(std::min<size_t>(size_t(std::max(picture.height, 0)),
                                                        picture.pixels.size() / size_t(pw)));
    const Target target{picture, ph, std::min(s.w, pw)};
    CellReporter reporter(*this, progress);
    if (!s.exact)
        RenderCellByCell(*this, s, showRegions, target, reporter);
    else if (!twoThreads)
        RenderRows(*this, s, showRegions, target, reporter);
    else
        RenderTwoThreads(*this, s, showRegions, target, reporter);
    ReportCells(progress, *this, n);
}
