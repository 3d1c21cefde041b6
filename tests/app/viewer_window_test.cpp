// The viewer's windows on an Xvfb display: start-up with and without a model, the mouse camera,
// the toolbar's pressed states, the context menu, the animation browser, dropped files, the
// texture and stats windows. Frames are read from the view just before they reach the screen.
#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "app/animation_browser.h"
#include "app/main_frame.h"
#include "app/model_context_menu.h"
#include "app/model_drop_target.h"
#include "app/playback_bar.h"
#include "app/preferences.h"
#include "app/render_view.h"
#include "app/stats_window.h"
#include "app/texture_viewer.h"
#include "app/viewer.h"
#include "app/viewer_ids.h"
#include "app/wx_text.h"
#include "formats/status_report.h"
#include "tests/app/gui_session.h"
#include "tests/fixtures/model_builder.h"
#include "tests/fixtures/temp_dir.h"

#include <fstream>

namespace vertigon {
namespace {

using testing::CaptureNextFrame;
using testing::CloseViewer;
using testing::RunUntil;
using testing::SamplePath;

bool IsBackground(const RgbImage& image, int x, int y) {
    const auto p = image.At(x, y);
    return p[0] == 127 && p[1] == 127 && p[2] == 127;
}

// Pixels that differ from the grey background.
long ModelPixels(const RgbImage& image) {
    long count = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) count += IsBackground(image, x, y) ? 0 : 1;
    }
    return count;
}

std::string StatusText(const Viewer& viewer) { return std::string(viewer.frame()->GetStatusBar()->GetStatusText().utf8_str()); }

std::string ItemText(wxTreeCtrl& tree, const wxTreeItemId& item) { return std::string(tree.GetItemText(item).utf8_str()); }

bool ToolPressed(const Viewer& viewer, int id) { return viewer.frame()->GetToolBar()->GetToolState(id); }

// A viewer started with the given paths, closed when the test ends.
class ViewerWindowTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_GUI(); }
    void TearDown() override {
        if (viewer) {
            EXPECT_TRUE(CloseViewer(*viewer));
        }
    }
    void Start(const std::vector<std::string>& paths) {
        viewer = std::make_unique<Viewer>();
        ASSERT_TRUE(viewer->Start(paths));
    }
    void SendMouse(wxEventType type, int x, int y, bool alt, bool left, bool middle, int wheel = 0) {
        wxMouseEvent event(type);
        event.SetEventObject(viewer->view());
        event.SetPosition(wxPoint(x, y));
        event.SetAltDown(alt);
        event.SetLeftDown(left);
        event.SetMiddleDown(middle);
        event.m_wheelRotation = wheel;
        event.m_wheelDelta = 120;
        event.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
        viewer->view()->GetEventHandler()->ProcessEvent(event);
    }
    void SendCommand(wxWindow* target, int id, int pressed = 0) {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(target);
        event.SetInt(pressed);
        target->GetEventHandler()->ProcessEvent(event);
    }

    std::unique_ptr<Viewer> viewer;
};

TEST_F(ViewerWindowTest, StartedWithTheSampleShowsTheModelOnTheGreyBackground) {
    Start({SamplePath("demo.ffb")});
    const RgbImage frame = CaptureNextFrame(*viewer->view());
    testing::SaveImage(frame, "started_with_demo");
    ASSERT_GT(frame.width, 100);
    ASSERT_GT(frame.height, 100);
    EXPECT_TRUE(IsBackground(frame, 2, 2)) << "the corners keep the clear colour";
    EXPECT_TRUE(IsBackground(frame, frame.width - 3, frame.height - 3));
    EXPECT_GT(ModelPixels(frame), frame.width * frame.height / 50) << "the robot stands in the middle";
    EXPECT_FALSE(IsBackground(frame, frame.width / 2, frame.height / 2));

    EXPECT_EQ(std::string(viewer->frame()->GetTitle().utf8_str()), "demo.ffb - Vertigon 0.3");
    EXPECT_EQ(StatusText(*viewer).rfind("demo.ffb: ", 0), 0u) << StatusText(*viewer);
    wxTreeCtrl& tree = *viewer->browser()->tree();
    EXPECT_EQ(ItemText(tree, tree.GetRootItem()), "Animations (4)");
    EXPECT_TRUE(viewer->browser()->IsShown());
    RunUntil([] { return false; }, std::chrono::milliseconds(300));  // let the window manager-less screen settle
    testing::SaveScreen("screen_with_demo");
}

TEST_F(ViewerWindowTest, AReportBeforeTheFrameExistsReachesTheStatusLine) {
    viewer = std::make_unique<Viewer>();
    viewer->state().Report("EE program image /tmp/x.elf refused: too short");
    ASSERT_TRUE(viewer->Start({}));
    EXPECT_EQ(StatusText(*viewer), "EE program image /tmp/x.elf refused: too short");
}

TEST_F(ViewerWindowTest, StartedWithNoPathShowsTheGreySceneAndNoAnimation) {
    Start({});
    const RgbImage frame = CaptureNextFrame(*viewer->view());
    testing::SaveImage(frame, "started_empty");
    EXPECT_EQ(ModelPixels(frame), 0) << "nothing but the clear colour";
    EXPECT_EQ(StatusText(*viewer), "Welcome to Vertigon!");
    wxTreeCtrl& tree = *viewer->browser()->tree();
    EXPECT_EQ(ItemText(tree, tree.GetRootItem()), "No animation");
    EXPECT_EQ(tree.GetChildrenCount(tree.GetRootItem()), 0u);
    EXPECT_TRUE(viewer->browser()->IsShown());
    for (int id = kIdTextureToggle; id <= kIdViewTexture; ++id) EXPECT_FALSE(ToolPressed(*viewer, id)) << id;

    const std::string wildcard = viewer->FileDialogWildcard();
    EXPECT_EQ(wildcard.rfind("Final Fantasy X / X2 Model (*.FFB)|*.FFB|Kingdom Hearts Model (*.MDLS)|", 0), 0u);
    EXPECT_EQ(wildcard.substr(wildcard.size() - 37), "Final Fantasy XII Model (*.RAW)|*.RAW");
    const wxSize client = viewer->view()->GetClientSize();
    EXPECT_EQ(frame.width, client.GetWidth()) << "the device draws the client area";
    EXPECT_EQ(frame.height, client.GetHeight());
}

TEST_F(ViewerWindowTest, AFailedOpenEmptiesTheViewAndTheBrowserAndSaysWhy) {
    Start({SamplePath("demo.ffb"), "/nowhere/robot.xyz"});
    EXPECT_EQ(viewer->state().current(), nullptr);
    const RgbImage frame = CaptureNextFrame(*viewer->view());
    EXPECT_EQ(ModelPixels(frame), 0);
    wxTreeCtrl& tree = *viewer->browser()->tree();
    EXPECT_EQ(ItemText(tree, tree.GetRootItem()), "No animation");
    EXPECT_EQ(tree.GetChildrenCount(tree.GetRootItem()), 0u);
    EXPECT_EQ(StatusText(*viewer), "cannot open /nowhere/robot.xyz: No such file or directory");
    EXPECT_FALSE(ToolPressed(*viewer, kIdTextureToggle)) << "no model, no switch on";
}

TEST_F(ViewerWindowTest, WheelAndAltDragsMoveTheCameraAsComputed) {
    Start({});
    const wxSize client = viewer->view()->GetClientSize();
    const int w = client.GetWidth(), h = client.GetHeight();

    SendMouse(wxEVT_MOUSEWHEEL, w / 2, h / 2, false, false, false, 120);
    EXPECT_FLOAT_EQ(viewer->state().controls().distance, 388.0f) << "one notch forward from 400";
    SendMouse(wxEVT_MOUSEWHEEL, w / 2, h / 2, false, false, false, -120);
    EXPECT_NEAR(viewer->state().controls().distance, 399.64f, 0.01f);

    SendMouse(wxEVT_MOTION, 0, h / 2, false, true, false);
    SendMouse(wxEVT_MOTION, w / 2, h / 2, false, true, false);
    SendMouse(wxEVT_MOTION, w / 2, h / 2, false, false, false);
    EXPECT_NEAR(viewer->state().controls().yaw, -std::numbers::pi, 1e-4) << "a plain left drag turns";
    viewer->state().ResetView();

    SendMouse(wxEVT_MOTION, 0, h / 2, true, true, false);
    SendMouse(wxEVT_MOTION, w, h / 2, true, true, false);
    EXPECT_NEAR(viewer->state().controls().yaw, -2.0 * std::numbers::pi, 1e-4) << "one full turn against the pointer";
    SendMouse(wxEVT_MOTION, w, h / 2, true, false, false);  // buttons up: the drag ends

    // Back to the start distance, turned a whole turn: panning runs along the view's x axis.
    viewer->state().Zoom(0);
    while (std::abs(viewer->state().controls().distance - 400.0f) > 0.5f) {
        SendMouse(wxEVT_MOUSEWHEEL, 0, 0, false, false, false, viewer->state().controls().distance < 400.0f ? -1 : 1);
    }
    const float distance = viewer->state().controls().distance;
    SendMouse(wxEVT_MOTION, 0, h / 2, true, false, true);
    SendMouse(wxEVT_MOTION, w, h / 2, true, false, true);
    const float panX = viewer->state().controls().panX;
    EXPECT_NEAR(std::abs(panX), 600.0f * distance / 400.0f, 0.05f);
    EXPECT_NEAR(viewer->state().controls().panY, 0.0f, 0.05f);
    EXPECT_EQ(viewer->state().scene().camera->target.x, panX) << "the camera looks at the panned target";
}

TEST_F(ViewerWindowTest, EveryToolShowsAPictureOfItsOwn) {
    Start({});
    wxToolBar& toolBar = *viewer->frame()->GetToolBar();
    std::vector<wxImage> pictures;
    for (int id = kIdTextureToggle; id <= kIdViewTexture; ++id) {
        const wxToolBarToolBase* tool = toolBar.FindById(id);
        ASSERT_NE(tool, nullptr) << id;
        const wxImage picture = tool->GetNormalBitmap().ConvertToImage();
        ASSERT_EQ(picture.GetSize(), wxSize(32, 32)) << id;
        for (size_t other = 0; other < pictures.size(); ++other) {
            const bool same = std::equal(picture.GetData(), picture.GetData() + 32 * 32 * 3, pictures[other].GetData()) &&
                              std::equal(picture.GetAlpha(), picture.GetAlpha() + 32 * 32, pictures[other].GetAlpha());
            EXPECT_FALSE(same) << "tools " << id << " and " << kIdTextureToggle + static_cast<int>(other);
        }
        pictures.push_back(picture);
    }
    viewer->browser()->Hide();  // it stands over the toolbar
    RunUntil([] { return false; }, std::chrono::milliseconds(300));
    testing::SaveScreen("toolbar");
}

TEST_F(ViewerWindowTest, ToolsArePressedExactlyWhileTheirSwitchIsOn) {
    Start({SamplePath("demo.ffb")});
    ModelEntry& entry = *viewer->state().current();
    EXPECT_TRUE(ToolPressed(*viewer, kIdTextureToggle)) << "a new model shows textures";
    EXPECT_TRUE(ToolPressed(*viewer, kIdBlendingToggle));
    EXPECT_FALSE(ToolPressed(*viewer, kIdFlatToggle));
    EXPECT_FALSE(ToolPressed(*viewer, kIdBonesToggle));
    EXPECT_FALSE(ToolPressed(*viewer, kIdWireframeToggle));

    // One click on the pressed texture tool releases it and hides the textures.
    SendCommand(viewer->frame(), kIdTextureToggle, 0);
    EXPECT_EQ(entry.flags & FlagTexture, 0);
    EXPECT_FALSE(ToolPressed(*viewer, kIdTextureToggle));

    SendCommand(viewer->frame(), kIdWireframeToggle, 1);
    EXPECT_EQ(entry.flags & FlagWireframe, FlagWireframe);
    EXPECT_TRUE(ToolPressed(*viewer, kIdWireframeToggle));

    // The context menu's bones switch presses the bones tool, and the skeleton shows.
    const RgbImage before = CaptureNextFrame(*viewer->view());
    SendCommand(viewer->view(), kIdMenuBones);
    EXPECT_EQ(entry.flags & FlagBones, FlagBones);
    EXPECT_TRUE(ToolPressed(*viewer, kIdBonesToggle));
    SendCommand(viewer->view(), kIdMenuFlat);
    EXPECT_TRUE(ToolPressed(*viewer, kIdFlatToggle)) << "Flat in the menu presses the flat tool";
    const RgbImage after = CaptureNextFrame(*viewer->view());
    testing::SaveImage(after, "wireframe_bones_flat");
    long boneColoured = 0;
    for (size_t i = 0; i + 2 < after.pixels.size(); i += 3) {
        boneColoured += after.pixels[i] > 240 && after.pixels[i + 1] > 215 && after.pixels[i + 1] < 245 &&
                        after.pixels[i + 2] < 60;
    }
    EXPECT_GT(boneColoured, 50) << "yellow bone lines over the model";
    EXPECT_NE(ModelPixels(before), 0);

    // With no model a click changes nothing and the tool stays released.
    viewer->OpenFile("/nowhere/else.xyz");
    SendCommand(viewer->frame(), kIdBlendingToggle, 1);
    EXPECT_FALSE(ToolPressed(*viewer, kIdBlendingToggle));
}

TEST_F(ViewerWindowTest, TheContextMenuOfAThreeLodModelListsItsLods) {
    REQUIRE_GUI();
    auto model = std::make_unique<Model>();
    model->bones.resize(1);
    for (const char* name : {"near", "middle", "far"}) {
        Lod lod;
        lod.name = name;
        model->lods.push_back(std::move(lod));
    }
    ModelEntry entry(*model);
    entry.flags |= FlagFlat;
    const std::unique_ptr<wxMenu> menu = BuildModelContextMenu(&entry);
    EXPECT_EQ(std::string(menu->GetTitle().utf8_str()), "test");
    for (int i = 0; i < 3; ++i) {
        wxMenuItem* item = menu->FindItem(kIdMenuFirstLod + i);
        ASSERT_NE(item, nullptr) << i;
        EXPECT_EQ(std::string(item->GetItemLabelText().utf8_str()), model->lods[static_cast<size_t>(i)].name);
        EXPECT_EQ(item->IsChecked(), i == 0);
        EXPECT_EQ(std::string(item->GetHelp().utf8_str()), "Change Lod");
    }
    EXPECT_EQ(menu->FindItem(kIdMenuFirstLod + 3), nullptr);
    EXPECT_TRUE(menu->IsChecked(kIdMenuTexture));
    EXPECT_FALSE(menu->IsChecked(kIdMenuBones));
    EXPECT_TRUE(menu->IsChecked(kIdMenuFlat));
    EXPECT_FALSE(menu->IsChecked(kIdMenuGouraud));
    EXPECT_TRUE(menu->IsEnabled(kIdMenuViewStats));

    const std::unique_ptr<wxMenu> empty = BuildModelContextMenu(nullptr);
    for (int id : {kIdMenuTexture, kIdMenuBlending, kIdMenuBones, kIdMenuWireframe, kIdMenuFlat, kIdMenuGouraud,
                   kIdMenuViewTextures, kIdMenuViewStats}) {
        EXPECT_FALSE(empty->IsEnabled(id)) << id;
    }
}

TEST_F(ViewerWindowTest, OnlyLeavesOfTheBrowserCanBeSelectedAndTheyStartTheirAnimation) {
    REQUIRE_GUI();
    std::vector<std::pair<int32_t, int32_t>> started;
    auto* browser = new AnimationBrowser(nullptr, wxPoint(100, 100), wxSize(150, 300),
                                         [&](int32_t group, int32_t index) { started.emplace_back(group, index); });
    AnimationList list;
    list.rootText = "Animations (2)";
    list.groups = {{"a (3)", {{"walk", 0, 0}, {"run", 0, 1}, {"jump", 0, 2}}}, {"b (0)", {}}};
    browser->Fill(list);
    browser->Show();
    wxTreeCtrl& tree = *browser->tree();
    const wxTreeItemId root = tree.GetRootItem();
    EXPECT_EQ(ItemText(tree, root), "Animations (2)");
    EXPECT_FALSE(tree.IsExpanded(root)) << "the root starts collapsed";
    wxTreeItemIdValue cookie;
    const wxTreeItemId groupA = tree.GetFirstChild(root, cookie);
    const wxTreeItemId groupB = tree.GetNextChild(root, cookie);
    EXPECT_EQ(ItemText(tree, groupA), "a (3)");
    EXPECT_EQ(ItemText(tree, groupB), "b (0)");
    EXPECT_EQ(tree.GetChildrenCount(groupA), 3u);
    EXPECT_EQ(tree.GetChildrenCount(groupB), 0u);

    tree.SelectItem(groupA);
    EXPECT_NE(tree.GetSelection(), groupA) << "a group item cannot become the selection";
    EXPECT_TRUE(started.empty());

    wxTreeItemIdValue leafCookie;
    const wxTreeItemId walk = tree.GetFirstChild(groupA, leafCookie);
    const wxTreeItemId run = tree.GetNextChild(groupA, leafCookie);
    tree.SelectItem(run);
    EXPECT_EQ(tree.GetSelection(), run);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], std::make_pair(0, 1));
    tree.SelectItem(run);
    EXPECT_EQ(started.size(), 1u) << "selecting the selected leaf starts nothing new";
    tree.SelectItem(walk);
    EXPECT_EQ(started.back(), std::make_pair(0, 0));

    // Closing hides the window; a later fill still works on it.
    browser->Close();
    EXPECT_FALSE(browser->IsShown());
    browser->Fill(AnimationList{"No animation", {}});
    EXPECT_EQ(ItemText(tree, tree.GetRootItem()), "No animation");
    EXPECT_EQ(started.size(), 2u) << "refilling starts nothing";
    browser->Destroy();
    viewer.reset();
}

TEST_F(ViewerWindowTest, ClosedBrowserComesBackFromTheViewMenu) {
    Start({SamplePath("demo.ffb")});
    viewer->browser()->Close();
    EXPECT_FALSE(viewer->browser()->IsShown());
    SendCommand(viewer->frame(), kIdShowAnimations);
    EXPECT_TRUE(viewer->browser()->IsShown());

    // Selecting a leaf in the viewer's browser starts that clip on the shown entry.
    wxTreeCtrl& tree = *viewer->browser()->tree();
    wxTreeItemIdValue cookie;
    const wxTreeItemId group0 = tree.GetFirstChild(tree.GetRootItem(), cookie);
    wxTreeItemIdValue leafCookie;
    tree.SelectItem(tree.GetFirstChild(group0, leafCookie));
    const Model& model = *viewer->state().currentModel();
    EXPECT_EQ(viewer->state().current()->currentAnimation, model.animationGroups[0].animations[0].get());
}

TEST_F(ViewerWindowTest, ADropOfThreeFilesOpensTheFirst) {
    Start({});
    wxArrayString files;
    files.Add(PathToWx(SamplePath("winged_totem.raw")));
    files.Add(PathToWx(SamplePath("demo.ffb")));
    files.Add(PathToWx(SamplePath("mdlx_sample.mdlx")));
    EXPECT_TRUE(viewer->dropTarget()->OnDropFiles(10, 10, files));
    ASSERT_NE(viewer->state().current(), nullptr);
    EXPECT_EQ(viewer->state().currentModel()->lodCount(), 2) << "the RAW sample";
    EXPECT_EQ(viewer->state().registry()->models().size(), 1u);
    EXPECT_EQ(StatusText(*viewer).rfind("winged_totem.raw: ", 0), 0u);
    EXPECT_TRUE(viewer->dropTarget()->OnDropFiles(0, 0, wxArrayString())) << "an empty drop is harmless";

    // Reports of the workspace reach the status line.
    viewer->state().workspace()->status().Report("program image missing");
    EXPECT_EQ(StatusText(*viewer), "program image missing");
}

TEST_F(ViewerWindowTest, TextureAndStatsWindowsShowTheShownModel) {
    Start({SamplePath("winged_totem.raw")});
    SendCommand(viewer->view(), kIdMenuViewTextures);
    ASSERT_NE(viewer->textureViewer(), nullptr);
    EXPECT_EQ(viewer->textureViewer()->imageCount(), 4);
    EXPECT_TRUE(ToolPressed(*viewer, kIdViewTexture)) << "the tool shows the viewer is open";
    SendCommand(viewer->view(), kIdMenuViewStats);
    ASSERT_NE(viewer->statsWindow(), nullptr);
    EXPECT_EQ(std::string(viewer->statsWindow()->list()->GetItemText(0, 0).utf8_str()), "Lods");
    EXPECT_EQ(std::string(viewer->statsWindow()->list()->GetItemText(0, 1).utf8_str()), "2");
    RunUntil([] { return false; }, std::chrono::milliseconds(300));
    testing::SaveScreen("screen_with_texture_viewer");

    // Another model refills both.
    viewer->OpenFile(SamplePath("mdlx_sample.mdlx"));
    EXPECT_EQ(viewer->textureViewer()->imageCount(), 2);
    EXPECT_EQ(std::string(viewer->statsWindow()->list()->GetItemText(5, 1).utf8_str()), "2") << "textures";

    // Releasing the tool closes the viewer.
    SendCommand(viewer->frame(), kIdViewTexture, 0);
    EXPECT_EQ(viewer->textureViewer(), nullptr);
    EXPECT_FALSE(ToolPressed(*viewer, kIdViewTexture));

    SendCommand(viewer->view(), kIdMenuFirstLod + 0);
    EXPECT_EQ(viewer->state().current()->lod, 0);
}

// Width and height from a PNG file's header.
std::pair<int, int> PngSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char header[24] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const auto word = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
    return {word(16), word(20)};
}

TEST_F(ViewerWindowTest, EverySampleWithGridAxesAndThePlaybackBar) {
    REQUIRE_GUI();
    Preferences guides;
    guides.grid = true;
    guides.axes = true;
    ASSERT_TRUE(SavePreferences(guides, PreferencesPath()));
    for (const char* sample : {"demo.ffb", "mdlx_sample.mdlx", "winged_totem.raw"}) {
        Start({SamplePath(sample)});
        EXPECT_EQ(viewer->playbackBar()->IsShown(), viewer->state().clip() != nullptr) << sample;
        const RgbImage frame = CaptureNextFrame(*viewer->view());
        RunUntil([] { return false; }, std::chrono::milliseconds(300));
        testing::SaveScreen(std::string("guides_") + sample);
        long grid = 0, red = 0;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const auto p = frame.At(x, y);
                grid += p[0] == p[1] && p[1] == p[2] && p[0] >= 75 && p[0] <= 78;
                red += x < frame.width / 4 && y > frame.height * 3 / 4 && p[0] > 200 && p[1] < 60 && p[2] < 60;
            }
        }
        EXPECT_GT(grid, 500) << sample << ": grid lines";
        EXPECT_GT(red, 5) << sample << ": the x axis in the lower-left corner";

        // Save image writes the view alone, at its size.
        testing::TempDir dir;
        const std::string png = (dir.path() / "view.png").string();
        ASSERT_TRUE(viewer->SaveImage(png));
        EXPECT_EQ(PngSize(png), std::make_pair(viewer->view()->viewWidth(), viewer->view()->viewHeight()));
        EXPECT_TRUE(CloseViewer(*viewer));
        viewer.reset();
    }
    // Closing remembered the guides (and the files opened).
    const Preferences kept = LoadPreferences(PreferencesPath());
    EXPECT_TRUE(kept.grid && kept.axes);
    ASSERT_FALSE(kept.recentFiles.empty());
    EXPECT_EQ(std::filesystem::path(kept.recentFiles.front()).filename(), "winged_totem.raw");
}

}  // namespace
}  // namespace vertigon
