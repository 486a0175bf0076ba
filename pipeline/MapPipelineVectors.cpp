// The shapes of MapPipeline: land, lakes and rivers of the shaped heights at
// the map's water level, traced from the same drainage the pictures and
// layers draw.

#include "pipeline/MapPipeline.h"

#include "data/Archive.h"
#include "data/OutputBatch.h"
#include "export/GeoJsonFile.h"
#include "export/TiffPlacement.h"

#include <memory>

void MapPipeline::AddVectors(OutputBatch& batch, const PipelineOutputs& outputs,
                             const PipelineProgress& progress) {
    if (outputs.vectors.empty())
        return;
    if (progress.step)
        progress.step("vectors");
    const MapWaters w = Waters(progress.stages);
    const AltitudeGrid& grid = *shaped_;
    // NoData cells hold no land and no lake: they lie outside every polygon,
    // so a block of them inland is a hole in the land.
    const std::vector<uint8_t>& noData = grid.noData;
    const auto absent = [&noData](size_t i) { return !noData.empty() && noData[i]; };
    std::vector<uint8_t> lakes = w.drained->lakes;
    std::vector<uint8_t> land(lakes.size());
    for (size_t i = 0; i < land.size(); ++i) {
        lakes[i] = lakes[i] && !absent(i);
        land[i] = grid.altitudes[i] > w.drained->level && !lakes[i] && !absent(i);
    }
    MapShapes shapes;
    shapes.cellMetres = settings_.recipe.cellSizeMetres;
    // A grown map wraps round: what reaches its edge goes on at the other.
    const bool wraps = grid.boundary == Boundary::Wrap;
    shapes.land = MaskPolygons(grid.width, grid.height, land, shapes.cellMetres, wraps);
    shapes.lakes = MaskPolygons(grid.width, grid.height, lakes, shapes.cellMetres, wraps);
    shapes.rivers = RiverReaches(w.drained->flow, *w.rivers, shapes.cellMetres);
    const TiffPlacement placement = Placement();
    // A grown map's shapes are already in its metres; moving them through its
    // transform would only round them.
    if (source_)
        PlaceShapes(shapes, placement.transform, grid.height);
    std::shared_ptr<const std::string> text;
    std::shared_ptr<const std::vector<unsigned char>> geoPackage;
    for (const FileOutput& out : outputs.vectors) {
        if (out.form == FileFormId::VectorsGeoPackage && !geoPackage) {
            const ShapesEncoder encode = InstalledGeoPackageEncoder();
            if (!encode)
                throw PipelineFailure(out.path + ": GeoPackage needs GDAL, which is not here; "
                                                 "write .geojson instead");
            geoPackage =
                std::make_shared<const std::vector<unsigned char>>(encode(shapes, placement.crs));
        } else if (out.form == FileFormId::VectorsGeoJson && !text) {
            text = std::make_shared<const std::string>(GeoJsonText(shapes));
        }
    }
    for (const FileOutput& out : outputs.vectors) {
        if (out.form == FileFormId::VectorsGeoPackage)
            batch.Add(out.path, [geoPackage](Archive& archive) {
                archive.Write(geoPackage->data(), geoPackage->size());
            });
        else
            batch.Add(out.path,
                      [text](Archive& archive) { archive.Write(text->data(), text->size()); });
    }
}
