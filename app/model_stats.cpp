#include "app/model_stats.h"

#include "scene/model.h"

namespace vertigon {

namespace {

struct GeometryCounts {
    int64_t shapes = 0;
    int64_t vertices = 0;
    int64_t triangles = 0;
};

GeometryCounts CountLod(const Lod& lod) {
    GeometryCounts counts;
    counts.shapes = static_cast<int64_t>(lod.shapes.size());
    for (const Shape& shape : lod.shapes) {
        counts.vertices += shape.positionCount();
        for (const Batch& batch : shape.batches) counts.triangles += batch.triangleCount();
    }
    return counts;
}

}  // namespace

std::vector<StatLine> ModelStats(const Model& model) {
    GeometryCounts total;
    std::vector<StatLine> perLod;
    for (int32_t i = 0; i < model.lodCount(); ++i) {
        const Lod& lod = model.lods[static_cast<size_t>(i)];
        const GeometryCounts counts = CountLod(lod);
        total.shapes += counts.shapes;
        total.vertices += counts.vertices;
        total.triangles += counts.triangles;
        perLod.push_back({"Lod " + std::to_string(i) + " (" + lod.name + ")",
                          std::to_string(counts.shapes) + " shapes, " + std::to_string(counts.vertices) +
                              " vertices, " + std::to_string(counts.triangles) + " triangles"});
    }
    int64_t animations = 0;
    for (const AnimationGroup& group : model.animationGroups) animations += group.animationCount();

    std::vector<StatLine> lines = {
        {"Lods", std::to_string(model.lodCount())},
        {"Shapes", std::to_string(total.shapes)},
        {"Vertices", std::to_string(total.vertices)},
        {"Triangles", std::to_string(total.triangles)},
        {"Bones", std::to_string(model.boneCount())},
        {"Textures", std::to_string(model.textureCount())},
        {"Animation groups", std::to_string(model.animationGroupCount())},
        {"Animations", std::to_string(animations)},
    };
    lines.insert(lines.end(), perLod.begin(), perLod.end());
    return lines;
}

std::string TextureCaption(int32_t index, const Texture& texture) {
    return "Texture " + std::to_string(index) + ": " + std::to_string(texture.width) + " x " +
           std::to_string(texture.height);
}

bool SplitTexturePixels(const Texture& texture, std::vector<uint8_t>* rgb, std::vector<uint8_t>* alpha) {
    if (texture.width <= 0 || texture.height <= 0) return false;
    const uint64_t count = static_cast<uint64_t>(texture.width) * static_cast<uint64_t>(texture.height);
    if (texture.pixels.size() != count * 4) return false;
    rgb->resize(static_cast<size_t>(count) * 3);
    alpha->resize(static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &texture.pixels[i * 4];
        (*rgb)[i * 3 + 0] = p[2];
        (*rgb)[i * 3 + 1] = p[1];
        (*rgb)[i * 3 + 2] = p[0];
        (*alpha)[i] = p[3];
    }
    return true;
}

}  // namespace vertigon
