#include "geo/GeoTiffFile.h"

#include "data/Failures.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "geo/GdalRaster.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace {

CommandFailure EncodingFailure(const std::string& what) {
    const char* message = CPLGetLastErrorMsg();
    return CommandFailure("GeoTIFF encoding failed: " + what +
                              (message && *message ? std::string(": ") + message : ""),
                          FailureKind::Encoding);
}

// A name in GDAL's memory file system no other encoding uses at the same time.
std::string MemoryName() {
    static std::atomic<uint64_t> counter{0};
    return "/vsimem/glenvar-" + std::to_string(counter.fetch_add(1)) + ".tif";
}

// The transform of the window's first sample: the grid's moved by its offset.
void WindowTransform(const TiffPlacement& p, const HeightWindow& w, double out[6]) {
    for (int i = 0; i < 6; ++i)
        out[i] = p.transform[i];
    out[0] = p.transform[0] + w.X0() * p.transform[1] + w.Y0() * p.transform[2];
    out[3] = p.transform[3] + w.X0() * p.transform[4] + w.Y0() * p.transform[5];
}

void Describe(GDALDatasetH d, GDALRasterBandH band, const HeightWindow& w,
              const std::string& recipe, const TiffPlacement& p) {
    double transform[6];
    WindowTransform(p, w, transform);
    if (GDALSetGeoTransform(d, transform) != CE_None)
        throw EncodingFailure("the geotransform");
    if (!p.crs.empty() && GDALSetProjection(d, p.crs.c_str()) != CE_None)
        throw EncodingFailure("the coordinate system");
    if (!recipe.empty())
        GDALSetMetadataItem(d, "TIFFTAG_IMAGEDESCRIPTION", recipe.c_str(), nullptr);
    // Baseline readers expect a resolution; the cell's size is the geotransform's.
    GDALSetMetadataItem(d, "TIFFTAG_XRESOLUTION", "1", nullptr);
    GDALSetMetadataItem(d, "TIFFTAG_YRESOLUTION", "1", nullptr);
    GDALSetMetadataItem(d, "TIFFTAG_RESOLUTIONUNIT", "1", nullptr);
    if (p.unitHeights)
        GDALSetMetadataItem(d, unitHeightsItem, "0..1", nullptr);
    if (p.noData && GDALSetRasterNoDataValue(band, *p.noData) != CE_None)
        throw EncodingFailure("the NoData value");
    if (p.scale != 1)
        GDALSetRasterScale(band, p.scale);
    if (!p.unit.empty())
        GDALSetRasterUnitType(band, p.unit.c_str());
}

void WriteRows(GDALRasterBandH band, const HeightWindow& w, const TiffPlacement& p) {
    std::vector<float> row(size_t(w.Width()));
    for (int32_t y = 0; y < w.Height(); ++y) {
        for (int32_t x = 0; x < w.Width(); ++x) {
            const bool hole = p.noData && w.Hole(x, y);
            row[size_t(x)] = static_cast<float>(hole ? *p.noData : p.base + w.At(x, y) * p.span);
        }
        if (GDALRasterIO(band, GF_Write, 0, y, w.Width(), 1, row.data(), w.Width(), 1, GDT_Float32,
                         0, 0) != CE_None)
            throw EncodingFailure("row " + std::to_string(y));
    }
}

std::vector<unsigned char> TakeMemoryFile(const std::string& name) {
    vsi_l_offset length = 0;
    GByte* data = VSIGetMemFileBuffer(name.c_str(), &length, FALSE);
    if (data == nullptr)
        throw EncodingFailure("the file was not made");
    std::vector<unsigned char> bytes;
    try {
        bytes.assign(data, data + length);
    } catch (...) {
        VSIUnlink(name.c_str());
        throw;
    }
    VSIUnlink(name.c_str());
    return bytes;
}

}  // namespace

std::string CrsWkt(const std::string& definition, const std::string& option) {
    PrepareGdal();
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    char* wkt = nullptr;
    const bool known = OSRSetFromUserInput(srs, definition.c_str()) == OGRERR_NONE &&
                       OSRExportToWkt(srs, &wkt) == OGRERR_NONE;
    std::string text = known && wkt ? wkt : "";
    CPLFree(wkt);
    OSRDestroySpatialReference(srs);
    if (text.empty())
        throw CommandFailure(option +
                                 ": expected a coordinate system GDAL knows (such as "
                                 "EPSG:32633), got \"" +
                                 definition + "\"",
                             FailureKind::Setting);
    return text;
}

std::vector<unsigned char> EncodeGeoTiff(const HeightWindow& heights, const std::string& recipe,
                                         const TiffPlacement& placement) {
    PrepareGdal();
    CPLErrorReset();
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    const std::string name = MemoryName();
    const char* options[] = {"PROFILE=GDALGeoTIFF", "COMPRESS=NONE", nullptr};
    GDALDatasetH d = GDALCreate(driver, name.c_str(), heights.Width(), heights.Height(), 1,
                                GDT_Float32, const_cast<char**>(options));
    if (d == nullptr)
        throw EncodingFailure("the file could not be made");
    try {
        GDALRasterBandH band = GDALGetRasterBand(d, 1);
        Describe(d, band, heights, recipe, placement);
        WriteRows(band, heights, placement);
    } catch (...) {
        GDALClose(d);
        VSIUnlink(name.c_str());
        throw;
    }
    GDALClose(d);
    return TakeMemoryFile(name);
}

void UseGeoTiffs() {
    SetTiffEncoder(&EncodeGeoTiff);
}
