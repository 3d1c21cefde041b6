// What the viewer's windows show, as data: the context menu, the animation list, the stats and
// texture captions, the command line, the animation clock and the about text.
#include <gtest/gtest.h>

#include "app/about_text.h"
#include "app/animation_list.h"
#include "app/command_line.h"
#include "app/context_menu_layout.h"
#include "app/frame_clock.h"
#include "app/model_stats.h"
#include "app/viewer_ids.h"
#include "scene/licence.h"
#include "scene/scene_graph.h"
#include "tests/fixtures/model_builder.h"

namespace vertigon {
namespace {

using Kind = MenuItemLayout::Kind;

// A model with `lodCount` Lods of one triangle each.
std::unique_ptr<Model> LodModel(int lodCount) {
    auto model = std::make_unique<Model>();
    model->bones.resize(1);
    for (int i = 0; i < lodCount; ++i) {
        testing::ShapeBuilder shape;
        const int32_t batch = shape.AddBatch(testing::MakeMaterial(false));
        const int32_t a = shape.AddPosition(0, 0, 0), b = shape.AddPosition(1, 0, 0), c = shape.AddPosition(0, 1, 0);
        shape.AddTriangle(batch, {a, b, c}, {0, 0, 0}, {{{0, 0}, {1, 0}, {0, 1}}});
        Lod lod;
        lod.shapes.push_back(shape.Take());
        lod.drawGroups.push_back({{0}});
        lod.name = "detail " + std::to_string(i);
        model->lods.push_back(std::move(lod));
    }
    return model;
}

class NamedAnimation final : public Animation {
public:
    explicit NamedAnimation(std::string_view text) { SetName(text); }
    void Apply(PoseTarget&) override {}
    float GetLength() const override { return 1.0f; }
};

void AddGroup(Model& model, const std::string& name, const std::vector<std::string>& animations) {
    AnimationGroup group;
    group.name = name;
    for (const std::string& text : animations) group.animations.push_back(std::make_unique<NamedAnimation>(text));
    model.animationGroups.push_back(std::move(group));
}

const MenuItemLayout& ItemWithLabel(const MenuLayout& menu, const std::string& label) {
    for (const MenuItemLayout& item : menu.items) {
        if (item.label == label) return item;
    }
    throw std::runtime_error("no item " + label);
}

TEST(ContextMenuLayout, AFreshEntryShowsTheTableInOrderWithTexturesAndBlendingTicked) {
    auto model = LodModel(1);
    model->lods[0].name = kDefaultLodName;
    ModelEntry entry(*model);
    const MenuLayout menu = BuildContextMenuLayout(&entry);
    EXPECT_EQ(menu.title, "test");
    ASSERT_EQ(menu.items.size(), 8u);
    const struct {
        int id;
        const char* label;
        const char* help;
        Kind kind;
        bool checked;
    } expected[] = {
        {11, "Texture", "Toggle current model texture", Kind::Check, true},
        {12, "Blending", "Toggle current model alpha blending", Kind::Check, true},
        {13, "Bones", "Toggle current model bones display", Kind::Check, false},
        {14, "Wireframe", "Toggle current model wireframe", Kind::Check, false},
        {0, "Shading", "Change current model shading mode", Kind::Submenu, false},
        {0, "LOD", "Change the LOD of the current model", Kind::Submenu, false},
        {17, "View textures", "Show the textures of current model", Kind::Normal, false},
        {18, "View stats", "Show the stats of current model", Kind::Normal, false},
    };
    for (size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItemLayout& item = menu.items[i];
        EXPECT_EQ(item.id, expected[i].id) << i;
        EXPECT_EQ(item.label, expected[i].label) << i;
        EXPECT_EQ(item.help, expected[i].help) << i;
        EXPECT_EQ(item.kind, expected[i].kind) << i;
        EXPECT_EQ(item.checked, expected[i].checked) << i;
        EXPECT_TRUE(item.enabled) << i << ": the viewers exist and every item acts while a model is shown";
    }
    const MenuItemLayout& shading = menu.items[4];
    ASSERT_EQ(shading.children.size(), 2u);
    EXPECT_EQ(shading.children[0].label, "Flat");
    EXPECT_EQ(shading.children[0].id, kIdMenuFlat);
    EXPECT_EQ(shading.children[0].kind, Kind::Radio);
    EXPECT_FALSE(shading.children[0].checked);
    EXPECT_EQ(shading.children[1].label, "Gouraud");
    EXPECT_TRUE(shading.children[1].checked) << "the shading shown is the one drawn";
    EXPECT_EQ(shading.children[1].help, "");

    const MenuItemLayout& lods = menu.items[5];
    ASSERT_EQ(lods.children.size(), 1u);
    EXPECT_EQ(lods.children[0].label, "Unamed shape");
    EXPECT_EQ(lods.children[0].help, "Change Lod");
}

TEST(ContextMenuLayout, TicksFollowTheEntryFlagsAndLod) {
    auto model = LodModel(3);
    ModelEntry entry(*model);
    entry.flags = FlagBones | FlagWireframe | FlagFlat;
    entry.lod = 2;
    const MenuLayout menu = BuildContextMenuLayout(&entry);
    EXPECT_FALSE(ItemWithLabel(menu, "Texture").checked);
    EXPECT_FALSE(ItemWithLabel(menu, "Blending").checked);
    EXPECT_TRUE(ItemWithLabel(menu, "Bones").checked);
    EXPECT_TRUE(ItemWithLabel(menu, "Wireframe").checked);
    EXPECT_TRUE(ItemWithLabel(menu, "Shading").children[0].checked) << "Flat";
    EXPECT_FALSE(ItemWithLabel(menu, "Shading").children[1].checked);

    const std::vector<MenuItemLayout>& lods = ItemWithLabel(menu, "LOD").children;
    ASSERT_EQ(lods.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lods[static_cast<size_t>(i)].id, 19 + i);
        EXPECT_EQ(lods[static_cast<size_t>(i)].label, "detail " + std::to_string(i));
        EXPECT_EQ(lods[static_cast<size_t>(i)].kind, Kind::Check);
        EXPECT_EQ(lods[static_cast<size_t>(i)].checked, i == 2);
    }
}

TEST(ContextMenuLayout, WithNoModelEveryItemIsShownDisabled) {
    const MenuLayout menu = BuildContextMenuLayout(nullptr);
    ASSERT_EQ(menu.items.size(), 8u);
    for (const MenuItemLayout& item : menu.items) {
        EXPECT_FALSE(item.enabled) << item.label;
        EXPECT_FALSE(item.checked) << item.label;
        for (const MenuItemLayout& child : item.children) EXPECT_FALSE(child.enabled) << child.label;
    }
    EXPECT_TRUE(ItemWithLabel(menu, "LOD").children.empty());
}

TEST(AnimationList, GroupsAndLeavesCarryTheirCountsAndIndices) {
    Model model;
    AddGroup(model, "a", {"walk", "run", "jump"});
    AddGroup(model, "b", {});
    const AnimationList list = BuildAnimationList(&model);
    EXPECT_EQ(list.rootText, "Animations (2)");
    ASSERT_EQ(list.groups.size(), 2u);
    EXPECT_EQ(list.groups[0].text, "a (3)");
    EXPECT_EQ(list.groups[1].text, "b (0)");
    EXPECT_TRUE(list.groups[1].leaves.empty());
    ASSERT_EQ(list.groups[0].leaves.size(), 3u);
    EXPECT_EQ(list.groups[0].leaves[2].text, "jump");
    EXPECT_EQ(list.groups[0].leaves[2].group, 0);
    EXPECT_EQ(list.groups[0].leaves[2].index, 2);
}

TEST(AnimationList, NoModelOrNoGroupsGivesNoAnimation) {
    EXPECT_EQ(BuildAnimationList(nullptr).rootText, "No animation");
    Model model;
    const AnimationList list = BuildAnimationList(&model);
    EXPECT_EQ(list.rootText, "No animation");
    EXPECT_TRUE(list.groups.empty());
}

TEST(AnimationList, NamesStopAtTheirBufferAndAtANul) {
    Model model;
    AddGroup(model, std::string("grp\0hidden", 10), {std::string(140, 'x')});
    model.animationGroups[0].animations.push_back(nullptr);
    const AnimationList list = BuildAnimationList(&model);
    EXPECT_EQ(list.groups[0].text, "grp (2)");
    EXPECT_EQ(list.groups[0].leaves[0].text, std::string(128, 'x')) << "at most the 128 characters of the name";
    EXPECT_EQ(list.groups[0].leaves[1].text, "") << "a missing clip keeps its place";
}

TEST(ModelStats, CountsTheWholeModelThenEachLod) {
    auto model = LodModel(2);
    model->bones.resize(3);
    model->textures.push_back(testing::SolidTexture(8, 4, {1, 2, 3, 4}));
    AddGroup(*model, "a", {"x", "y"});
    AddGroup(*model, "b", {"z"});
    const std::vector<StatLine> lines = ModelStats(*model);
    ASSERT_EQ(lines.size(), 10u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Lods", "2"},      {"Shapes", "2"},   {"Vertices", "6"},         {"Triangles", "2"},
        {"Bones", "3"},     {"Textures", "1"}, {"Animation groups", "2"}, {"Animations", "3"},
        {"Lod 0 (detail 0)", "1 shapes, 3 vertices, 1 triangles"},
        {"Lod 1 (detail 1)", "1 shapes, 3 vertices, 1 triangles"},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i].label, expected[i].first);
        EXPECT_EQ(lines[i].value, expected[i].second) << expected[i].first;
    }
}

TEST(ModelStats, TexturesShowTheirSizeAndSwapToRedGreenBlue) {
    const Texture texture = testing::SolidTexture(2, 1, {10, 20, 30, 40});
    EXPECT_EQ(TextureCaption(3, texture), "Texture 3: 2 x 1");
    std::vector<uint8_t> rgb, alpha;
    ASSERT_TRUE(SplitTexturePixels(texture, &rgb, &alpha));
    EXPECT_EQ(rgb, (std::vector<uint8_t>{10, 20, 30, 10, 20, 30}));
    EXPECT_EQ(alpha, (std::vector<uint8_t>{40, 40}));

    Texture truncated = texture;
    truncated.pixels.pop_back();
    EXPECT_FALSE(SplitTexturePixels(truncated, &rgb, &alpha)) << "pixels that do not fill the size";
    Texture empty;
    EXPECT_FALSE(SplitTexturePixels(empty, &rgb, &alpha));
}

TEST(CommandLine, PathsAreKeptInOrderAndOptionsAreNamed) {
    ViewerOptions options;
    std::string error;
    ASSERT_TRUE(ParseViewerCommandLine({"a.ffb", "--report-startup", "b.raw", "--", "-odd.raw", "--help"}, &options,
                                       &error));
    EXPECT_EQ(options.paths, (std::vector<std::string>{"a.ffb", "b.raw", "-odd.raw", "--help"}));
    EXPECT_TRUE(options.reportStartup);
    EXPECT_FALSE(options.help) << "after -- every argument is a path";

    ASSERT_TRUE(ParseViewerCommandLine({}, &options, &error));
    EXPECT_TRUE(options.paths.empty());
    ASSERT_TRUE(ParseViewerCommandLine({"-h"}, &options, &error));
    EXPECT_TRUE(options.help);
    ASSERT_TRUE(ParseViewerCommandLine({"-"}, &options, &error)) << "a lone dash is a path";

    EXPECT_FALSE(ParseViewerCommandLine({"--fullscreen"}, &options, &error));
    EXPECT_EQ(error, "unknown option '--fullscreen'");
    EXPECT_NE(ViewerUsage().find("--report-startup"), std::string::npos);

    ASSERT_TRUE(ParseViewerCommandLine({"--ee-image", "/games/kh.elf", "a.mdls"}, &options, &error));
    EXPECT_EQ(options.eeImagePath, "/games/kh.elf");
    EXPECT_EQ(options.paths, (std::vector<std::string>{"a.mdls"}));
    EXPECT_FALSE(ParseViewerCommandLine({"a.mdls", "--ee-image"}, &options, &error));
    EXPECT_EQ(error, "--ee-image needs a value (PATH)");

    EXPECT_TRUE(AsksForHelp({"a.ffb", "--help"}));
    EXPECT_FALSE(AsksForHelp({"--", "-h"}));
    EXPECT_FALSE(AsksForHelp({"a.ffb"}));
}

TEST(FrameClock, OneStepPerTwentyFiveMillisecondsAcrossACounterWrap) {
    FrameClock clock(1000);
    EXPECT_FLOAT_EQ(clock.Step(1050), 2.0f) << "50 ms";
    clock.Mark(1050);
    EXPECT_EQ(clock.Step(1050), 0.0f) << "no time, no step";
    EXPECT_FLOAT_EQ(FrameClock::StepBetween(0xFFFFFFF0u, 0x00000022u), 50.0f / 25.0f) << "16 + 34 ms over the wrap";
    EXPECT_FLOAT_EQ(FrameClock::StepBetween(0, 1), 0.04f);
    const uint32_t a = MonotonicMilliseconds();
    EXPECT_LE(FrameClock::StepBetween(a, MonotonicMilliseconds()), 40.0f) << "the clock does not run backwards";
}

TEST(AboutText, ShowsTheTitleTheBuildDateInTheCompilerFormAndTheVersion) {
    EXPECT_EQ(FormatBuildDate("Feb 19 2007"), "Feb 19 2007");
    EXPECT_EQ(FormatBuildDate("Feb  9 2007"), "Feb 9 2007");
    const std::string text = AboutText();
    EXPECT_EQ(text, "Vertigon 0.3\nCompile Date: " + FormatBuildDate(__DATE__) + "\nVersion " VERTIGON_VERSION "\n\n" + kLicenceNotice);
    EXPECT_EQ(VersionLine(), "Vertigon " VERTIGON_VERSION);
}

}  // namespace
}  // namespace vertigon
