#include "export/FileForm.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>

namespace {

uint64_t Nothing(uint64_t, uint64_t) {
    return 0;
}

// The rendering (4 bytes a pixel) and the encoded file: its samples (3 bytes
// a pixel) and deflate's worst-case overhead of about a 64th.
uint64_t PictureBytes(uint64_t cells, uint64_t) {
    return 4 * cells + 3 * cells + cells / 64;
}

// The encoded file: 2 bytes a sample and deflate's overhead.
uint64_t HeightmapPngBytes(uint64_t cells, uint64_t) {
    return 2 * cells + cells / 64;
}

uint64_t HeightmapTiffBytes(uint64_t cells, uint64_t rows) {
    return rows == 0 ? 0 : TiffEncodingBytes(int32_t(cells / rows), int32_t(rows));
}

// The float samples and about as much again for the compressed scan lines.
uint64_t HeightmapExrBytes(uint64_t cells, uint64_t) {
    return 8 * cells;
}

// A mesh a cell: its vertex and two triangles (60 bytes), the simplifier's
// tables while it works (about 150) and the encoded file.
uint64_t GlbBytes(uint64_t cells, uint64_t) {
    return (60 + 150 + 60) * cells;
}

uint64_t StlBytes(uint64_t cells, uint64_t) {
    return (60 + 150 + 12 + 100) * cells;
}

uint64_t ObjBytes(uint64_t cells, uint64_t) {
    return (60 + 150 + 200) * cells;
}

// The drainage with its masks (counted with the layers), the outlines'
// bookkeeping and the text, a few dozen bytes a cell on a busy coast.
uint64_t GeoJsonBytes(uint64_t cells, uint64_t) {
    return 64 * cells;
}

// The GeoJSON's bookkeeping and SQLite's pages beside GDAL's geometries.
uint64_t GeoPackageBytes(uint64_t cells, uint64_t) {
    return 96 * cells;
}

// Messages list the extensions in this order.
constexpr FileForm forms[] = {
    {FileFormId::Map, FormGroup::MapFile, ".ld",
     "map file: seed, settings, concentration points, water level and heights", &Nothing},
    {FileFormId::Raw, FormGroup::MapFile, ".dat",
     "raw data file: the grid's size, heights and concentration points", &Nothing},
    {FileFormId::Picture, FormGroup::Picture, ".png", "picture, 8-bit RGB, one pixel per cell",
     &PictureBytes},
    {FileFormId::HeightmapPng, FormGroup::Heightmap, ".png",
     "heightmap, 16-bit greyscale PNG (height x 65535)", &HeightmapPngBytes},
    {FileFormId::HeightmapR16, FormGroup::Heightmap, ".r16",
     "heightmap, raw 16-bit little-endian samples", &Nothing},
    {FileFormId::HeightmapTiff, FormGroup::Heightmap, ".tif", "heightmap, 32-bit float TIFF",
     &HeightmapTiffBytes},
    {FileFormId::HeightmapExr, FormGroup::Heightmap, ".exr", "heightmap, 32-bit float EXR",
     &HeightmapExrBytes},
    // Meshes
    {FileFormId::MeshGlb, FormGroup::Mesh, ".glb",
     "mesh, binary glTF 2.0 in metres with normals, the picture as texture and the water",
     &GlbBytes},
    {FileFormId::MeshStl, FormGroup::Mesh, ".stl",
     "mesh, binary STL: a closed solid with a base, in millimetres", &StlBytes},
    {FileFormId::MeshObj, FormGroup::Mesh, ".obj",
     "mesh, Wavefront OBJ in metres with its .mtl and the picture as texture", &ObjBytes},
    // Vectors
    {FileFormId::VectorsGeoJson, FormGroup::Vectors, ".geojson",
     "shapes, GeoJSON in metres: land and lake polygons, river lines", &GeoJsonBytes},
    {FileFormId::VectorsGeoPackage, FormGroup::Vectors, ".gpkg",
     "shapes, GeoPackage: layers land, lakes and rivers in the map's coordinate system",
     &GeoPackageBytes},
};

bool InGroups(const FileForm& form, std::initializer_list<FormGroup> groups) {
    return std::find(groups.begin(), groups.end(), form.group) != groups.end();
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

constexpr bool InIdOrder() {
    for (size_t i = 0; i < std::size(forms); ++i)
        if (static_cast<size_t>(forms[i].id) != i)
            return false;
    return true;
}
static_assert(InIdOrder(), "FormOf looks a form up by its id");

}  // namespace

std::span<const FileForm> FileForms() {
    return forms;
}

const FileForm& FormOf(FileFormId id) {
    return forms[static_cast<size_t>(id)];
}

const FileForm* FormForPath(std::string_view path, std::initializer_list<FormGroup> groups) {
    const std::string extension = std::filesystem::path(path).extension().string();
    for (const FileForm& form : forms)
        if (InGroups(form, groups) && SameIgnoringCase(form.extension, extension))
            return &form;
    return nullptr;
}

std::vector<std::string_view> ExtensionsOf(std::initializer_list<FormGroup> groups) {
    std::vector<std::string_view> list;
    for (const FileForm& form : forms)
        if (InGroups(form, groups))
            list.push_back(form.extension);
    return list;
}

std::string ExtensionChoice(std::initializer_list<FormGroup> groups) {
    const std::vector<std::string_view> list = ExtensionsOf(groups);
    std::string text;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += i + 1 == list.size() ? " or " : ", ";
        text += list[i];
    }
    return text;
}

uint64_t TiffFileBytes(int32_t width, int32_t height) {
    // Header, samples and the directory with its strip tables (two words a
    // strip, a strip at least a row).
    return uint64_t(width) * uint64_t(height) * sizeof(float) + uint64_t(height) * 16 + 65536;
}

uint64_t TiffEncodingBytes(int32_t width, int32_t height) {
    // libtiff keeps each strip's offset and size as 64-bit words while writing.
    return TiffFileBytes(width, height) + uint64_t(width) * sizeof(float) + uint64_t(height) * 16;
}
