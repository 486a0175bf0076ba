#pragma once
// Every file form the tools write, each knowing its extension, what it holds,
// the memory its writing needs and (export/SaveForm.h) its writer. The front
// ends' checks, the memory estimate, the completion and the page all read
// this one list.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class FileFormId {
    Map,
    Raw,
    Picture,
    HeightmapPng,
    HeightmapR16,
    HeightmapTiff,
    HeightmapExr,
    // Meshes
    MeshGlb,
    MeshStl,
    MeshObj,
    // Vectors
    VectorsGeoJson,
    VectorsGeoPackage,
};

// Which option names files of the form: the map files and the picture are
// outputs (a loaded map is only rendered, so rendering takes pictures alone),
// heightmaps come one per --heightmap, meshes one per --mesh, shapes one
// per --vectors.
enum class FormGroup { MapFile, Picture, Heightmap, Mesh, Vectors };

struct FileForm {
    FileFormId id;
    FormGroup group;
    std::string_view extension;  // lower case, with its dot
    std::string_view description;
    // Bytes the writing holds beyond the grid, for `cells` cells in `rows` rows.
    uint64_t (*writingBytes)(uint64_t cells, uint64_t rows);
};

std::span<const FileForm> FileForms();

const FileForm& FormOf(FileFormId id);

// The form of `path` among `groups`, by its extension in any case; null when none.
const FileForm* FormForPath(std::string_view path, std::initializer_list<FormGroup> groups);

// ".ld", ".dat", ... in the list's order, for completion and messages.
std::vector<std::string_view> ExtensionsOf(std::initializer_list<FormGroup> groups);

// The extensions as a message reads them: ".ld, .dat or .png".
std::string ExtensionChoice(std::initializer_list<FormGroup> groups);

// The bytes the float TIFF writer reserves for its file; the memory estimate
// and the writer read the same figure.
uint64_t TiffFileBytes(int32_t width, int32_t height);
// Its peak beside the map: the file, a row of floats and libtiff's strip tables.
uint64_t TiffEncodingBytes(int32_t width, int32_t height);
