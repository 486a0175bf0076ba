// glenvar-cli shape on heights it did not grow: a grown map's heightmaps read
// back give the same samples and waters; an Int16 elevation model in a
// projected system comes out placed as it went in, as GDAL reads it back,
// with its NoData and its border kept; every damaged or hostile raster is
// refused naming the file, with nothing written.

#include "CliHarness.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace clitest;

// A raster as GDAL reads it: what a GIS would see.
struct GdalView {
    int width = 0, height = 0;
    double transform[6] = {};
    std::string wkt;
    bool hasNoData = false;
    double noData = 0;
    std::vector<double> values;
};

GdalView ReadWithGdal(const fs::path& path) {
    GDALAllRegister();
    GdalView v;
    GDALDatasetH d = GDALOpen(path.c_str(), GA_ReadOnly);
    if (d == nullptr)
        return v;
    v.width = GDALGetRasterXSize(d);
    v.height = GDALGetRasterYSize(d);
    GDALGetGeoTransform(d, v.transform);
    v.wkt = GDALGetProjectionRef(d);
    GDALRasterBandH band = GDALGetRasterBand(d, 1);
    int has = 0;
    v.noData = GDALGetRasterNoDataValue(band, &has);
    v.hasNoData = has != 0;
    v.values.resize(size_t(v.width) * size_t(v.height));
    if (GDALRasterIO(band, GF_Read, 0, 0, v.width, v.height, v.values.data(), v.width, v.height,
                     GDT_Float64, 0, 0) != CE_None)
        v.values.clear();
    GDALClose(d);
    return v;
}

// Writes a one-band raster through GDAL, as a GIS would have made it.
void WriteRaster(const fs::path& path, int w, int h, GDALDataType type,
                 const std::vector<double>& values, const double* noData = nullptr,
                 const char* epsg = nullptr) {
    GDALAllRegister();
    GDALDatasetH d = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), w, h, 1, type, nullptr);
    ASSERT_NE(d, nullptr);
    const double transform[6] = {500000, 30, 0, 5200000, 0, -30};
    GDALSetGeoTransform(d, const_cast<double*>(transform));
    if (epsg) {
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRSetFromUserInput(srs, epsg);
        char* wkt = nullptr;
        OSRExportToWkt(srs, &wkt);
        GDALSetProjection(d, wkt);
        CPLFree(wkt);
        OSRDestroySpatialReference(srs);
    }
    GDALRasterBandH band = GDALGetRasterBand(d, 1);
    if (noData)
        GDALSetRasterNoDataValue(band, *noData);
    ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, w, h, const_cast<double*>(values.data()), w, h,
                           GDT_Float64, 0, 0),
              CE_None);
    GDALClose(d);
}

// Hills in metres, some below the sea, and a NoData block touching no edge.
std::vector<double> Hills(int w, int h, double noData) {
    std::vector<double> z(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x - w / 2.0, dy = y - h / 2.0;
            z[size_t(y * w + x)] = std::round(400 - (dx * dx + dy * dy) / 12 +
                                              40 * std::sin(x / 5.0) * std::cos(y / 7.0));
        }
    for (int y = 10; y < 18; ++y)
        for (int x = 50; x < 62; ++x)
            z[size_t(y * w + x)] = noData;
    return z;
}

TEST(CliShape, AnElevationModelComesOutPlacedAsItWentIn) {
    ScratchDir dir;
    const int w = 90, h = 70;
    const double noData = -32768;
    const std::vector<double> z = Hills(w, h, noData);
    WriteRaster(dir / "dem.tif", w, h, GDT_Int16, z, &noData, "EPSG:32633");
    const RunResult run =
        RunCli({"shape", "dem.tif", "--rivers", "30", "--erode", "10", "--layer", "lakes=l.png",
                "--layer", "flow=f.tif", "--heightmap", "out.tif", "-o", "p.png"},
               dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const GdalView in = ReadWithGdal(dir / "dem.tif");
    for (const char* name : {"out.tif", "f.tif"}) {
        SCOPED_TRACE(name);
        const GdalView out = ReadWithGdal(dir / name);
        ASSERT_EQ(out.width, w);
        ASSERT_EQ(out.height, h);
        EXPECT_EQ(out.wkt, in.wkt);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(out.transform[i], in.transform[i]);
        EXPECT_TRUE(out.hasNoData);
        EXPECT_EQ(out.noData, noData);
        for (size_t i = 0; i < z.size(); ++i)
            ASSERT_EQ(out.values[i] == noData, z[i] == noData) << "cell " << i;
    }
    // Two threads write the same bytes.
    const RunResult two =
        RunCli({"shape", "dem.tif", "--rivers", "30", "--erode", "10", "--threads", "2", "--layer",
                "flow=f2.tif", "--heightmap", "out2.tif", "-o", "p2.png"},
               dir.path());
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(ReadBytes(dir / "out2.tif"), ReadBytes(dir / "out.tif"));
    EXPECT_EQ(ReadBytes(dir / "f2.tif"), ReadBytes(dir / "f.tif"));
    EXPECT_EQ(ReadBytes(dir / "p2.png"), ReadBytes(dir / "p.png"));
    // The sidecar and the report say what the heights were.
    const Bytes sidecar = ReadBytes(dir / "out.tif.json");
    const std::string sidecarText(sidecar.begin(), sidecar.end());
    EXPECT_NE(sidecarText.find("\"units\": \"metre\""), std::string::npos) << sidecarText;
    EXPECT_NE(sidecarText.find("\"samples\": \"heights in these units\""), std::string::npos);
    const RunResult info = RunCli({"info", "dem.tif", "--json"}, dir.path());
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("\"sampleType\":\"Int16\",\"units\":\"metre\",\"boundary\":\"open\""),
              std::string::npos)
        << info.out;
    // NoData cells are neither land nor sea: the figures count the 90 x 70 - 8 x 12 others.
    EXPECT_NE(info.out.find("\"cells\":6204,"), std::string::npos) << info.out;
    // Heights in metres again, the border as it was: erosion keeps an open edge.
    const GdalView out = ReadWithGdal(dir / "out.tif");
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y * w + x);
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                ASSERT_NEAR(out.values[i], z[i], 1e-3) << x << "," << y;
            }
            if (z[i] != noData) {
                ASSERT_LE(out.values[i], z[i] + 1e-3);
            }
        }
}

// The heightmap's samples as stored, whatever the form: PNG rows, raw words,
// the floats of a TIFF or an EXR (read through GDAL, or the bytes for .r16).
Bytes Samples(const fs::path& path) {
    const std::string ext = path.extension().string();
    if (ext == ".png") {
        PngImage image;
        return ReadPng(path, image) ? image.data : Bytes{};
    }
    if (ext == ".r16")
        return ReadBytes(path);
    const GdalView v = ReadWithGdal(path);
    Bytes bytes;
    for (const double d : v.values) {
        const float f = float(d);
        const auto* p = reinterpret_cast<const unsigned char*>(&f);
        bytes.insert(bytes.end(), p, p + sizeof f);
    }
    return bytes;
}

// The water figures of `info --json`, as written.
std::string WaterFigures(const std::string& json) {
    std::string figures;
    for (const char* key :
         {"\"riverCells\":", "\"lakeCount\":", "\"lakeCells\":", "\"landCells\":"}) {
        const size_t at = json.find(key);
        figures += at == std::string::npos ? "(none)" : json.substr(at, json.find(',', at) - at);
    }
    return figures;
}

TEST(CliShape, AGrownMapsHeightmapsReadBackAsTheyWere) {
    ScratchDir dir;
    const RunResult grown =
        RunCli(Small({"generate", "--seed", "11", "--rivers", "40", "--layer", "rivers=r.png",
                      "--layer", "lakes=l.png", "-o", "m.ld", "--heightmap", "h.png", "--heightmap",
                      "h.r16", "--heightmap", "h.tif"}),
               dir.path());
    ASSERT_EQ(grown.exitCode, 0) << grown.err;
    const RunResult info = RunCli({"info", "m.ld", "--json", "--rivers", "40"}, dir.path());
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char* form : {"png", "r16", "tif"}) {
        SCOPED_TRACE(form);
        const std::string in = std::string("h.") + form, out = std::string("back.") + form;
        const RunResult back =
            RunCli({"shape", in, "--boundary", "wrap", "--rivers", "40", "--layer", "rivers=r2.png",
                    "--layer", "lakes=l2.png", "--heightmap", out},
                   dir.path());
        ASSERT_EQ(back.exitCode, 0) << back.err;
        EXPECT_EQ(Samples(dir / out), Samples(dir / in));
        PngImage a, b;
        ASSERT_TRUE(ReadPng(dir / "r.png", a) && ReadPng(dir / "r2.png", b));
        EXPECT_EQ(a.data, b.data) << "the rivers differ";
        ASSERT_TRUE(ReadPng(dir / "l.png", a) && ReadPng(dir / "l2.png", b));
        EXPECT_EQ(a.data, b.data) << "the lakes differ";
        const RunResult figures =
            RunCli({"info", in, "--json", "--rivers", "40", "--boundary", "wrap"}, dir.path());
        ASSERT_EQ(figures.exitCode, 0) << figures.err;
        EXPECT_EQ(WaterFigures(figures.out), WaterFigures(info.out));
    }
    // GDAL reads no EXR: its heights go back out as a TIFF.
    const RunResult exr =
        RunCli(Small({"generate", "--seed", "11", "--heightmap", "h.exr"}), dir.path());
    ASSERT_EQ(exr.exitCode, 0) << exr.err;
    const RunResult back = RunCli({"shape", "h.exr", "--heightmap", "exr.tif"}, dir.path());
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(Samples(dir / "exr.tif"), Samples(dir / "h.tif"));
}

struct Refusal {
    const char* name;
    std::string file;
    std::vector<std::string> extra;
    const char* words;
};

TEST(CliShape, DamagedAndHostileRastersAreRefusedNamingTheFile) {
    ScratchDir dir;
    const double noData = -9999;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    WriteRaster(dir / "all-nodata.tif", 4, 3, GDT_Float32, std::vector<double>(12, noData),
                &noData);
    WriteRaster(dir / "flat.tif", 4, 3, GDT_Int16, std::vector<double>(12, 7.0));
    WriteRaster(dir / "thin.tif", 5, 1, GDT_Float32, {1, 2, 3, 4, 5});
    WriteRaster(dir / "nan.tif", 3, 3, GDT_Float32, {1, 2, 3, 4, nan, 6, 7, 8, 9});
    const double inside = 5;
    WriteRaster(dir / "nodata-inside.tif", 3, 3, GDT_Float32, {1, 2, 3, 4, 5, 6, 7, 8, 9}, &inside);
    WriteRaster(dir / "whole.tif", 64, 64, GDT_Float32, std::vector<double>(64 * 64, 3.0));
    Bytes whole = ReadBytes(dir / "whole.tif");
    whole.resize(whole.size() / 2);
    WriteBytes(dir / "truncated.tif", whole);
    WriteBytes(dir / "odd.r16", Bytes(7 * 5 * 2 + 1, 0));
    WriteBytes(dir / "huge.r16", Bytes(16, 0));
    WriteBytes(dir / "huge.r16.json",
               Bytes{'{', '"', 'w', 'i', 'd', 't', 'h', '"', ':', ' ', '9', '9',
                     '9', '9', '9', '9', ',', '"', 'h', 'e', 'i', 'g', 'h', 't',
                     '"', ':', ' ', '9', '9', '9', '9', '9', '9', '}'});
    WriteBytes(dir / "noise.tif", Bytes(300, 0x5A));
    const Refusal refusals[] = {
        {"all NoData", "all-nodata.tif", {}, "every cell is NoData"},
        {"flat", "flat.tif", {}, "the same height"},
        {"too small", "thin.tif", {}, "5 x 1"},
        {"NaN", "nan.tif", {}, "NaN"},
        {"NoData inside", "nodata-inside.tif", {}, "inside the range"},
        {"truncated", "truncated.tif", {}, "could not be read"},
        {"r16 size", "odd.r16", {"--size", "7x5"}, "bytes"},
        {"absurd sidecar", "huge.r16", {}, "outside 2 x 2"},
        {"no raster", "noise.tif", {}, "not a raster"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        Args args = {"shape", r.file, "-o", "p.png", "--heightmap", "h.tif"};
        args.insert(args.end(), r.extra.begin(), r.extra.end());
        const RunResult run = RunCli(args, dir.path());
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find(r.file), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(r.words), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "p.png"));
        EXPECT_FALSE(fs::exists(dir / "h.tif"));
    }
}

// A model whose header claims more cells than memory holds: refused by the
// memory check before a cell is read, however small the file.
TEST(CliShape, TheMemoryCheckCoversImports) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve more address space than the limit allows";
#endif
    ScratchDir dir;
    GDALAllRegister();
    const char* options[] = {"TILED=YES", "COMPRESS=DEFLATE", "SPARSE_OK=TRUE", nullptr};
    GDALDatasetH d = GDALCreate(GDALGetDriverByName("GTiff"), (dir / "vast.tif").c_str(), 30000,
                                30000, 1, GDT_Int16, const_cast<char**>(options));
    ASSERT_NE(d, nullptr);
    GDALClose(d);
    ASSERT_LT(fs::file_size(dir / "vast.tif"), uint64_t{1} << 20);
    const uint64_t gib = uint64_t{1} << 30;
    const RunResult run = RunCli({"shape", "vast.tif", "-o", "p.png"}, dir.path(), 0, 4 * gib);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("vast.tif: a 30000 x 30000 map needs about"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "p.png"));
}

}  // namespace
