// What the page and the node tests reach of the module: the viewer (the desktop's viewer state
// over WebGL2), the loaders' checks on bytes, the program-image check and the command-line
// tool's `info`.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/model_stats.h"
#include "app/viewer_ids.h"
#include "app/viewer_state.h"
#include "cli/commands.h"
#include "cli/load_for_cli.h"
#include "formats/workspace.h"
#include "web/module/web_viewer.h"

namespace vertigon {

namespace {

using emscripten::val;

std::vector<uint8_t> BytesOf(const val& array) { return emscripten::convertJSArrayToNumberVector<uint8_t>(array); }

// A copy the page keeps after the module's memory moves.
val Uint8ArrayOf(const std::vector<uint8_t>& bytes) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<val>("slice");
}

// The toolbar switches by the page's element ids.
int SwitchId(const std::string& name) {
    if (name == "texture") return kIdTextureToggle;
    if (name == "blending") return kIdBlendingToggle;
    if (name == "flat") return kIdFlatToggle;
    if (name == "bones") return kIdBonesToggle;
    if (name == "wireframe") return kIdWireframeToggle;
    return 0;
}

bool SetSwitch(WebViewer& viewer, const std::string& name, bool on) { return viewer.state().SetSwitch(SwitchId(name), on); }
bool SwitchOn(WebViewer& viewer, const std::string& name) { return viewer.state().SwitchOn(SwitchId(name)); }

bool Motion(WebViewer& viewer, int x, int y, int width, int height, bool shift, bool left, bool middle) {
    OrbitMotion motion;
    motion.x = x;
    motion.y = y;
    motion.width = width;
    motion.height = height;
    motion.shift = shift;
    motion.left = left;
    motion.middle = middle;
    return viewer.state().Motion(motion);
}

int32_t LodCount(WebViewer& viewer) {
    const Model* model = viewer.state().currentModel();
    return model ? model->lodCount() : 0;
}
int32_t ShownLod(WebViewer& viewer) { return viewer.state().current() ? viewer.state().current()->lod : 0; }

int32_t ClipFrameCount(WebViewer& viewer) {
    const Animation* clip = viewer.state().clip();
    return clip ? ClipFrames(*clip) : 0;
}
int32_t ClipFrame(WebViewer& viewer) {
    const Animation* clip = viewer.state().clip();
    return clip ? CurrentFrame(*clip) : 0;
}

int32_t TextureCount(WebViewer& viewer) {
    const Model* model = viewer.state().currentModel();
    return model ? model->textureCount() : 0;
}
const Texture* TextureAt(WebViewer& viewer, int32_t index) {
    const Model* model = viewer.state().currentModel();
    if (!model || index < 0 || index >= model->textureCount()) return nullptr;
    return &model->textures[static_cast<size_t>(index)];
}
std::string TextureCaptionAt(WebViewer& viewer, int32_t index) {
    const Texture* texture = TextureAt(viewer, index);
    return texture ? TextureCaption(index, *texture) : std::string();
}
// R, G, B, A rows top to bottom, as a canvas's image data holds them; empty for a bad texture.
val TexturePixels(WebViewer& viewer, int32_t index) {
    const Texture* texture = TextureAt(viewer, index);
    std::vector<uint8_t> rgb, alpha;
    if (!texture || !SplitTexturePixels(*texture, &rgb, &alpha)) return Uint8ArrayOf({});
    std::vector<uint8_t> rgba(alpha.size() * 4);
    for (size_t i = 0; i < alpha.size(); ++i) {
        rgba[i * 4 + 0] = rgb[i * 3 + 0];
        rgba[i * 4 + 1] = rgb[i * 3 + 1];
        rgba[i * 4 + 2] = rgb[i * 3 + 2];
        rgba[i * 4 + 3] = alpha[i];
    }
    return Uint8ArrayOf(rgba);
}
int32_t TextureWidth(WebViewer& viewer, int32_t index) {
    const Texture* texture = TextureAt(viewer, index);
    return texture ? texture->width : 0;
}
int32_t TextureHeight(WebViewer& viewer, int32_t index) {
    const Texture* texture = TextureAt(viewer, index);
    return texture ? texture->height : 0;
}

val ReadPixels(WebViewer& viewer) { return Uint8ArrayOf(viewer.ReadPixels()); }

// Empty when the loader takes the bytes, otherwise its reason.
std::string LoadBytes(const std::string& loaderName, const val& file, const val& companion) {
    const std::vector<uint8_t> bytes = BytesOf(file);
    if (companion.isNull() || companion.isUndefined()) return LoadBytesReason(loaderName, bytes, nullptr);
    const std::vector<uint8_t> companionBytes = BytesOf(companion);
    return LoadBytesReason(loaderName, bytes, &companionBytes);
}

// Empty when the emulator accepts `image` as its program image (plain ELF, already inflated),
// otherwise why not.
std::string ProgramImageReason(const val& image) {
    StatusSink quiet([](std::string_view) {});
    quiet.SetEmulatorWriter([](std::string_view) {});
    Workspace workspace(BytesOf(image), std::move(quiet));
    return workspace.emulator().routines() ? std::string() : workspace.emulator().unavailableReason();
}

// The command-line tool's `info` with these arguments, run as the tool runs it (a wrong command
// line is said as the tool says it); its JSON goes to the module's print.
int RunInfoCommand(const val& args) {
    Arguments arguments{"info"};
    const int count = args["length"].as<int>();
    for (int i = 0; i < count; ++i) arguments.push_back(args[i].as<std::string>());
    return RunCommandLine(arguments, {InfoCommand()});
}

}  // namespace

EMSCRIPTEN_BINDINGS(vertigon) {
    using namespace emscripten;
    class_<WebViewer>("Viewer")
        .constructor<std::string>()
        .function("open", &WebViewer::Open)
        .function("setProgramImage", &WebViewer::SetProgramImage)
        .function("emulatorReady", &WebViewer::emulatorReady)
        .property("autoplay", &WebViewer::autoplay)
        .function("status", &WebViewer::status)
        .function("changes", &WebViewer::changes)
        .function("animationListJson", &WebViewer::animationListJson)
        .function("statsJson", &WebViewer::StatsJson)
        .function("resize", &WebViewer::Resize)
        .function("draw", &WebViewer::Draw)
        .function("readPixels", &ReadPixels)
        .function("width", &WebViewer::width)
        .function("height", &WebViewer::height)
        .function("exportGlb", &WebViewer::ExportGlb)
        .function("failure", &WebViewer::failure)
        .function("setSwitch", &SetSwitch)
        .function("switchOn", &SwitchOn)
        .function("motion", &Motion)
        .function("lodCount", &LodCount)
        .function("lod", &ShownLod)
        .function("selectLod", optional_override([](WebViewer& v, int32_t lod) { return v.state().SelectLod(lod); }))
        .function("selectAnimation", optional_override([](WebViewer& v, int32_t g, int32_t i) {
                      return v.state().SelectAnimation(g, i);
                  }))
        .function("zoom", optional_override([](WebViewer& v, int rotation) { v.state().Zoom(rotation); }))
        .function("turnDegrees", optional_override([](WebViewer& v, float yaw, float pitch) {
                      v.state().TurnDegrees(yaw, pitch);
                  }))
        .function("frameModel", optional_override([](WebViewer& v) { return v.state().FrameModel(); }))
        .function("resetView", optional_override([](WebViewer& v) { v.state().ResetView(); }))
        .function("hasModel", optional_override([](WebViewer& v) { return v.state().currentModel() != nullptr; }))
        .function("hasClip", optional_override([](WebViewer& v) { return v.state().clip() != nullptr; }))
        .function("playing", optional_override([](WebViewer& v) { return v.state().Playing(); }))
        .function("togglePause", optional_override([](WebViewer& v) { v.state().TogglePause(); }))
        .function("stepFrames", optional_override([](WebViewer& v, int32_t delta) { v.state().StepFrames(delta); }))
        .function("seekFrame", optional_override([](WebViewer& v, int32_t frame) { v.state().SeekFrame(frame); }))
        .function("setSpeed", optional_override([](WebViewer& v, float speed) { v.state().SetSpeed(speed); }))
        .function("setLoop", optional_override([](WebViewer& v, bool loop) { v.state().SetLoop(loop); }))
        .function("frames", &ClipFrameCount)
        .function("frame", &ClipFrame)
        .function("fileKind", optional_override([](WebViewer& v, const std::string& path) {
                      const LoaderRegistry* registry = v.state().registry();
                      return std::string(registry ? FileKindName(registry->FindFileKind(path)) : "none");
                  }))
        .function("currentPath", optional_override([](WebViewer& v) { return v.state().currentPath(); }))
        .function("neighbourPath", optional_override([](WebViewer& v, int delta) { return v.state().NeighbourPath(delta); }))
        .function("textureCount", &TextureCount)
        .function("textureCaption", &TextureCaptionAt)
        .function("textureWidth", &TextureWidth)
        .function("textureHeight", &TextureHeight)
        .function("texturePixels", &TexturePixels);
    function("loadBytes", &LoadBytes);
    function("programImageReason", &ProgramImageReason);
    function("runInfo", &RunInfoCommand);
}

}  // namespace vertigon
