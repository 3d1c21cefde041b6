// File > Export... on an Xvfb display: disabled without a model, writes the shown model, and a
// failure gives its reason.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <filesystem>

#include "app/main_frame.h"
#include "app/viewer.h"
#include "app/viewer_ids.h"
#include "scene/scene_graph.h"
#include "tests/app/gui_session.h"
#include "tests/ee/ee_machine.h"
#include "tests/fixtures/ee_test_image.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/formats/mdls_test_support.h"

namespace vertigon {
namespace {

bool ExportEnabled(const Viewer& viewer) { return viewer.frame()->GetMenuBar()->IsEnabled(kIdExport); }

TEST(ViewerExport, TheMenuItemFollowsTheShownModelAndWritesIt) {
    REQUIRE_GUI();
    Viewer viewer;
    ASSERT_TRUE(viewer.Start({}));
    const wxMenuItem* item = viewer.frame()->GetMenuBar()->FindItem(kIdExport);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), "Export...");
    EXPECT_FALSE(ExportEnabled(viewer));

    viewer.OpenFile(testing::SamplePath("winged_totem.raw"));
    EXPECT_TRUE(ExportEnabled(viewer));
    testing::TempDir dir;
    std::string failure;
    EXPECT_TRUE(viewer.ExportShownModel((dir.path() / "totem.glb").string(), &failure)) << failure;
    EXPECT_GT(std::filesystem::file_size(dir.path() / "totem.glb"), 0u);
    EXPECT_FALSE(viewer.ExportShownModel((dir.path() / "missing" / "totem.glb").string(), &failure));
    EXPECT_FALSE(failure.empty());

    viewer.OpenFile("/nowhere/robot.xyz");
    EXPECT_FALSE(ExportEnabled(viewer));
    EXPECT_TRUE(testing::CloseViewer(viewer));
}

// Baking runs every emulated clip in the viewer's own emulator, whose memory then holds the last
// baked clip: the shown clip starts again instead of going on from memory that is not its own.
TEST(ViewerExport, TheShownEmulatedClipStartsAgainAfterTheExport) {
    REQUIRE_GUI();
    SKIP_WITHOUT_MIPS_TOOLS();
    testing::TempDir dir;
    testing::TestAnimation walk;
    walk.bones.resize(2);
    walk.bones[1].velocity = {1, 0, 0, 0};
    const std::string model = dir.Write("walker.mdls", testing::WriteTwoBoneTriangleMdls());
    dir.Write("walker.mset", testing::WriteTestAnimationMset({walk}));
    LoaderOptions options;
    options.eeImagePath = dir.Write("image.elf", testing::TestProgramImage());
    Viewer viewer;
    ASSERT_TRUE(viewer.Start({model}, options));
    ASSERT_TRUE(viewer.state().SelectAnimation(0, 0));
    ModelEntry& entry = *viewer.state().current();
    for (int frame = 0; frame < 12; ++frame) entry.Update(1.0f);
    ASSERT_GT(entry.currentAnimation->time, 0.0f);
    std::string failure;
    ASSERT_TRUE(viewer.ExportShownModel((dir.path() / "walker.glb").string(), &failure)) << failure;
    EXPECT_EQ(entry.currentAnimation->time, 0.0f);
    EXPECT_EQ(entry.currentAnimation, entry.model().animationGroups.at(0).animations.at(0).get());
    EXPECT_TRUE(testing::CloseViewer(viewer));
}

}  // namespace
}  // namespace vertigon
