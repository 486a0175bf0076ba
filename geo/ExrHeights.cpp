#include "geo/ExrHeights.h"

#include "data/Failures.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>

#include <exception>
#include <vector>

namespace {

CommandFailure Refused(const std::string& path, const std::string& why) {
    return CommandFailure(path + ": " + why, FailureKind::File);
}

ImportedHeights ReadOpened(Imf::InputFile& file, const std::string& path,
                           const HeightReadOptions& options) {
    const Imf::Header& header = file.header();
    const Imath::Box2i window = header.dataWindow();
    const int64_t w = int64_t(window.max.x) - window.min.x + 1;
    const int64_t h = int64_t(window.max.y) - window.min.y + 1;
    if (w < 2 || h < 2 || w > maxImportSide || h > maxImportSide || w * h > maxImportCells)
        throw Refused(path, "a size of " + std::to_string(w) + " x " + std::to_string(h) +
                                " is outside 2 x 2 .. " + std::to_string(maxImportSide) +
                                " a side");
    const Imf::ChannelList& channels = header.channels();
    auto first = channels.begin();
    auto second = first;
    if (first == channels.end() || ++second != channels.end())
        throw Refused(path, "a heightmap has one channel; this EXR file has another number");
    if (options.checkSize)
        options.checkSize(int32_t(w), int32_t(h));
    std::vector<float> samples(size_t(w) * size_t(h));
    Imf::FrameBuffer frame;
    // The slice's origin is the data window's corner, as OpenEXR addresses it.
    char* origin = reinterpret_cast<char*>(samples.data()) -
                   (int64_t(window.min.x) + int64_t(window.min.y) * w) * int64_t(sizeof(float));
    frame.insert(first.name(),
                 Imf::Slice(Imf::FLOAT, origin, sizeof(float), sizeof(float) * size_t(w)));
    file.setFrameBuffer(frame);
    file.readPixels(window.min.y, window.max.y);
    ImportedHeights imported;
    imported.path = path;
    imported.sampleType = "Float32 EXR";
    imported.sampleBits = 32;
    imported.heights = AltitudeGrid(int32_t(w), int32_t(h));
    for (size_t i = 0; i < samples.size(); ++i)
        imported.heights.altitudes[i] = double(samples[i]);
    return imported;
}

}  // namespace

ImportedHeights ReadExrHeights(const std::string& path, const HeightReadOptions& options) {
    try {
        Imf::InputFile file(path.c_str());
        return ReadOpened(file, path, options);
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw Refused(path, std::string("not a readable EXR heightmap: ") + e.what());
    }
}
