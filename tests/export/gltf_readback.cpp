#include "tests/export/gltf_readback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

#include "render/skinning.h"
#include "scene/scene_graph.h"

namespace vertigon::testing {

namespace {

// Column-vector 4 x 4 matrices, m[row][column].
using M4 = std::array<std::array<double, 4>, 4>;

M4 Identity() {
    M4 m{};
    for (int i = 0; i < 4; ++i) m[i][i] = 1;
    return m;
}

M4 Multiply(const M4& a, const M4& b) {
    M4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r[i][j] += a[i][k] * b[k][j];
    return r;
}

M4 FromColumnMajor(const double* v) {
    M4 m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) m[r][c] = v[c * 4 + r];
    return m;
}

M4 Trs(const std::vector<double>& t, const std::vector<double>& q, const std::vector<double>& s) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    M4 m = Identity();
    m[0][0] = (1 - 2 * (y * y + z * z)) * s[0];
    m[0][1] = 2 * (x * y - w * z) * s[1];
    m[0][2] = 2 * (x * z + w * y) * s[2];
    m[1][0] = 2 * (x * y + w * z) * s[0];
    m[1][1] = (1 - 2 * (x * x + z * z)) * s[1];
    m[1][2] = 2 * (y * z - w * x) * s[2];
    m[2][0] = 2 * (x * z - w * y) * s[0];
    m[2][1] = 2 * (y * z + w * x) * s[1];
    m[2][2] = (1 - 2 * (x * x + y * y)) * s[2];
    for (int i = 0; i < 3; ++i) m[i][3] = t[i];
    return m;
}

Point Transform(const M4& m, const Point& p, double weight = 1) {
    Point r;
    for (int i = 0; i < 3; ++i) r[i] = weight * (m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3]);
    return r;
}

std::vector<double> Slerp(std::vector<double> a, std::vector<double> b, double f) {
    double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    if (dot < 0) {
        for (double& c : b) c = -c;
        dot = -dot;
    }
    double k0 = 1 - f, k1 = f;
    if (dot < 0.9999999) {
        const double theta = std::acos(dot);
        k0 = std::sin((1 - f) * theta) / std::sin(theta);
        k1 = std::sin(f * theta) / std::sin(theta);
    }
    std::vector<double> r(4);
    double n = 0;
    for (int i = 0; i < 4; ++i) n += (r[i] = k0 * a[i] + k1 * b[i]) * r[i];
    for (double& c : r) c /= std::sqrt(n);
    return r;
}

// The value of one animation sampler at `t` (held before the first and after the last key).
std::vector<double> Sample(const tinygltf::Model& gltf, const tinygltf::AnimationSampler& sampler, double t, bool rotation) {
    const std::vector<double> times = ReadAccessor(gltf, sampler.input);
    const std::vector<double> values = ReadAccessor(gltf, sampler.output);
    const size_t n = rotation ? 4 : 3;
    const auto key = [&](size_t i) { return std::vector<double>(values.begin() + i * n, values.begin() + (i + 1) * n); };
    if (t <= times.front()) return key(0);
    if (t >= times.back()) return key(times.size() - 1);
    const size_t i = static_cast<size_t>(std::upper_bound(times.begin(), times.end(), t) - times.begin()) - 1;
    const double f = (t - times[i]) / (times[i + 1] - times[i]);
    if (rotation) return Slerp(key(i), key(i + 1), f);
    std::vector<double> r(n);
    for (size_t c = 0; c < n; ++c) r[c] = values[i * n + c] + f * (values[(i + 1) * n + c] - values[i * n + c]);
    return r;
}

std::vector<M4> NodeWorlds(const tinygltf::Model& gltf, int animation, double seconds) {
    std::vector<std::vector<double>> t(gltf.nodes.size()), r(gltf.nodes.size()), s(gltf.nodes.size());
    for (size_t i = 0; i < gltf.nodes.size(); ++i) {
        const tinygltf::Node& node = gltf.nodes[i];
        t[i] = node.translation.empty() ? std::vector<double>{0, 0, 0} : node.translation;
        r[i] = node.rotation.empty() ? std::vector<double>{0, 0, 0, 1} : node.rotation;
        s[i] = node.scale.empty() ? std::vector<double>{1, 1, 1} : node.scale;
    }
    if (animation >= 0) {
        const tinygltf::Animation& a = gltf.animations.at(static_cast<size_t>(animation));
        for (const tinygltf::AnimationChannel& c : a.channels) {
            const tinygltf::AnimationSampler& sampler = a.samplers.at(static_cast<size_t>(c.sampler));
            const size_t node = static_cast<size_t>(c.target_node);
            if (c.target_path == "translation") t[node] = Sample(gltf, sampler, seconds, false);
            if (c.target_path == "rotation") r[node] = Sample(gltf, sampler, seconds, true);
            if (c.target_path == "scale") s[node] = Sample(gltf, sampler, seconds, false);
        }
    }
    std::vector<M4> worlds(gltf.nodes.size(), Identity());
    const std::function<void(int, const M4&)> visit = [&](int index, const M4& parent) {
        const tinygltf::Node& node = gltf.nodes.at(static_cast<size_t>(index));
        const size_t i = static_cast<size_t>(index);
        const M4 local = node.matrix.size() == 16 ? FromColumnMajor(node.matrix.data()) : Trs(t[i], r[i], s[i]);
        worlds[i] = Multiply(parent, local);
        for (int child : node.children) visit(child, worlds[i]);
    };
    for (int root : gltf.scenes.at(0).nodes) visit(root, Identity());
    return worlds;
}

}  // namespace

tinygltf::Model ReadGltf(const std::filesystem::path& file) {
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(
        [](tinygltf::Image* image, int, std::string*, std::string*, int, int, const unsigned char* bytes, int size,
           void*) {
            image->image.assign(bytes, bytes + size);
            return true;
        },
        nullptr);
    tinygltf::Model gltf;
    std::string error, warning;
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    const bool ok = extension == ".glb" ? loader.LoadBinaryFromFile(&gltf, &error, &warning, file.string())
                                        : loader.LoadASCIIFromFile(&gltf, &error, &warning, file.string());
    if (!ok || !error.empty()) throw std::runtime_error("tinygltf cannot read " + file.string() + ": " + error);
    return gltf;
}

std::vector<double> ReadAccessor(const tinygltf::Model& gltf, int index) {
    const tinygltf::Accessor& a = gltf.accessors.at(static_cast<size_t>(index));
    const tinygltf::BufferView& view = gltf.bufferViews.at(static_cast<size_t>(a.bufferView));
    const std::vector<unsigned char>& data = gltf.buffers.at(static_cast<size_t>(view.buffer)).data;
    const int components = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type));
    const int size = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(a.componentType));
    const size_t stride = view.byteStride ? view.byteStride : static_cast<size_t>(components * size);
    std::vector<double> out;
    for (size_t i = 0; i < a.count; ++i) {
        for (int c = 0; c < components; ++c) {
            const size_t at = view.byteOffset + a.byteOffset + i * stride + static_cast<size_t>(c * size);
            if (at + static_cast<size_t>(size) > data.size()) throw std::runtime_error("accessor outside its buffer");
            const unsigned char* p = &data[at];
            double v = 0;
            switch (a.componentType) {
                case TINYGLTF_COMPONENT_TYPE_FLOAT: { float f; std::memcpy(&f, p, 4); v = f; break; }
                case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: v = a.normalized ? p[0] / 255.0 : p[0]; break;
                case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                    uint16_t u; std::memcpy(&u, p, 2); v = a.normalized ? u / 65535.0 : u; break;
                }
                case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: { uint32_t u; std::memcpy(&u, p, 4); v = u; break; }
                default: throw std::runtime_error("unexpected component type");
            }
            out.push_back(v);
        }
    }
    return out;
}

std::vector<Corners3> GltfTriangles(const tinygltf::Model& gltf, int animation, double seconds, int mesh) {
    const std::vector<M4> worlds = NodeWorlds(gltf, animation, seconds);
    std::vector<Corners3> triangles;
    for (size_t n = 0; n < gltf.nodes.size(); ++n) {
        const tinygltf::Node& node = gltf.nodes[n];
        if (node.mesh < 0 || (mesh >= 0 && node.mesh != mesh)) continue;
        std::vector<M4> joints;
        if (node.skin >= 0) {
            const tinygltf::Skin& skin = gltf.skins.at(static_cast<size_t>(node.skin));
            const std::vector<double> ibm = ReadAccessor(gltf, skin.inverseBindMatrices);
            for (size_t j = 0; j < skin.joints.size(); ++j) {
                joints.push_back(Multiply(worlds.at(static_cast<size_t>(skin.joints[j])), FromColumnMajor(&ibm[j * 16])));
            }
        }
        for (const tinygltf::Primitive& p : gltf.meshes.at(static_cast<size_t>(node.mesh)).primitives) {
            const std::vector<double> positions = ReadAccessor(gltf, p.attributes.at("POSITION"));
            std::vector<Point> skinned(positions.size() / 3);
            for (size_t v = 0; v < skinned.size(); ++v) {
                const Point rest{positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
                if (node.skin < 0) {
                    skinned[v] = Transform(worlds[n], rest);
                    continue;
                }
                skinned[v] = {0, 0, 0};
                for (int set = 0; p.attributes.count("JOINTS_" + std::to_string(set)); ++set) {
                    const std::vector<double> j = ReadAccessor(gltf, p.attributes.at("JOINTS_" + std::to_string(set)));
                    const std::vector<double> w = ReadAccessor(gltf, p.attributes.at("WEIGHTS_" + std::to_string(set)));
                    for (size_t k = 0; k < 4; ++k) {
                        const Point q = Transform(joints.at(static_cast<size_t>(j[v * 4 + k])), rest, w[v * 4 + k]);
                        for (int c = 0; c < 3; ++c) skinned[v][static_cast<size_t>(c)] += q[static_cast<size_t>(c)];
                    }
                }
            }
            const std::vector<double> indices = ReadAccessor(gltf, p.indices);
            for (size_t i = 0; i + 2 < indices.size(); i += 3) {
                triangles.push_back({skinned.at(static_cast<size_t>(indices[i])), skinned.at(static_cast<size_t>(indices[i + 1])),
                                     skinned.at(static_cast<size_t>(indices[i + 2]))});
            }
        }
    }
    return triangles;
}

std::vector<Corners3> ViewerTriangles(Model& model, int lod, int group, int index, int redraws, float step,
                                      const std::function<void(std::vector<Bone>&)>& pose) {
    ModelEntry entry(model);
    if (group >= 0) entry.SelectAnimation(group, index);
    entry.Update(0.0f);
    for (int i = 0; i < redraws; ++i) entry.Update(step);
    if (pose) {
        pose(entry.bones);
        entry.poseDirty = true;
        entry.Update(0.0f);
    }
    std::vector<Corners3> triangles;
    const Lod& l = model.lods.at(static_cast<size_t>(lod));
    for (int32_t s : l.drawGroups.at(0).shapeIndices) {
        const Shape& shape = l.shapes.at(static_cast<size_t>(s));
        std::vector<Vec4> positions(static_cast<size_t>(shape.positionCount()));
        SkinPositions(shape, entry.bones, positions);
        for (const Batch& batch : shape.batches) {
            if (batch.materials.empty() || batch.materials[0].hidden) continue;
            for (const Triangle& t : batch.triangles) {
                Corners3 corners;
                for (int c = 0; c < 3; ++c) {
                    const Vec4& p = positions.at(static_cast<size_t>(t.positionIndex[c]));
                    corners[static_cast<size_t>(c)] = {p.x, p.y, p.z};
                }
                triangles.push_back(corners);
            }
        }
    }
    return triangles;
}

double LargestMismatch(const std::vector<Corners3>& viewer, const std::vector<Corners3>& file) {
    if (viewer.size() != file.size()) return std::numeric_limits<double>::infinity();
    const auto distance = [](const Point& a, const Point& b) {
        return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
    };
    double worst = 0;
    for (const Corners3& v : viewer) {
        double best = std::numeric_limits<double>::infinity();
        for (const Corners3& f : file) {
            for (int rotation = 0; rotation < 6; ++rotation) {
                double d = 0;
                for (int c = 0; c < 3; ++c) {
                    const int other = rotation < 3 ? (c + rotation) % 3 : (rotation - c) % 3;
                    d = std::max(d, distance(v[static_cast<size_t>(c)], f[static_cast<size_t>(other)]));
                }
                best = std::min(best, d);
            }
        }
        worst = std::max(worst, best);
    }
    return worst;
}

double Diagonal(const std::vector<Corners3>& triangles) {
    Point lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
    for (const Corners3& t : triangles)
        for (const Point& p : t)
            for (size_t c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], p[c]);
                hi[c] = std::max(hi[c], p[c]);
            }
    return std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) + (hi[2] - lo[2]) * (hi[2] - lo[2]));
}

int Validate(const std::vector<std::filesystem::path>& files, const std::vector<std::string>& allowedWarnings,
             std::string& report) {
    std::string command = "NODE_PATH='" VERTIGON_BINARY_DIR "/validator/node_modules' node '" VERTIGON_SOURCE_DIR
                          "/tests/export/validate.js'";
    for (const std::string& code : allowedWarnings) command += " --allow " + code;
    for (const std::filesystem::path& file : files) command += " '" + file.string() + "'";
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) report.append(chunk, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vertigon::testing
