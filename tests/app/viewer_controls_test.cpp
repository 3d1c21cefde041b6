// The viewer's new controls without any window: the key map, the preferences file (damaged
// ones included), framing and the view commands, playback of the shown clip, the title and
// browsing the shown file's folder.
#include <gtest/gtest.h>
#include <wx/defs.h>

#include <filesystem>

#include "app/key_map.h"
#include "app/preferences.h"
#include "app/viewer_state.h"
#include "scene/framing.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

std::string Sample(const std::string& name) {
    return (std::filesystem::path(VERTIGON_SOURCE_DIR) / "samples" / name).string();
}

TEST(KeyMap, EveryKeyOfTheViewerAndNoneWithControlOrAlt) {
    const std::pair<int, KeyCommand> keys[] = {
        {'F', KeyCommand::FrameModel},        {WXK_HOME, KeyCommand::ResetView},   {WXK_SPACE, KeyCommand::PlayPause},
        {',', KeyCommand::StepBack},          {'.', KeyCommand::StepForward},      {WXK_LEFT, KeyCommand::TurnLeft},
        {WXK_RIGHT, KeyCommand::TurnRight},   {WXK_UP, KeyCommand::TurnUp},        {WXK_DOWN, KeyCommand::TurnDown},
        {'+', KeyCommand::ZoomIn},            {'=', KeyCommand::ZoomIn},           {WXK_NUMPAD_ADD, KeyCommand::ZoomIn},
        {'-', KeyCommand::ZoomOut},           {WXK_PAGEDOWN, KeyCommand::NextFile}, {WXK_PAGEUP, KeyCommand::PreviousFile},
    };
    for (const auto& [code, command] : keys) {
        EXPECT_EQ(MapKey(code, false, false), command) << code;
        EXPECT_EQ(MapKey(code, true, false), KeyCommand::None) << "Ctrl+" << code << " is the menus'";
        EXPECT_EQ(MapKey(code, false, true), KeyCommand::None);
    }
    EXPECT_EQ(MapKey('S', false, false), KeyCommand::None);
}

TEST(Preferences, RoundTripDefaultsAndDamagedFiles) {
    testing::TempDir dir;
    const std::string path = (dir.path() / "deep" / "vertigon" / "vertigon.conf").string();
    EXPECT_EQ(LoadPreferences(path), Preferences{}) << "no file: the defaults";
    Preferences chosen;
    chosen.frameOnOpen = false;
    chosen.grid = true;
    chosen.axes = true;
    chosen.background = 0x102030;
    for (int i = 0; i < 10; ++i) chosen.recentFiles.push_back("/models/m" + std::to_string(i) + " =[x].ffb");
    chosen.lastFolder = "/models";
    chosen.window = WindowPlacement{-20, 30, 800, 600};
    ASSERT_TRUE(SavePreferences(chosen, path)) << "the folders are made";
    Preferences expected = chosen;
    expected.recentFiles.resize(Preferences::kRecentFiles);
    EXPECT_EQ(LoadPreferences(path), expected);

    // Garbage, out-of-range values and a folder in the file's place all give defaults.
    const std::string damaged = dir.Write("damaged.conf", std::string("\x01\xff[View\nGrid=yes\nAxes=1\n[Window]\nX=1\nY=1\n"
                                                                       "Width=5\nHeight=900\n[View]\nBackground=-4\n= =\n"));
    Preferences fromDamaged = LoadPreferences(damaged);
    EXPECT_FALSE(fromDamaged.grid);
    EXPECT_FALSE(fromDamaged.background);
    EXPECT_FALSE(fromDamaged.window) << "a 5-pixel-wide window is damage";
    EXPECT_EQ(LoadPreferences(dir.path().string()), Preferences{});
    EXPECT_EQ(LoadPreferences(dir.Write("binary.conf", std::vector<uint8_t>(4096, 0xC3))), Preferences{});
}

TEST(Preferences, LiveUnderTheConfigurationHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(PreferencesPath(), "/cfg/vertigon/vertigon.conf");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(PreferencesPath(), std::string(std::getenv("HOME")) + "/.config/vertigon/vertigon.conf");
    if (saved) setenv("XDG_CONFIG_HOME", keep.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
}

class ViewerControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.CreateCore();
        state.SetViewSize(1392, 893);
    }
    ViewerState state;
};

TEST_F(ViewerControlsTest, OpeningFramesTheModelAndTheViewCommandsMoveTheCamera) {
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    const OrbitControls framed = state.controls();
    EXPECT_NE(framed.distance, OrbitControls::kStartDistance) << "framed on open";
    EXPECT_FLOAT_EQ(framed.panY, CurrentBox(*state.current()).Centre().y) << "looking at the robot's middle";
    EXPECT_EQ(WindowTitle(state.lastPath()), "demo.ffb - Vertigon 0.3");
    EXPECT_EQ(WindowTitle(""), "Vertigon 0.3");
    EXPECT_FALSE(state.gridLines().empty());

    state.TurnDegrees(5.0f, 0.0f);
    EXPECT_NEAR(state.controls().yaw, 5.0f * kPi / 180.0f, 1e-6f);
    state.Zoom(OrbitControls::kWheelNotch);
    EXPECT_FLOAT_EQ(state.controls().distance, framed.distance * 0.97f);
    state.ResetView();
    EXPECT_EQ(state.scene().camera->position, (Vec4{0, 0, 400, 1}));
    ASSERT_TRUE(state.FrameModel());
    EXPECT_FLOAT_EQ(state.controls().distance, framed.distance);

    state.frameOnOpen = false;
    ASSERT_TRUE(state.OpenFile(Sample("winged_totem.raw")));
    EXPECT_FLOAT_EQ(state.controls().distance, framed.distance) << "left where it was";
    state.OpenFile("/nowhere/x.raw");
    EXPECT_FALSE(state.FrameModel()) << "nothing shown, nothing to frame";
    EXPECT_TRUE(state.gridLines().empty());
}

TEST_F(ViewerControlsTest, PausingStepsAndTheSliderDriveTheClip) {
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    Animation& clip = *state.clip();
    EXPECT_TRUE(state.Playing());
    state.DrawFrame(100, 100, 4.0f);
    EXPECT_FLOAT_EQ(clip.time, 4.0f * clip.speed);
    state.TogglePause();
    state.DrawFrame(100, 100, 4.0f);
    EXPECT_FLOAT_EQ(clip.time, 4.0f * clip.speed) << "paused: no advance";
    const int32_t frame = CurrentFrame(clip);
    state.StepFrames(1);
    EXPECT_EQ(CurrentFrame(clip), frame + 1);
    state.StepFrames(-1);
    state.StepFrames(-1);
    EXPECT_EQ(CurrentFrame(clip), frame - 1);
    state.TogglePause();
    state.SeekFrame(10);
    EXPECT_FALSE(state.Playing()) << "the slider holds the frame it shows";
    EXPECT_EQ(CurrentFrame(clip), 10);
    state.SeekFrame(100000);
    EXPECT_EQ(CurrentFrame(clip), ClipFrames(clip) - 1);

    state.TogglePause();
    state.SetSpeed(0.5f);
    state.SetLoop(false);
    state.SeekFrame(0);
    state.TogglePause();
    state.DrawFrame(100, 100, 2.0f);
    EXPECT_FLOAT_EQ(clip.time, 1.0f * clip.speed) << "half speed";
    state.DrawFrame(100, 100, 100000.0f);
    EXPECT_EQ(CurrentFrame(clip), ClipFrames(clip) - 1) << "no loop: stops on the last frame";
    EXPECT_FALSE(state.Playing());
    state.TogglePause();
    EXPECT_EQ(CurrentFrame(clip), 0) << "play at the end starts again";
}

TEST_F(ViewerControlsTest, TheViewMayRestOnlyOnceTheLastPoseIsDrawn) {
    EXPECT_FALSE(state.Moving()) << "nothing shown";
    ASSERT_TRUE(state.OpenFile(Sample("demo.ffb")));
    for (int frame = 0; frame < 3; ++frame) {
        state.DrawFrame(100, 100, 1.0f);
        EXPECT_TRUE(state.Moving() && state.Animating()) << "playing, frame " << frame;
    }
    state.TogglePause();
    EXPECT_FALSE(state.Animating());
    EXPECT_FALSE(state.Moving()) << "each frame draws the pose its own update applied";
    state.StepFrames(1);
    EXPECT_TRUE(state.Moving()) << "a new frame to show";
    state.DrawFrame(100, 100, 0.0f);
    EXPECT_FALSE(state.Moving());

    ASSERT_TRUE(state.OpenFile(Sample("winged_totem.raw")));
    EXPECT_TRUE(state.Moving()) << "a new model is drawn first";
    state.DrawFrame(100, 100, 1.0f);
    EXPECT_FALSE(state.Moving()) << "a model without a clip is still";
}

TEST(ViewerFolder, PageDownAndUpWalkTheModelFilesByName) {
    testing::TempDir dir;
    for (const char* name : {"b.raw", "a.ffb", "c.txt", "d.mset"}) dir.Write(name, std::string("x"));
    dir.Write("e.MDLX", std::string("BAR\x01 but nothing more"));  // told by its first bytes
    std::filesystem::create_directory(dir.path() / "c.raw");
    ViewerState state;
    state.CreateCore();
    state.OpenFile((dir.path() / "a.ffb").string());  // fails to load, yet the folder is known
    EXPECT_EQ(std::filesystem::path(state.NeighbourPath(1)).filename(), "b.raw");
    state.OpenFile(state.NeighbourPath(1));
    EXPECT_EQ(std::filesystem::path(state.NeighbourPath(1)).filename(), "e.MDLX") << "no text, folder or animation";
    EXPECT_EQ(std::filesystem::path(state.NeighbourPath(-1)).filename(), "a.ffb");
    state.OpenFile(state.NeighbourPath(1));
    EXPECT_EQ(state.NeighbourPath(1), "") << "the last file";
}

}  // namespace
}  // namespace vertigon
