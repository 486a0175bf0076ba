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

void SaveForm(const FileForm& form, const ExportSource& source,
              const std::filesystem::path& target) {
    const GEO_MakeLand& terrain = source.terrain;
    auto heights = [&source] {
        return source.heights ? *source.heights : HeightWindow::OfCells(source.terrain);
    };
    switch (form.id) {
    case FileFormId::Map:
        SaveMapFile(terrain, target);
        return;
    case FileFormId::Raw:
        SaveRawFile(terrain, target);
        return;
    case FileFormId::Picture:
        if (source.picturePng == nullptr)
            throw std::logic_error("a picture is saved from its encoded rendering");
        SaveBytes(target, *source.picturePng);
        return;
    case FileFormId::HeightmapPng:
        SaveBytes(target, EncodeHeightmapPng(heights(), source.recipe));
        return;
    case FileFormId::HeightmapR16:
        SaveSafely(target, [&heights](Archive& archive) { WriteR16Rows(heights(), archive); });
        return;
    case FileFormId::HeightmapTiff:
        SaveBytes(target, EncodeHeightmapTiff(heights(), source.recipe));
        return;
    case FileFormId::HeightmapExr:
        SaveBytes(target, EncodeHeightmapExr(heights(), source.recipe));
        return;
    }
}
