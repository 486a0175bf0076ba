#include "geo/GdalRaster.h"

#include "data/Failures.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

namespace {

CommandFailure Refused(const std::string& path, const std::string& why) {
    return CommandFailure(path + ": " + why, FailureKind::File);
}

// Drivers of rasters that are one file of heights, as elevation models and
// heightmaps come.
const char* const allowedDrivers[] = {"GTiff", "COG",   "PNG",     "AAIGrid", "EHdr",
                                      "ENVI",  "HFA",   "SRTMHGT", "USGSDEM", "GSAG",
                                      "GSBG",  "GS7BG", "BT",      "XYZ",     nullptr};

std::string LastGdalError() {
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? std::string(": ") + message : std::string();
}

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

bool Contains(std::string text, const char* word) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text.find(word) != std::string::npos;
}

// A band's unit, as elevation models state it ("m", "metre", "ft", "US survey foot").
HeightUnits UnitsOf(GDALRasterBandH band) {
    const char* unit = GDALGetRasterUnitType(band);
    const std::string text = unit ? unit : "";
    if (Contains(text, "ft") || Contains(text, "foot") || Contains(text, "feet"))
        return HeightUnits::Feet;
    return HeightUnits::Metres;
}

bool SupportedType(GDALDataType type) {
    switch (type) {
    case GDT_Byte:
    case GDT_UInt16:
    case GDT_Int16:
    case GDT_UInt32:
    case GDT_Int32:
    case GDT_Float32:
    case GDT_Float64:
        return true;
    default:
        return false;
    }
}

void ReadGeoreference(GDALDatasetH dataset, Georeference& geo) {
    geo.placed = GDALGetGeoTransform(dataset, geo.transform) == CE_None;
    const char* wkt = GDALGetProjectionRef(dataset);
    geo.crs = wkt ? wkt : "";
}

void ReadRows(GDALRasterBandH band, const std::string& path, AltitudeGrid& g) {
    std::vector<double> row(size_t(g.width));
    for (int32_t y = 0; y < g.height; ++y) {
        if (GDALRasterIO(band, GF_Read, 0, y, g.width, 1, row.data(), g.width, 1, GDT_Float64, 0,
                         0) != CE_None)
            throw Refused(path,
                          "row " + std::to_string(y) + " could not be read" + LastGdalError());
        std::copy(row.begin(), row.end(), g.altitudes.begin() + int64_t(y) * g.width);
    }
}

// Cells holding the NoData value (NaN when that is the value) are marked.
void MarkNoData(AltitudeGrid& g, double noData) {
    g.noData.assign(g.altitudes.size(), 0);
    for (size_t i = 0; i < g.altitudes.size(); ++i)
        if (g.altitudes[i] == noData || (std::isnan(noData) && std::isnan(g.altitudes[i])))
            g.noData[i] = 1;
}

// A greyscale PNG is a heightmap of samples over their full range; a float
// raster with no coordinate system and every height within 0..1 is one of
// Glenvar's; everything else is an elevation model.
void ReadUnits(GDALDatasetH dataset, GDALRasterBandH band, ImportedHeights& imported) {
    const std::string driver = GDALGetDriverShortName(GDALGetDatasetDriver(dataset));
    const GDALDataType type = GDALGetRasterDataType(band);
    AltitudeGrid& g = imported.heights;
    if (driver == "PNG") {
        const double top = type == GDT_Byte ? 255.0 : 65535.0;
        for (double& v : g.altitudes)
            v /= top;
        imported.units = HeightUnits::Unitless;
        imported.sampleBits = type == GDT_Byte ? 8 : 16;
        imported.sampleType = std::string(GDALGetDataTypeName(type)) + " PNG";
        return;
    }
    imported.sampleType = GDALGetDataTypeName(type);
    imported.sampleBits = type == GDT_Float32 ? 32 : 64;
    if (GDALGetMetadataItem(dataset, "GLENVAR_HEIGHTS", nullptr) != nullptr) {
        imported.units = HeightUnits::Unitless;  // ours: the samples are the 0..1 heights
        return;
    }
    const bool floats = type == GDT_Float32 || type == GDT_Float64;
    bool unit = floats && imported.geo.crs.empty() && g.noData.empty();
    for (size_t i = 0; unit && i < g.altitudes.size(); ++i)
        unit = g.altitudes[i] >= 0.0 && g.altitudes[i] <= 1.0;
    imported.units = unit ? HeightUnits::Unitless : UnitsOf(band);
    if (unit)
        return;
    // An elevation model may store its heights scaled: the band says how.
    int hasScale = 0, hasOffset = 0;
    const double scale = GDALGetRasterScale(band, &hasScale);
    const double offset = GDALGetRasterOffset(band, &hasOffset);
    if ((hasScale && scale != 1) || (hasOffset && offset != 0))
        for (size_t i = 0; i < g.altitudes.size(); ++i)
            if (g.noData.empty() || !g.noData[i])
                g.altitudes[i] = g.altitudes[i] * scale + offset;
}

}  // namespace

void PrepareGdal() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

ImportedHeights ReadGdalRaster(const std::string& path, const HeightReadOptions& options) {
    PrepareGdal();
    CPLErrorReset();
    Dataset dataset(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, allowedDrivers,
                               nullptr, nullptr));
    if (!dataset)
        throw Refused(path, "not a raster of heights this tool reads" + LastGdalError());
    GDALDatasetH d = dataset.get();
    const int bands = GDALGetRasterCount(d);
    if (bands != 1)
        throw Refused(path, "a heightmap has one band; this raster has " + std::to_string(bands));
    GDALRasterBandH band = GDALGetRasterBand(d, 1);
    const GDALDataType type = GDALGetRasterDataType(band);
    if (!SupportedType(type))
        throw Refused(path, std::string("samples of type ") + GDALGetDataTypeName(type) +
                                " are no heights this tool reads");
    const int64_t w = GDALGetRasterXSize(d);
    const int64_t h = GDALGetRasterYSize(d);
    if (w < 2 || h < 2 || w > maxImportSide || h > maxImportSide || w * h > maxImportCells)
        throw Refused(path, "a size of " + std::to_string(w) + " x " + std::to_string(h) +
                                " is outside 2 x 2 .. " + std::to_string(maxImportSide) +
                                " a side");
    if (options.checkSize)
        options.checkSize(int32_t(w), int32_t(h));
    ImportedHeights imported;
    imported.path = path;
    imported.heights = AltitudeGrid(int32_t(w), int32_t(h));
    ReadGeoreference(d, imported.geo);
    ReadRows(band, path, imported.heights);
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    if (hasNoData) {
        imported.geo.noData = noData;
        MarkNoData(imported.heights, noData);
    }
    ReadUnits(d, band, imported);
    return imported;
}
