#include "export/SaveForm.h"

#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/Archive.h"
#include "data/SafeSave.h"
#include "export/ExrFile.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "export/PngFile.h"

#include <stdexcept>

namespace {

void WriteBytes(Archive& archive, const std::vector<unsigned char>& bytes) {
    archive.Write(bytes.data(), bytes.size());
}

}  // namespace

void WriteForm(const FileForm& form, const ExportSource& source, Archive& archive) {
    const GEO_MakeLand& terrain = source.terrain;
    auto heights = [&source] {
        return source.heights ? *source.heights : HeightWindow::OfCells(source.terrain);
    };
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
        WriteBytes(archive, *source.picturePng);
        return;
    case FileFormId::HeightmapPng:
        WriteBytes(archive, EncodeHeightmapPng(heights(), source.recipe));
        return;
    case FileFormId::HeightmapR16:
        WriteR16Rows(heights(), archive);
        return;
    case FileFormId::HeightmapTiff:
        WriteBytes(archive, EncodeHeightmapTiff(heights(), source.recipe, source.placement));
        return;
    case FileFormId::HeightmapExr:
        WriteBytes(archive, EncodeHeightmapExr(heights(), source.recipe));
        return;
    case FileFormId::MeshGlb:
    case FileFormId::MeshStl:
    case FileFormId::MeshObj:
    case FileFormId::VectorsGeoJson:
    case FileFormId::VectorsGeoPackage:
        break;
    }
    throw std::logic_error("meshes and shapes are written by the map pipeline");
}

void SaveForm(const FileForm& form, const ExportSource& source,
              const std::filesystem::path& target) {
    SaveSafely(target, [&](Archive& archive) { WriteForm(form, source, archive); });
}
