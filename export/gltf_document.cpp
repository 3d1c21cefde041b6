#include "export/gltf_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

#include "export/bind_mesh.h"
#include "export/float_range.h"
#include "image/image_error.h"
#include "image/png_codec.h"
#include "image/texture_pixels.h"
#include "export/pose_tracks.h"

namespace vertigon {

namespace {

constexpr double kShearLimit = 1e-4;
constexpr int64_t kFrameLimit = 100000;  // keys per keyframe clip, against absurd lengths
constexpr const char* kUnlitExtension = "KHR_materials_unlit";
constexpr const char* kPaths[3] = {"translation", "rotation", "scale"};

template <class Values>
bool AllFinite(const Values& values) {
    return std::ranges::all_of(values, [](auto v) { return std::isfinite(v); });
}

std::string Numbered(const char* prefix, size_t index) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%03zu", prefix, index);
    return text;
}

std::string FormatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// Appends data to the one buffer and describes it with buffer views and accessors.
class BufferWriter {
public:
    explicit BufferWriter(tinygltf::Model& gltf) : gltf_(gltf) {
        if (gltf_.buffers.empty()) gltf_.buffers.emplace_back();
    }

    int View(const void* bytes, size_t size, int target) {
        std::vector<unsigned char>& data = gltf_.buffers[0].data;
        data.resize((data.size() + 3) / 4 * 4, 0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = size;
        view.target = target;
        const auto* begin = static_cast<const unsigned char*>(bytes);
        data.insert(data.end(), begin, begin + size);
        gltf_.bufferViews.push_back(view);
        return static_cast<int>(gltf_.bufferViews.size() - 1);
    }

    int Accessor(int view, size_t offset, int componentType, int type, size_t count, bool normalized = false) {
        tinygltf::Accessor accessor;
        accessor.bufferView = view;
        accessor.byteOffset = offset;
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = count;
        accessor.normalized = normalized;
        gltf_.accessors.push_back(accessor);
        return static_cast<int>(gltf_.accessors.size() - 1);
    }

    // An accessor over its own view; floats get their bounds when asked.
    template <class T>
    int Attribute(const std::vector<T>& values, int componentType, int type, int components, int target,
                  bool normalized = false, bool bounds = false) {
        const int view = View(values.data(), values.size() * sizeof(T), target);
        const int accessor =
            Accessor(view, 0, componentType, type, values.size() / static_cast<size_t>(components), normalized);
        if (bounds) SetBounds(accessor, values, components);
        return accessor;
    }

    template <class T>
    void SetBounds(int accessor, const std::vector<T>& values, int components) {
        std::vector<double> lo(static_cast<size_t>(components), std::numeric_limits<double>::infinity());
        std::vector<double> hi(static_cast<size_t>(components), -std::numeric_limits<double>::infinity());
        for (size_t i = 0; i < values.size(); ++i) {
            const size_t c = i % static_cast<size_t>(components);
            lo[c] = std::min(lo[c], static_cast<double>(values[i]));
            hi[c] = std::max(hi[c], static_cast<double>(values[i]));
        }
        gltf_.accessors[static_cast<size_t>(accessor)].minValues = lo;
        gltf_.accessors[static_cast<size_t>(accessor)].maxValues = hi;
    }

private:
    tinygltf::Model& gltf_;
};

class DocumentBuilder {
public:
    DocumentBuilder(Model& model, const GltfExportOptions& options, ImageStorage storage, const std::string& imageStem)
        : model_(model), options_(options), storage_(storage), imageStem_(imageStem), buffer_(doc_.gltf) {}

    GltfDocument Build() {
        if (model_.bones.size() > 65535) {
            throw ExportError("the model has " + std::to_string(model_.bones.size()) + " bones; at most 65535 fit");
        }
        const std::vector<int32_t> lods = ChosenLods();
        CountWork();
        Tick();
        const MeshSet meshes = BuildMeshes(model_, lods);
        WarnAboutMeshes(meshes);
        AddAsset();
        AddNodes();
        AddSkin();
        AddMaterials(meshes);
        AddMeshes(meshes);
        AddAnimations();
        tinygltf::Scene scene;
        scene.name = doc_.gltf.nodes[0].name;
        scene.nodes = sceneNodes_;
        doc_.gltf.scenes.push_back(scene);
        doc_.gltf.defaultScene = 0;
        if (doc_.gltf.buffers[0].data.empty()) doc_.gltf.buffers.clear();
        if (options_.progress) options_.progress(static_cast<int32_t>(total_), static_cast<int32_t>(total_));
        return std::move(doc_);
    }

private:
    std::vector<int32_t> ChosenLods() const {
        std::vector<int32_t> lods;
        if (options_.allLods) {
            for (int32_t i = 0; i < model_.lodCount(); ++i) lods.push_back(i);
        } else if (model_.lodCount() > 0) {
            if (options_.lod < 0 || options_.lod >= model_.lodCount()) {
                throw ExportError("the model has no Lod " + std::to_string(options_.lod) + " (it has " +
                                  std::to_string(model_.lodCount()) + ")");
            }
            lods.push_back(options_.lod);
        }
        return lods;
    }

    // Which clips are exported, and how much work each is: one tick per sampled frame.
    void CountWork() {
        total_ = 1;
        int32_t leftOut = 0;
        for (size_t g = 0; g < model_.animationGroups.size(); ++g) {
            const AnimationGroup& group = model_.animationGroups[g];
            for (size_t a = 0; a < group.animations.size(); ++a) {
                Animation* animation = group.animations[a].get();
                if (!animation) continue;
                if (!animation->CanPlay() || model_.bones.empty()) {
                    ++leftOut;
                    continue;
                }
                const bool keyframed = dynamic_cast<KeyframeAnimation*>(animation) != nullptr;
                const int64_t frames = keyframed ? KeyframeClipFrames(*animation, kFrameLimit)
                                                 : std::max<int32_t>(options_.bakeFrames, 1);
                clips_.push_back({static_cast<int32_t>(g), static_cast<int32_t>(a), keyframed});
                total_ = std::min<int64_t>(total_ + frames, std::numeric_limits<int32_t>::max());
            }
        }
        if (leftOut > 0) {
            Warn(std::to_string(leftOut) + (leftOut == 1 ? " animation was" : " animations were") + " left out: " +
                 (model_.bones.empty() ? "the model has no bones" : "no EE program image to run them"));
        }
    }

    void Tick() {
        if (options_.progress && !options_.progress(static_cast<int32_t>(std::min(done_, total_)),
                                                   static_cast<int32_t>(total_))) {
            throw ExportCancelled();
        }
        ++done_;
    }

    void Warn(const std::string& line) const {
        if (options_.warn) options_.warn(line);
    }

    void WarnAboutMeshes(const MeshSet& meshes) const {
        if (meshes.truncatedVertices > 0) {
            Warn(std::to_string(meshes.truncatedVertices) +
                 " vertices have more than 8 bone influences; the 8 largest were kept");
        }
        if (meshes.nonFiniteVertices > 0) {
            Warn(std::to_string(meshes.nonFiniteVertices) +
                 " vertices hold numbers that are not finite; glTF cannot hold them, so they were written as 0");
        }
        if (meshes.disagreeingVertices > 0) {
            Warn("the bone influences of " + std::to_string(meshes.disagreeingVertices) +
                 " vertices disagree on where the vertex is, by up to " + FormatNumber(meshes.worstDisagreement) +
                 " (the model is " + FormatNumber(meshes.Diagonal()) + " across); their weighted sum was exported");
        }
    }

    void AddAsset() {
        tinygltf::Asset& asset = doc_.gltf.asset;
        asset.version = "2.0";
        asset.generator = GltfGenerator();
        tinygltf::Value::Object extras;
        if (!options_.sourceName.empty()) extras["source"] = tinygltf::Value(options_.sourceName);
        if (!options_.formatName.empty()) extras["format"] = tinygltf::Value(options_.formatName);
        if (!extras.empty()) asset.extras = tinygltf::Value(extras);
    }

    // False (and the node left at the identity) when a value is not finite.
    static bool SetTransform(tinygltf::Node& node, const NodeTransform& t) {
        if (!AllFinite(t.translation) || !AllFinite(t.rotation) || !AllFinite(t.scale)) return false;
        if (t.translation != std::array<double, 3>{0, 0, 0}) node.translation.assign(t.translation.begin(), t.translation.end());
        if (t.rotation != std::array<double, 4>{0, 0, 0, 1}) node.rotation.assign(t.rotation.begin(), t.rotation.end());
        if (t.scale != std::array<double, 3>{1, 1, 1}) node.scale.assign(t.scale.begin(), t.scale.end());
        return true;
    }

    // Node 0 holds the placement; nodes 1... the bones at their bind pose.
    void AddNodes() {
        const std::array<double, 16> baked = BakedPlacement(model_.placement).ColumnMajor();
        placementBaked_ = baked != Affine().ColumnMajor();
        std::vector<tinygltf::Node>& nodes = doc_.gltf.nodes;
        tinygltf::Node root;
        root.name = options_.sourceName.empty() ? "model" : std::filesystem::path(options_.sourceName).stem().string();
        const Affine placement = PlacementTransform(model_.placement);
        double shear = 0;
        const NodeTransform t = Decompose(placement, &shear);
        const std::array<double, 16> m = placement.ColumnMajor();
        if (!AllFinite(m)) {
            Warn("the model's placement is not finite numbers; it was left out");
        } else if (shear <= 1e-7) {
            SetTransform(root, t);
        } else {
            root.matrix.assign(m.begin(), m.end());
        }
        nodes.push_back(root);
        sceneNodes_.push_back(0);

        double worstShear = 0;
        int64_t nonFinite = 0;
        for (size_t k = 0; k < model_.bones.size(); ++k) {
            const Bone& bone = model_.bones[k];
            tinygltf::Node node;
            node.name = Numbered("bone_", k);
            double boneShear = 0;
            if (!SetTransform(node, Decompose(LocalTransform(bone), &boneShear))) ++nonFinite;
            worstShear = std::max(worstShear, boneShear);
            nodes.push_back(node);
            const bool hasParent = bone.parent >= 0 && static_cast<size_t>(bone.parent) < k;
            nodes[hasParent ? static_cast<size_t>(bone.parent) + 1 : 0].children.push_back(static_cast<int>(k + 1));
        }
        if (nonFinite > 0) {
            Warn(std::to_string(nonFinite) + " bones have a rest pose that is not finite numbers; they rest at their parent's place");
        }
        if (worstShear > kShearLimit) {
            Warn("the rest pose holds shear up to " + FormatNumber(worstShear) +
                 " that translation, rotation and scale cannot show");
        }
    }

    void AddSkin() {
        if (model_.bones.empty()) return;
        // The mesh holds the model placed, so each bind matrix undoes the placement too.
        const std::vector<Affine> worlds = BindWorlds(model_.bones, BakedPlacement(model_.placement));
        std::vector<float> matrices;
        int32_t singular = 0;
        tinygltf::Skin skin;
        for (size_t k = 0; k < worlds.size(); ++k) {
            Affine inverse;
            if (!worlds[k].Inverse(inverse)) ++singular;
            std::array<float, 16> columns;
            std::ranges::transform(inverse.ColumnMajor(), columns.begin(), ToFloat);
            if (!AllFinite(columns)) {
                ++singular;
                std::ranges::transform(Affine().ColumnMajor(), columns.begin(), ToFloat);
            }
            matrices.insert(matrices.end(), columns.begin(), columns.end());
            skin.joints.push_back(static_cast<int>(k + 1));
        }
        if (singular > 0) Warn(std::to_string(singular) + " bones collapse space at the rest pose; their skin is approximate");
        skin.inverseBindMatrices =
            buffer_.Attribute(matrices, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 16, 0);
        skin.skeleton = 0;
        skin.name = "skeleton";
        doc_.gltf.skins.push_back(skin);
    }

    int TextureFor(int32_t modelTexture) {
        const auto found = textures_.find(modelTexture);
        if (found != textures_.end()) return found->second;
        tinygltf::Model& gltf = doc_.gltf;
        if (gltf.samplers.empty()) {
            // The viewer samples linearly both ways, without mipmaps, and repeats.
            tinygltf::Sampler sampler;
            sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
            sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
            sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
            sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
            gltf.samplers.push_back(sampler);
        }
        const Texture& pixels = model_.textures[static_cast<size_t>(modelTexture)];
        std::vector<uint8_t> png;
        try {
            png = EncodePng(pixels.width, pixels.height, 4, SwapRedBlue(pixels.pixels));
        } catch (const ImageError& failure) {
            throw ExportError(failure.what());
        }
        tinygltf::Image image;
        image.name = Numbered("texture_", static_cast<size_t>(modelTexture));
        if (storage_ == ImageStorage::Embedded) {
            image.bufferView = buffer_.View(png.data(), png.size(), 0);
            image.mimeType = "image/png";
        } else {
            image.uri = imageStem_ + Numbered("_", static_cast<size_t>(modelTexture)) + ".png";
            doc_.images.push_back({image.uri, std::move(png)});
        }
        gltf.images.push_back(image);
        tinygltf::Texture texture;
        texture.sampler = 0;
        texture.source = static_cast<int>(gltf.images.size() - 1);
        gltf.textures.push_back(texture);
        const int index = static_cast<int>(gltf.textures.size() - 1);
        textures_[modelTexture] = index;
        return index;
    }

    void AddMaterials(const MeshSet& meshes) {
        bool unlit = false;
        for (size_t i = 0; i < meshes.materials.size(); ++i) {
            const MaterialLook& look = meshes.materials[i];
            tinygltf::Material material;
            material.name = Numbered("material_", i);
            // No metal and full roughness: the viewer's materials have no specular highlight.
            material.pbrMetallicRoughness.metallicFactor = 0.0;
            material.pbrMetallicRoughness.roughnessFactor = 1.0;
            if (look.texture >= 0) material.pbrMetallicRoughness.baseColorTexture.index = TextureFor(look.texture);
            material.alphaMode = look.translucent ? "BLEND" : "OPAQUE";
            material.doubleSided = look.doubleSided;
            if (!look.lit) {
                material.extensions[kUnlitExtension] = tinygltf::Value(tinygltf::Value::Object());
                unlit = true;
            }
            doc_.gltf.materials.push_back(material);
        }
        if (unlit) doc_.gltf.extensionsUsed.push_back(kUnlitExtension);
    }

    int AddPrimitiveIndices(const MeshPrimitive& p) {
        if (p.vertices.size() <= 65535) {
            std::vector<uint16_t> indices(p.indices.begin(), p.indices.end());
            return buffer_.Attribute(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR, 1,
                                     TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        }
        return buffer_.Attribute(p.indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, 1,
                                 TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    }

    void AddInfluences(const MeshPrimitive& p, tinygltf::Primitive& out) {
        const bool wide = model_.bones.size() > 256;
        for (int set = 0; set < p.influenceSets; ++set) {
            std::vector<uint8_t> narrow;
            std::vector<uint16_t> joints;
            std::vector<float> weights;
            for (const MeshVertex& v : p.vertices) {
                for (int k = 0; k < 4; ++k) {
                    const size_t slot = static_cast<size_t>(set * 4 + k);
                    // An unused slot names joint 0 with no weight.
                    const uint16_t joint = v.weights[slot] > 0 ? v.joints[slot] : 0;
                    (wide ? joints.push_back(joint) : narrow.push_back(static_cast<uint8_t>(joint)));
                    weights.push_back(v.weights[slot]);
                }
            }
            const std::string n = std::to_string(set);
            out.attributes["JOINTS_" + n] =
                wide ? buffer_.Attribute(joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, 4,
                                         TINYGLTF_TARGET_ARRAY_BUFFER)
                     : buffer_.Attribute(narrow, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, 4,
                                         TINYGLTF_TARGET_ARRAY_BUFFER);
            out.attributes["WEIGHTS_" + n] = buffer_.Attribute(weights, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                               TINYGLTF_TYPE_VEC4, 4, TINYGLTF_TARGET_ARRAY_BUFFER);
        }
    }

    void AddMeshes(const MeshSet& meshes) {
        for (const LodMesh& lod : meshes.meshes) {
            tinygltf::Mesh mesh;
            mesh.name = lod.name;
            for (const MeshPrimitive& p : lod.primitives) {
                std::vector<float> positions, normals, uvs;
                std::vector<uint8_t> colours;
                for (const MeshVertex& v : p.vertices) {
                    positions.insert(positions.end(), v.position.begin(), v.position.end());
                    normals.insert(normals.end(), v.normal.begin(), v.normal.end());
                    uvs.insert(uvs.end(), v.uv.begin(), v.uv.end());
                    colours.insert(colours.end(), v.colour.begin(), v.colour.end());
                }
                tinygltf::Primitive primitive;
                primitive.mode = TINYGLTF_MODE_TRIANGLES;
                primitive.material = p.material;
                primitive.attributes["POSITION"] = buffer_.Attribute(
                    positions, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, TINYGLTF_TARGET_ARRAY_BUFFER, false, true);
                if (p.hasNormals) {
                    primitive.attributes["NORMAL"] = buffer_.Attribute(normals, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                                       TINYGLTF_TYPE_VEC3, 3, TINYGLTF_TARGET_ARRAY_BUFFER);
                }
                primitive.attributes["TEXCOORD_0"] = buffer_.Attribute(uvs, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                                       TINYGLTF_TYPE_VEC2, 2, TINYGLTF_TARGET_ARRAY_BUFFER);
                primitive.attributes["COLOR_0"] =
                    buffer_.Attribute(colours, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, 4,
                                      TINYGLTF_TARGET_ARRAY_BUFFER, true);
                AddInfluences(p, primitive);
                primitive.indices = AddPrimitiveIndices(p);
                mesh.primitives.push_back(primitive);
            }
            doc_.gltf.meshes.push_back(mesh);
            tinygltf::Node node;
            node.name = lod.name;
            node.mesh = static_cast<int>(doc_.gltf.meshes.size() - 1);
            doc_.gltf.nodes.push_back(node);
            const int index = static_cast<int>(doc_.gltf.nodes.size() - 1);
            if (meshes.skinned) doc_.gltf.nodes.back().skin = 0;
            // The points are already placed, so the mesh is a scene root that inherits nothing
            // (a skinned one follows its joints alone anyway); a placement that could not be
            // baked in is applied by the placement node.
            if (meshes.skinned || placementBaked_) {
                sceneNodes_.push_back(index);
            } else {
                doc_.gltf.nodes[0].children.push_back(index);
            }
        }
    }

    void AddAnimations() {
        for (const Clip& c : clips_) {
            const AnimationGroup& group = model_.animationGroups[static_cast<size_t>(c.group)];
            Animation& animation = *group.animations[static_cast<size_t>(c.index)];
            const FrameTick tick = [this] { Tick(); };
            ClipKeys keys = c.keyframed ? SampleKeyframeClip(model_, animation, kFrameLimit, tick)
                                        : BakeClip(model_, c.group, c.index, std::max<int32_t>(options_.bakeFrames, 1), tick);
            const std::string name = group.name + "/" + keys.name;
            if (const std::optional<size_t> key = FirstNonFiniteKey(keys)) {
                Warn("animation " + name + " was left out: its pose at key " + std::to_string(*key) +
                     " holds numbers that are not finite, which glTF cannot hold");
                continue;
            }
            if (keys.worstShear > kShearLimit) {
                Warn("animation " + name + ": the bone matrices hold shear up to " + FormatNumber(keys.worstShear) +
                     " that translation, rotation and scale cannot show");
            }
            AddAnimation(name, keys);
        }
    }

    // The first key at which any bone's translation, rotation or scale is not finite.
    static std::optional<size_t> FirstNonFiniteKey(const ClipKeys& keys) {
        std::optional<size_t> first;
        for (const BoneKeys& bone : keys.bones) {
            for (const auto& [list, width] : {std::pair{&bone.translations, size_t{3}}, std::pair{&bone.rotations, size_t{4}},
                                              std::pair{&bone.scales, size_t{3}}}) {
                for (size_t i = 0; i < list->size(); ++i) {
                    if (!std::isfinite((*list)[i]) && (!first || i / width < *first)) first = i / width;
                }
            }
        }
        return first;
    }

    void AddAnimation(const std::string& name, const ClipKeys& keys) {
        // Every key list of the clip in one view: times, then per bone translations, rotations, scales.
        std::vector<float> data = keys.times;
        std::vector<size_t> offsets;
        for (const BoneKeys& bone : keys.bones) {
            for (const std::vector<float>* list : {&bone.translations, &bone.rotations, &bone.scales}) {
                offsets.push_back(data.size() * sizeof(float));
                data.insert(data.end(), list->begin(), list->end());
            }
        }
        const int view = buffer_.View(data.data(), data.size() * sizeof(float), 0);
        const size_t count = keys.times.size();
        const int input = buffer_.Accessor(view, 0, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, count);
        buffer_.SetBounds(input, keys.times, 1);
        tinygltf::Animation animation;
        animation.name = name;
        for (size_t b = 0; b < keys.bones.size(); ++b) {
            for (int path = 0; path < 3; ++path) {
                tinygltf::AnimationSampler sampler;
                sampler.input = input;
                sampler.output = buffer_.Accessor(view, offsets[b * 3 + static_cast<size_t>(path)],
                                                  TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                  path == 1 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, count);
                sampler.interpolation = "LINEAR";
                animation.samplers.push_back(sampler);
                tinygltf::AnimationChannel channel;
                channel.sampler = static_cast<int>(animation.samplers.size() - 1);
                channel.target_node = static_cast<int>(b + 1);
                channel.target_path = kPaths[path];
                animation.channels.push_back(channel);
            }
        }
        doc_.gltf.animations.push_back(animation);
    }

    struct Clip {
        int32_t group, index;
        bool keyframed;
    };

    Model& model_;
    const GltfExportOptions& options_;
    ImageStorage storage_;
    std::string imageStem_;
    GltfDocument doc_;
    BufferWriter buffer_;
    std::vector<int> sceneNodes_;
    bool placementBaked_ = false;  // the meshes hold the placement (one that is not the identity)
    std::map<int32_t, int> textures_;
    std::vector<Clip> clips_;
    int64_t total_ = 1;
    int64_t done_ = 0;
};

tinygltf::TinyGLTF Writer() {
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);
    return writer;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

GltfDocument BuildGltfDocument(Model& model, const GltfExportOptions& options, ImageStorage storage,
                               const std::string& imageStem) {
    return DocumentBuilder(model, options, storage, imageStem).Build();
}

std::vector<uint8_t> SerializeGlb(tinygltf::Model& gltf) {
    std::ostringstream stream;
    if (!Writer().WriteGltfSceneToStream(&gltf, stream, false, true)) throw ExportError("cannot serialise the glTF data");
    return Bytes(stream.str());
}

std::vector<uint8_t> SerializeGltfText(tinygltf::Model& gltf, const std::string& binName, std::vector<uint8_t>& bin) {
    bin.clear();
    if (!gltf.buffers.empty()) bin = std::move(gltf.buffers[0].data);
    // tinygltf writes a text document's buffers inline; the buffer goes out empty and is pointed
    // at its own file afterwards.
    std::ostringstream stream;
    const bool written = Writer().WriteGltfSceneToStream(&gltf, stream, false, false);
    if (!written) throw ExportError("cannot serialise the glTF data");
    nlohmann::json document = nlohmann::json::parse(stream.str());
    if (!bin.empty()) {
        document["buffers"][0]["uri"] = binName;
        document["buffers"][0]["byteLength"] = bin.size();
    }
    return Bytes(document.dump(2) + "\n");
}

}  // namespace vertigon
