#pragma once
// The writer of each file form (export/FileForm.h). Every one saves through
// SaveSafely, so a failure leaves the target as it was.

#include "export/FileForm.h"

#include <filesystem>
#include <string>
#include <vector>

class Archive;
class GEO_MakeLand;
class HeightWindow;
struct TiffPlacement;

// What the writers draw on: the terrain, and for the picture form its
// rendering encoded once (EncodePicturePng), however many files take it.
// Heightmaps come from `heights` when given (a closed grid or a tile),
// otherwise from the terrain's cells, and carry the recipe where their form
// has room for it.
struct ExportSource {
    const GEO_MakeLand& terrain;
    const std::vector<unsigned char>* picturePng = nullptr;
    const HeightWindow* heights = nullptr;
    std::string recipe = {};
    const TiffPlacement* placement = nullptr;  // float TIFFs as GeoTIFFs
};

// The form's file written through the archive (a staged output, a safe
// save). Throws a CommandFailure (FileFailure, or FailureKind::Encoding when a
// library refuses) or std::bad_alloc.
void WriteForm(const FileForm& form, const ExportSource& source, Archive& archive);

// Through SaveSafely: a failure leaves the target as it was.
void SaveForm(const FileForm& form, const ExportSource& source,
              const std::filesystem::path& target);
