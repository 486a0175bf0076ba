// OpenEXR writes through a stream object; ours collects the bytes in memory
// so the file is saved safely like every other form.

#include "export/ExrFile.h"

#include "data/Failures.h"
#include "export/HeightWindow.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfOutputFile.h>
#include <ImfStringAttribute.h>

#include <cstring>
#include <exception>

namespace {

class MemoryOut : public Imf::OStream {
  public:
    MemoryOut() : Imf::OStream("memory") {}
    void write(const char c[], int n) override {
        const size_t end = size_t(position_) + size_t(n);
        if (bytes.size() < end)
            bytes.resize(end);
        std::memcpy(bytes.data() + position_, c, size_t(n));
        position_ = end;
    }
    uint64_t tellp() override { return position_; }
    void seekp(uint64_t pos) override { position_ = pos; }

    std::vector<unsigned char> bytes;

  private:
    uint64_t position_ = 0;
};

}  // namespace

std::vector<unsigned char> EncodeHeightmapExr(const HeightWindow& heights,
                                              const std::string& recipe) {
    const int32_t w = heights.Width();
    const int32_t h = heights.Height();
    std::vector<float> samples(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            samples[size_t(y) * size_t(w) + size_t(x)] = static_cast<float>(heights.At(x, y));
    try {
        Imf::Header header(w, h);
        header.compression() = Imf::ZIP_COMPRESSION;
        header.channels().insert("Y", Imf::Channel(Imf::FLOAT));
        if (!recipe.empty())
            header.insert(exrRecipeAttribute, Imf::StringAttribute(recipe));
        MemoryOut out;
        {
            Imf::OutputFile file(out, header);
            Imf::FrameBuffer frame;
            frame.insert("Y", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(samples.data()),
                                         sizeof(float), sizeof(float) * size_t(w)));
            file.setFrameBuffer(frame);
            file.writePixels(h);
        }
        return std::move(out.bytes);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw CommandFailure(e.what(), FailureKind::Encoding);
    }
}
