#pragma once
// The terrain: generation parameters, concentration points and the grid of
// cells (the object's own array elements, row-major, wrapping at all edges).

#include "core/LandCell.h"
#include "core/Picture.h"
#include "core/ProgressSink.h"
#include "data/CObject.h"
#include "data/GrowableArray.h"
#include "data/PointArray.h"

#include <cstdint>

class GEO_LandCircleArray;
class GEO_MakeLand;
class NUM_Random;

class GEO_MakeLand : public GrowableArray<LandCell>, public CObject {
  public:
    GEO_MakeLand() = default;

    const RuntimeClass* GetRuntimeClass() const override;

    // Map file form; the store writes the marker, the load starts after it.
    void Serialize(Archive& archive) override;
    // Raw data form, likewise.
    void SerializeRaw(Archive& archive);

    // Grows a new grid from the parameters. With no source, defaultRandom. A
    // sink that says stop ends it with Stopped, and without a grid unless the
    // stop came with the last report (Done).
    void Generate(const GEO_LandCircleArray& landCircles, NUM_Random* source = nullptr,
                  const ProgressSink& progress = {});

    COLORREF CellColour(int32_t i, bool showRegions) const;
    // Fills the picture black, then colours cell i into pixel (i mod w, i div w).
    // A sink that says stop ends it with Stopped and the picture part-drawn.
    void Render(Picture& picture, bool showRegions, const ProgressSink& progress = {});

    Point WrapCell(int32_t x, int32_t y) const;
    Point NearestImage(int32_t px, int32_t py, int32_t x, int32_t y) const;
    // -1 without points; `image`, when given, receives the winning copy.
    int32_t NearestConcentrationPoint(int32_t x, int32_t y, Point* image = nullptr) const;

    // Everything but the cells (and the grid's own size, which goes with them).
    void CopyParametersFrom(const GEO_MakeLand& other);

    // The size the cells form a grid of: the grid's own size, or width x
    // height for cells set up by hand without one. When neither has positive
    // sides matching the cell count, the grid's own size, not forming a grid.
    // Without cells: width x height (the next grid's size), forming none.
    struct GridSize {
        int32_t width;
        int32_t height;
        bool formsGrid;
    };
    GridSize CellGridSize() const;

    uint64_t seed = 0;
    int32_t width = 1280;
    int32_t height = 1024;
    int32_t unitAmount = 150;
    double processAmount = 0.009999999776482582;  // 0.01f widened
    double waterLevel = 0.5;
    double concentrationRate = 0.20000000298023224;   // 0.2f widened
    double concentrationAmount = 0.4000000059604645;  // 0.4f widened
    int32_t concentrationPointCount = 4;
    PointArray concentrationPoints;
    int32_t keepRandomState = 0;
    int32_t manualPlacement = 0;
    int32_t progressTotal = 0;
    int32_t progressCount = 0;
    int32_t twoThreads = 0;

    // The size the cells were generated or loaded with (0 x 0 without cells).
    // Hand placement may change width/height before the cells follow; every
    // reader of the cells uses these.
    int32_t gridWidth = 0;
    int32_t gridHeight = 0;

    static const RuntimeClass classGEO_MakeLand;
};
