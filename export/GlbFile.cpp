#include "export/GlbFile.h"

#include "data/Failures.h"
#include "export/FloatText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t arrayBuffer = 34962, elementArrayBuffer = 34963;
constexpr uint32_t floatComponent = 5126, unsignedInt = 5125;

// Shortest text that reads back as the same float, so that an accessor's
// bounds are exactly its values' bounds.
std::string FloatText(float value) {
    return ShortestFloatText(value);
}

void Append(std::vector<unsigned char>& out, const void* data, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    out.insert(out.end(), p, p + bytes);
}

void AppendWord(std::vector<unsigned char>& out, uint32_t word) {
    const unsigned char le[4] = {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16),
                                 uint8_t(word >> 24)};
    Append(out, le, 4);
}

// Floats and words in the machine's order, which glTF's little-endian is on
// every machine we build for.
static_assert(std::endian::native == std::endian::little);

class GltfBuilder {
  public:
    // A buffer view of the bytes, padded to four; its index.
    size_t View(const void* data, size_t bytes, uint32_t target) {
        views_ += Separator(views_) +
                  "{\"buffer\":0,\"byteOffset\":" + std::to_string(binary_.size()) +
                  ",\"byteLength\":" + std::to_string(bytes) +
                  (target ? ",\"target\":" + std::to_string(target) : std::string()) + "}";
        Append(binary_, data, bytes);
        binary_.resize((binary_.size() + 3) & ~size_t(3), 0);
        return viewCount_++;
    }

    size_t Accessor(const std::vector<float>& values, int components, bool bounds) {
        const size_t view = View(values.data(), values.size() * sizeof(float), arrayBuffer);
        std::string text = "{\"bufferView\":" + std::to_string(view) +
                           ",\"componentType\":" + std::to_string(floatComponent) +
                           ",\"count\":" + std::to_string(values.size() / size_t(components)) +
                           ",\"type\":\"" + (components == 3 ? "VEC3" : "VEC2") + "\"";
        if (bounds)
            text += ",\"min\":" + Bound(values, false) + ",\"max\":" + Bound(values, true);
        return AddAccessor(text + "}");
    }

    size_t Indices(const std::vector<uint32_t>& indices) {
        const size_t view =
            View(indices.data(), indices.size() * sizeof(uint32_t), elementArrayBuffer);
        return AddAccessor("{\"bufferView\":" + std::to_string(view) +
                           ",\"componentType\":" + std::to_string(unsignedInt) + ",\"count\":" +
                           std::to_string(indices.size()) + ",\"type\":\"SCALAR\"}");
    }

    void Mesh(const std::string& name, const TerrainMesh& mesh, int material) {
        const size_t position = Accessor(mesh.positions, 3, true);
        const size_t normal = Accessor(mesh.normals, 3, false);
        const size_t uv = Accessor(mesh.texCoords, 2, false);
        const size_t indices = Indices(mesh.indices);
        meshes_ += Separator(meshes_) + "{\"name\":\"" + name +
                   "\",\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(position) +
                   ",\"NORMAL\":" + std::to_string(normal) +
                   ",\"TEXCOORD_0\":" + std::to_string(uv) +
                   "},\"indices\":" + std::to_string(indices) +
                   ",\"material\":" + std::to_string(material) + "}]}";
        nodes_ += Separator(nodes_) + "{\"name\":\"" + name +
                  "\",\"mesh\":" + std::to_string(meshCount_++) + "}";
    }

    std::string Json(size_t pictureView) const {
        std::string scene;
        for (size_t i = 0; i < meshCount_; ++i)
            scene += (i ? "," : "") + std::to_string(i);
        return "{\"asset\":{\"version\":\"2.0\",\"generator\":\"glenvar\"},\"scene\":0,"
               "\"scenes\":[{\"nodes\":[" +
               scene + "]}],\"nodes\":[" + nodes_ + "],\"meshes\":[" + meshes_ +
               "],\"materials\":[{\"name\":\"land\",\"pbrMetallicRoughness\":{"
               "\"baseColorTexture\":{\"index\":0},\"metallicFactor\":0,\"roughnessFactor\":1}},"
               "{\"name\":\"water\",\"pbrMetallicRoughness\":{\"baseColorFactor\":"
               "[0.1,0.3,0.6,0.7],\"metallicFactor\":0,\"roughnessFactor\":0.2},"
               "\"alphaMode\":\"BLEND\"}],"
               "\"samplers\":[{\"magFilter\":9729,\"minFilter\":9729}],"
               "\"textures\":[{\"sampler\":0,\"source\":0}],"
               "\"images\":[{\"bufferView\":" +
               std::to_string(pictureView) +
               ",\"mimeType\":\"image/png\"}],"
               "\"accessors\":[" +
               accessors_ + "],\"bufferViews\":[" + views_ +
               "],\"buffers\":[{\"byteLength\":" + std::to_string(binary_.size()) + "}]}";
    }

    const std::vector<unsigned char>& Binary() const { return binary_; }

  private:
    static std::string Separator(const std::string& list) { return list.empty() ? "" : ","; }

    size_t AddAccessor(const std::string& text) {
        accessors_ += Separator(accessors_) + text;
        return accessorCount_++;
    }

    static std::string Bound(const std::vector<float>& xyz, bool highest) {
        std::string text = "[";
        for (size_t c = 0; c < 3; ++c) {
            float bound = xyz[c];
            for (size_t i = c; i < xyz.size(); i += 3)
                bound = highest ? std::max(bound, xyz[i]) : std::min(bound, xyz[i]);
            text += (c ? "," : "") + FloatText(bound);
        }
        return text + "]";
    }

    std::vector<unsigned char> binary_;
    std::string views_, accessors_, meshes_, nodes_;
    size_t viewCount_ = 0, accessorCount_ = 0, meshCount_ = 0;
};

}  // namespace

std::vector<unsigned char> EncodeGlb(const TerrainMesh& land, const TerrainMesh* water,
                                     const std::vector<unsigned char>& picturePng) {
    // The file's words count bytes in 32 bits: refused before anything is built.
    uint64_t estimate = picturePng.size() + 4096;
    for (const TerrainMesh* mesh : {&land, water})
        if (mesh)
            estimate += 32 * uint64_t(mesh->VertexCount()) + 4 * uint64_t(mesh->indices.size());
    if (estimate > UINT32_MAX)
        throw CommandFailure("a .glb file holds at most 4 GiB; this mesh would need " +
                                 std::to_string(estimate) + " bytes",
                             FailureKind::Encoding);
    GltfBuilder gltf;
    gltf.Mesh("land", land, 0);
    if (water)
        gltf.Mesh("water", *water, 1);
    const size_t pictureView = gltf.View(picturePng.data(), picturePng.size(), 0);
    std::string json = gltf.Json(pictureView);
    json.resize((json.size() + 3) & ~size_t(3), ' ');
    const std::vector<unsigned char>& binary = gltf.Binary();

    std::vector<unsigned char> out;
    out.reserve(12 + 8 + json.size() + 8 + binary.size());
    AppendWord(out, 0x46546C67);  // "glTF"
    AppendWord(out, 2);
    AppendWord(out, uint32_t(12 + 8 + json.size() + 8 + binary.size()));
    AppendWord(out, uint32_t(json.size()));
    AppendWord(out, 0x4E4F534A);  // "JSON"
    Append(out, json.data(), json.size());
    AppendWord(out, uint32_t(binary.size()));
    AppendWord(out, 0x004E4942);  // "BIN"
    Append(out, binary.data(), binary.size());
    return out;
}
