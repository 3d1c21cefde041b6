#include "cli/model_json.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <zlib.h>

namespace vertigon {

namespace {

Json Floats(std::initializer_list<float> values) {
    Json array = Json::array();
    for (float v : values) array.push_back(v);
    return array;
}

std::string Crc32Hex(const std::vector<uint8_t>& bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths as uInt; feed large buffers in pieces.
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t piece = std::min<size_t>(bytes.size() - done, 1u << 30);
        crc = crc32(crc, bytes.data() + done, static_cast<uInt>(piece));
        done += piece;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(crc));
    return text;
}

std::string ColourHex(const uint8_t (&colour)[4]) {
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", colour[0], colour[1], colour[2], colour[3]);
    return text;
}

Json Singles(const std::vector<SkinEntry>& entries) {
    Json list = Json::array();
    for (const SkinEntry& e : entries) {
        list.push_back({e.index, e.bone, e.value.x, e.value.y, e.value.z,
                        e.value.w});
    }
    return list;
}

Json Groups(const std::vector<SkinGroup>& groups) {
    Json list = Json::array();
    for (const SkinGroup& g : groups) list.push_back({g.index, g.influenceCount, g.firstInfluence});
    return list;
}

Json Influences(const std::vector<SkinEntry>& entries) {
    Json list = Json::array();
    for (const SkinEntry& e : entries) {
        list.push_back(
            {e.bone, e.value.x, e.value.y, e.value.z, e.value.w});
    }
    return list;
}

Json Triangles(const std::vector<Triangle>& triangles) {
    Json list = Json::array();
    for (const Triangle& t : triangles) {
        Json corners = Json::array();
        for (int32_t p : t.positionIndex) corners.push_back(p);
        for (int32_t n : t.normalIndex) corners.push_back(n);
        for (float u : t.u) corners.push_back(u);
        for (float v : t.v) corners.push_back(v);
        for (const auto& c : t.colour) corners.push_back(ColourHex(c));
        list.push_back(std::move(corners));
    }
    return list;
}

Json MaterialJson(const Material& m) {
    return {{"textureIndex", m.textureIndex}, {"lit", m.lit},       {"doubleSided", m.doubleSided},
            {"translucent", m.translucent},   {"flag3", m.flag3},   {"hidden", m.hidden},
            {"hasShaderSet", m.drawable}};
}

Json ShapeJson(const Shape& shape, bool full) {
    Json json = {{"positionSingleCount", shape.positionSingles.size()},
                 {"positionGroupCount", shape.positionGroups.size()},
                 {"positionInfluenceCount", shape.positionInfluences.size()},
                 {"normalSingleCount", shape.normalSingles.size()},
                 {"normalGroupCount", shape.normalGroups.size()},
                 {"normalInfluenceCount", shape.normalInfluences.size()}};
    if (full) {
        json["positionSingles"] = Singles(shape.positionSingles);
        json["positionGroups"] = Groups(shape.positionGroups);
        json["positionInfluences"] = Influences(shape.positionInfluences);
        json["normalSingles"] = Singles(shape.normalSingles);
        json["normalGroups"] = Groups(shape.normalGroups);
        json["normalInfluences"] = Influences(shape.normalInfluences);
    }
    Json batches = Json::array();
    for (const Batch& batch : shape.batches) {
        Json materials = Json::array();
        for (const Material& m : batch.materials) materials.push_back(MaterialJson(m));
        Json entry = {{"triangleCount", batch.triangleCount()}, {"materials", std::move(materials)}};
        if (full) entry["triangles"] = Triangles(batch.triangles);
        batches.push_back(std::move(entry));
    }
    json["batches"] = std::move(batches);
    return json;
}

Json AnimationGroupsJson(const Model& model) {
    Json groups = Json::array();
    for (const AnimationGroup& group : model.animationGroups) {
        Json animations = Json::array();
        for (const auto& animation : group.animations) {
            Json entry = Json::object();
            if (animation) {
                entry["name"] = animation->GetName();
                entry["length"] = animation->GetLength();
                entry["speed"] = animation->speed;
            }
            animations.push_back(std::move(entry));
        }
        groups.push_back({{"name", group.name}, {"animations", std::move(animations)}});
    }
    return groups;
}

}  // namespace

Json ModelJson(const Model& model, bool full) {
    Json bones = Json::array();
    for (const Bone& b : model.bones) {
        bones.push_back({{"parent", b.parent},
                         {"translation", Floats({b.translation.x, b.translation.y, b.translation.z})},
                         {"rotation", Floats({b.rotation.x, b.rotation.y, b.rotation.z, b.rotation.w})},
                         {"scale", Floats({b.scale.x, b.scale.y, b.scale.z})}});
    }
    Json textures = Json::array();
    for (const Texture& t : model.textures) {
        textures.push_back({{"width", t.width}, {"height", t.height}, {"crc32", Crc32Hex(t.pixels)}});
    }
    Json lods = Json::array();
    for (const Lod& lod : model.lods) {
        Json drawGroups = Json::array();
        for (const DrawGroup& g : lod.drawGroups) drawGroups.push_back(g.shapeIndices);
        Json shapes = Json::array();
        for (const Shape& shape : lod.shapes) shapes.push_back(ShapeJson(shape, full));
        lods.push_back({{"name", lod.name}, {"drawGroups", std::move(drawGroups)}, {"shapes", std::move(shapes)}});
    }
    const Placement& p = model.placement;
    const Json placement = {
        {"position", Floats({p.position.x, p.position.y, p.position.z, p.position.w})},
        {"orientation", Floats({p.orientation.x, p.orientation.y, p.orientation.z, p.orientation.w})},
        {"scale", Floats({p.scale.x, p.scale.y, p.scale.z})}};

    return {{"boneCount", model.boneCount()},     {"bones", std::move(bones)},
            {"textureCount", model.textureCount()}, {"paletteCount", model.paletteCount()},
            {"textures", std::move(textures)},     {"lodCount", model.lodCount()},
            {"lods", std::move(lods)},             {"placement", placement},
            {"animationGroups", AnimationGroupsJson(model)}};
}

}  // namespace vertigon
