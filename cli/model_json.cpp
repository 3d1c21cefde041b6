#include "cli/model_json.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <zlib.h>

namespace vertigon {

namespace {

void WriteFloats(JsonWriter& json, std::initializer_list<float> values) {
    json.BeginArray();
    for (float v : values) json.Float(v);
    json.EndArray();
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

void WriteSingles(JsonWriter& json, const char* key, const std::vector<SkinEntry>& entries) {
    json.Key(key).BeginArray();
    for (const SkinEntry& e : entries) {
        json.BeginArray().Int(e.index).Int(e.bone);
        json.Float(e.value.x).Float(e.value.y).Float(e.value.z).Float(e.value.w);
        json.EndArray();
    }
    json.EndArray();
}

void WriteGroups(JsonWriter& json, const char* key, const std::vector<SkinGroup>& groups) {
    json.Key(key).BeginArray();
    for (const SkinGroup& g : groups) json.BeginArray().Int(g.index).Int(g.influenceCount).Int(g.firstInfluence).EndArray();
    json.EndArray();
}

void WriteInfluences(JsonWriter& json, const char* key, const std::vector<SkinEntry>& entries) {
    json.Key(key).BeginArray();
    for (const SkinEntry& e : entries) {
        json.BeginArray().Int(e.bone);
        json.Float(e.value.x).Float(e.value.y).Float(e.value.z).Float(e.value.w);
        json.EndArray();
    }
    json.EndArray();
}

void WriteTriangles(JsonWriter& json, const std::vector<Triangle>& triangles) {
    json.Key("triangles").BeginArray();
    for (const Triangle& t : triangles) {
        json.BeginArray();
        for (int32_t p : t.positionIndex) json.Int(p);
        for (int32_t n : t.normalIndex) json.Int(n);
        for (float u : t.u) json.Float(u);
        for (float v : t.v) json.Float(v);
        for (const auto& c : t.colour) json.String(ColourHex(c));
        json.EndArray();
    }
    json.EndArray();
}

void WriteMaterial(JsonWriter& json, const Material& m) {
    json.BeginObject();
    json.Key("textureIndex").Int(m.textureIndex);
    json.Key("lit").Bool(m.lit);
    json.Key("doubleSided").Bool(m.doubleSided);
    json.Key("translucent").Bool(m.translucent);
    json.Key("flag3").Bool(m.flag3);
    json.Key("hidden").Bool(m.hidden);
    json.Key("hasShaderSet").Bool(m.drawable);
    json.EndObject();
}

void WriteShape(JsonWriter& json, const Shape& shape, bool full) {
    json.BeginObject();
    json.Key("positionSingleCount").UInt(shape.positionSingles.size());
    json.Key("positionGroupCount").UInt(shape.positionGroups.size());
    json.Key("positionInfluenceCount").UInt(shape.positionInfluences.size());
    json.Key("normalSingleCount").UInt(shape.normalSingles.size());
    json.Key("normalGroupCount").UInt(shape.normalGroups.size());
    json.Key("normalInfluenceCount").UInt(shape.normalInfluences.size());
    if (full) {
        WriteSingles(json, "positionSingles", shape.positionSingles);
        WriteGroups(json, "positionGroups", shape.positionGroups);
        WriteInfluences(json, "positionInfluences", shape.positionInfluences);
        WriteSingles(json, "normalSingles", shape.normalSingles);
        WriteGroups(json, "normalGroups", shape.normalGroups);
        WriteInfluences(json, "normalInfluences", shape.normalInfluences);
    }
    json.Key("batches").BeginArray();
    for (const Batch& batch : shape.batches) {
        json.BeginObject();
        json.Key("triangleCount").Int(batch.triangleCount());
        json.Key("materials").BeginArray();
        for (const Material& m : batch.materials) WriteMaterial(json, m);
        json.EndArray();
        if (full) WriteTriangles(json, batch.triangles);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace

void WriteModelJson(JsonWriter& json, const Model& model, bool full) {
    json.BeginObject();
    json.Key("boneCount").Int(model.boneCount());
    json.Key("bones").BeginArray();
    for (const Bone& b : model.bones) {
        json.BeginObject();
        json.Key("parent").Int(b.parent);
        json.Key("translation");
        WriteFloats(json, {b.translation.x, b.translation.y, b.translation.z});
        json.Key("rotation");
        WriteFloats(json, {b.rotation.x, b.rotation.y, b.rotation.z, b.rotation.w});
        json.Key("scale");
        WriteFloats(json, {b.scale.x, b.scale.y, b.scale.z});
        json.EndObject();
    }
    json.EndArray();

    json.Key("textureCount").Int(model.textureCount());
    json.Key("paletteCount").Int(model.paletteCount());
    json.Key("textures").BeginArray();
    for (const Texture& t : model.textures) {
        json.BeginObject();
        json.Key("width").Int(t.width);
        json.Key("height").Int(t.height);
        json.Key("crc32").String(Crc32Hex(t.pixels));
        json.EndObject();
    }
    json.EndArray();

    json.Key("lodCount").Int(model.lodCount());
    json.Key("lods").BeginArray();
    for (const Lod& lod : model.lods) {
        json.BeginObject();
        json.Key("name").String(lod.name);
        json.Key("drawGroups").BeginArray();
        for (const DrawGroup& g : lod.drawGroups) {
            json.BeginArray();
            for (int32_t i : g.shapeIndices) json.Int(i);
            json.EndArray();
        }
        json.EndArray();
        json.Key("shapes").BeginArray();
        for (const Shape& shape : lod.shapes) WriteShape(json, shape, full);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();

    const Placement& p = model.placement;
    json.Key("placement").BeginObject();
    json.Key("position");
    WriteFloats(json, {p.position.x, p.position.y, p.position.z, p.position.w});
    json.Key("orientation");
    WriteFloats(json, {p.orientation.x, p.orientation.y, p.orientation.z, p.orientation.w});
    json.Key("scale");
    WriteFloats(json, {p.scale.x, p.scale.y, p.scale.z});
    json.EndObject();

    json.Key("animationGroups").BeginArray();
    for (const AnimationGroup& group : model.animationGroups) {
        json.BeginObject();
        json.Key("name").String(group.name);
        json.Key("animations").BeginArray();
        for (const auto& animation : group.animations) {
            json.BeginObject();
            if (animation) {
                json.Key("name").String(animation->GetName());
                json.Key("length").Float(animation->GetLength());
                json.Key("speed").Float(animation->speed);
            }
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace vertigon
