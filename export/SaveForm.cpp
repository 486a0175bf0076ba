#include "export/SaveForm.h"

#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/Archive.h"
#include "data/SafeSave.h"
#include "export/HeightmapFile.h"
#include "export/PngFile.h"

#include <stdexcept>

void WriteForm(const FileForm& form, const ExportSource& source, Archive& archive) {
    const GEO_MakeLand& terrain = source.terrain;
    std::vector<unsigned char> bytes;
    switch (form.id) {
    case FileFormId::Map:
        StoreMapFile(terrain, MapFileKind::Map, archive);
        return;
    case FileFormId::Raw:
        StoreMapFile(terrain, MapFileKind::Raw, archive);
        return;
    case FileFormId::Picture:
        if (source.picturePng == nullptr)
            throw std::logic_error("a picture is saved from its encoded rendering");
        archive.Write(source.picturePng->data(), source.picturePng->size());
        return;
    case FileFormId::HeightmapPng:
        bytes = EncodeHeightmapPng(terrain);
        break;
    case FileFormId::HeightmapR16:
        WriteR16Rows(terrain, archive);
        return;
    case FileFormId::HeightmapTiff:
        bytes = EncodeHeightmapTiff(terrain);
        break;
    }
    archive.Write(bytes.data(), bytes.size());
}

void SaveForm(const FileForm& form, const ExportSource& source,
              const std::filesystem::path& target) {
    SaveSafely(target, [&form, &source](Archive& archive) { WriteForm(form, source, archive); });
}
