#include "geo/GeoPackageFile.h"

#include "data/Failures.h"
#include "geo/GdalRaster.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <atomic>

namespace {

CommandFailure EncodingFailure(const std::string& what) {
    const char* message = CPLGetLastErrorMsg();
    return CommandFailure("GeoPackage encoding failed: " + what +
                              (message && *message ? std::string(": ") + message : ""),
                          FailureKind::Encoding);
}

std::string MemoryName() {
    static std::atomic<uint64_t> counter{0};
    return "/vsimem/glenvar-shapes-" + std::to_string(counter.fetch_add(1)) + ".gpkg";
}

// Owns what the C API hands out, so that every failure lets go of it.
struct Owned {
    GDALDatasetH dataset = nullptr;
    OGRSpatialReferenceH srs = nullptr;
    std::string name;
    ~Owned() {
        if (dataset)
            GDALClose(dataset);
        if (srs)
            OSRDestroySpatialReference(srs);
        if (!name.empty())
            VSIUnlink(name.c_str());
        CPLSetThreadLocalConfigOption("OGR_CURRENT_DATE", nullptr);
    }
};

void AddField(OGRLayerH layer, const char* name, OGRFieldType type,
              OGRFieldSubType subType = OFSTNone) {
    OGRFieldDefnH field = OGR_Fld_Create(name, type);
    OGR_Fld_SetSubType(field, subType);
    const OGRErr made = OGR_L_CreateField(layer, field, TRUE);
    OGR_Fld_Destroy(field);
    if (made != OGRERR_NONE)
        throw EncodingFailure(std::string("the field ") + name);
}

OGRLayerH AddLayer(GDALDatasetH d, const char* name, OGRwkbGeometryType type,
                   OGRSpatialReferenceH srs) {
    OGRLayerH layer = GDALDatasetCreateLayer(d, name, srs, type, nullptr);
    if (layer == nullptr)
        throw EncodingFailure(std::string("the layer ") + name);
    AddField(layer, "kind", OFTString);
    AddField(layer, "cutAtMapEdge", OFTInteger, OFSTBoolean);
    return layer;
}

OGRGeometryH LineOf(const std::vector<VectorPoint>& points, OGRwkbGeometryType type) {
    OGRGeometryH line = OGR_G_CreateGeometry(type);
    OGR_G_SetPointCount(line, int(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
        OGR_G_SetPoint_2D(line, int(i), points[i].x, points[i].y);
    return line;
}

// Takes the geometry; writes the feature the setter filled.
template <typename Fill> void AddFeature(OGRLayerH layer, OGRGeometryH geometry, Fill fill) {
    OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    OGR_F_SetGeometryDirectly(feature, geometry);
    fill(feature);
    const OGRErr added = OGR_L_CreateFeature(layer, feature);
    OGR_F_Destroy(feature);
    if (added != OGRERR_NONE)
        throw EncodingFailure(std::string("a feature of ") + OGR_L_GetName(layer));
}

void AddPolygons(GDALDatasetH d, const char* name, const char* kind,
                 const std::vector<VectorPolygon>& polygons, OGRSpatialReferenceH srs) {
    OGRLayerH layer = AddLayer(d, name, wkbPolygon, srs);
    for (const VectorPolygon& polygon : polygons) {
        OGRGeometryH geometry = OGR_G_CreateGeometry(wkbPolygon);
        for (const std::vector<VectorPoint>& ring : polygon.rings)
            OGR_G_AddGeometryDirectly(geometry, LineOf(ring, wkbLinearRing));
        AddFeature(layer, geometry, [&](OGRFeatureH f) {
            OGR_F_SetFieldString(f, 0, kind);
            OGR_F_SetFieldInteger(f, 1, polygon.cutAtMapEdge);
        });
    }
}

void AddRivers(GDALDatasetH d, const MapShapes& shapes, OGRSpatialReferenceH srs) {
    OGRLayerH layer = AddLayer(d, "rivers", wkbLineString, srs);
    AddField(layer, "strahler", OFTInteger);
    AddField(layer, "drainedCells", OFTInteger64);
    AddField(layer, "drainedAreaM2", OFTReal);
    AddField(layer, "lengthM", OFTReal);
    const double cellArea = shapes.cellMetres * shapes.cellMetres;
    for (const RiverReach& reach : shapes.rivers)
        AddFeature(layer, LineOf(reach.line, wkbLineString), [&](OGRFeatureH f) {
            OGR_F_SetFieldString(f, 0, "river");
            OGR_F_SetFieldInteger(f, 1, reach.cutAtMapEdge);
            OGR_F_SetFieldInteger(f, 2, reach.strahler);
            OGR_F_SetFieldInteger64(f, 3, reach.drainedCells);
            OGR_F_SetFieldDouble(f, 4, double(reach.drainedCells) * cellArea);
            OGR_F_SetFieldDouble(f, 5, reach.lengthMetres);
        });
}

}  // namespace

std::vector<unsigned char> EncodeGeoPackage(const MapShapes& shapes, const std::string& crs) {
    PrepareGdal();
    CPLErrorReset();
    // The file records when it was changed: a fixed date keeps the bytes the
    // same from run to run.
    Owned owned;
    CPLSetThreadLocalConfigOption("OGR_CURRENT_DATE", "2000-01-01T00:00:00.000Z");
    owned.name = MemoryName();
    GDALDriverH driver = GDALGetDriverByName("GPKG");
    if (driver == nullptr)
        throw EncodingFailure("GDAL has no GeoPackage driver");
    owned.dataset = GDALCreate(driver, owned.name.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (owned.dataset == nullptr)
        throw EncodingFailure("the file could not be made");
    if (!crs.empty()) {
        owned.srs = OSRNewSpatialReference(nullptr);
        if (OSRSetFromUserInput(owned.srs, crs.c_str()) != OGRERR_NONE)
            throw EncodingFailure("the coordinate system");
        OSRSetAxisMappingStrategy(owned.srs, OAMS_TRADITIONAL_GIS_ORDER);
    }
    AddPolygons(owned.dataset, "land", "land", shapes.land, owned.srs);
    AddPolygons(owned.dataset, "lakes", "lake", shapes.lakes, owned.srs);
    AddRivers(owned.dataset, shapes, owned.srs);
    GDALClose(owned.dataset);
    owned.dataset = nullptr;
    vsi_l_offset length = 0;
    GByte* data = VSIGetMemFileBuffer(owned.name.c_str(), &length, FALSE);
    if (data == nullptr)
        throw EncodingFailure("the file was not made");
    return std::vector<unsigned char>(data, data + length);
}

void UseGeoPackages() {
    SetGeoPackageEncoder(&EncodeGeoPackage);
}
