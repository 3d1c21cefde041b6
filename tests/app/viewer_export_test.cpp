// File > Export... on an Xvfb display: disabled without a model, writes the shown model, and a
// failure gives its reason.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <filesystem>

#include "app/main_frame.h"
#include "app/viewer.h"
#include "app/viewer_ids.h"
#include "tests/app/gui_session.h"
#include "tests/fixtures/temp_dir.h"

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

}  // namespace
}  // namespace vertigon
