#include "geo/HeightReader.h"

#include "data/Failures.h"
#include "geo/ExrHeights.h"
#include "geo/GdalRaster.h"
#include "geo/RawHeights.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string Extension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

}  // namespace

bool IsMapFilePath(const std::string& path) {
    const std::string ext = Extension(path);
    return ext == ".ld" || ext == ".dat";
}

ImportedHeights ReadHeights(const std::string& path, const HeightReadOptions& options) {
    std::error_code error;
    // Only files: a GDAL path such as /vsicurl/… would reach the network.
    if (!std::filesystem::is_regular_file(path, error))
        throw CommandFailure(path + ": no such file, or not a regular file", FailureKind::File);
    const std::string ext = Extension(path);
    ImportedHeights imported;
    if (ext == ".r16")
        imported = ReadRawHeights(path, options);
    else if (ext == ".exr")
        imported = ReadExrHeights(path, options);
    else
        imported = ReadGdalRaster(path, options);
    CheckImported(imported);
    return imported;
}
