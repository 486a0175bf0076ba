#pragma once
// The writer of each file form (export/FileForm.h). Every one saves through
// SaveSafely, so a failure leaves the target as it was.

#include "export/FileForm.h"

#include <filesystem>
#include <vector>

class GEO_MakeLand;

// What the writers draw on: the terrain, and for the picture form its
// rendering encoded once (EncodePicturePng), however many files take it.
struct ExportSource {
    const GEO_MakeLand& terrain;
    const std::vector<unsigned char>* picturePng = nullptr;
};

class Archive;

// The form's bytes, written through the archive (a staged file, say).
void WriteForm(const FileForm& form, const ExportSource& source, Archive& archive);

// Throws FileFailure, PngFailure, HeightmapFailure or std::bad_alloc.
void SaveForm(const FileForm& form, const ExportSource& source,
              const std::filesystem::path& target);
