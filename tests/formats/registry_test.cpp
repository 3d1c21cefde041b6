#include "formats/registry.h"
#include "formats/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/file_io.h"
#include "formats/load_error.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

const std::vector<uint8_t> kBarHeader = {0x42, 0x41, 0x52, 0x01, 0, 0, 0, 0};

TEST(Registry, LoadersComeInTheFixedOrder) {
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    ASSERT_EQ(registry.loaderCount(), 4);
    EXPECT_STREQ(registry.GetLoader(0)->GetName(), "FfbLoader");
    EXPECT_STREQ(registry.GetLoader(1)->GetName(), "MdlsLoader");
    EXPECT_STREQ(registry.GetLoader(2)->GetName(), "MdlxLoader");
    EXPECT_STREQ(registry.GetLoader(3)->GetName(), "RawLoader");
    EXPECT_EQ(registry.GetLoader(4), nullptr);
    EXPECT_EQ(registry.GetLoader(-1), nullptr);
}

TEST(Registry, WildcardJoinsTheFilterStringsInRegistryOrder) {
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    EXPECT_EQ(registry.FilterString(),
              "Final Fantasy X / X2 Model (*.FFB)|*.FFB|"
              "Kingdom Hearts Model (*.MDLS)|*.MDLS|Kingdom Hearts Animation (*.MSET)|*.MSET|"
              "Kingdom Hearts 2 Model (*.MDLX)|*.MDLX|Kingdom Hearts 2 Animation (*.MSET)|*.MSET|"
              "Final Fantasy XII Model (*.RAW)|*.RAW");
}

TEST(Registry, ExtensionsDecideKindsIgnoringCase) {
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    EXPECT_STREQ(registry.FindLoader("a/b.MdLs")->GetName(), "MdlsLoader");
    EXPECT_EQ(registry.FindFileKind("a/b.MdLs"), FileKindModel);
    EXPECT_EQ(registry.FindFileKind("a/b.mset"), FileKindAnimation);
    EXPECT_EQ(registry.FindFileKind("a/b.MSET"), FileKindAnimation);
    EXPECT_STREQ(registry.FindLoader("x.ffb")->GetName(), "FfbLoader");
    EXPECT_STREQ(registry.FindLoader("x.RaW")->GetName(), "RawLoader");
    EXPECT_EQ(registry.FindLoader("x.txt"), nullptr);
    EXPECT_EQ(registry.FindFileKind("x.txt"), FileKindNone);
}

TEST(Registry, AnMsetIsClaimedByTheMdlsLoaderAndNeverOpened) {
    testing::TempDir dir;
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    LoadFailure failure;
    EXPECT_EQ(registry.OpenModel(dir.Write("whatever.mset", std::string("x")), &failure), nullptr);
    EXPECT_EQ(failure.reason, LoadFailure::Reason::NotAModel);
    EXPECT_TRUE(registry.models().empty());
}

TEST(Registry, ABarFileOpensAsMdlxWhateverItsExtension) {
    testing::TempDir dir;
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    const std::string dat = dir.Write("x.dat", kBarHeader);
    EXPECT_STREQ(registry.FindLoader(dat)->GetName(), "MdlxLoader");
    EXPECT_EQ(registry.FindFileKind(dat), FileKindModel);
    // The MDLX loader comes before the RAW one.
    const std::string raw = dir.Write("x.raw", kBarHeader);
    EXPECT_STREQ(registry.FindLoader(raw)->GetName(), "MdlxLoader");
    // But an .mset extension is claimed earlier by the MDLS loader.
    const std::string mset = dir.Write("x.mset", kBarHeader);
    EXPECT_STREQ(registry.FindLoader(mset)->GetName(), "MdlsLoader");
}

TEST(Registry, AFileWithoutTheBarMagicIsRefusedByEveryLoader) {
    testing::TempDir dir;
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    EXPECT_EQ(registry.FindLoader(dir.Write("x.dat", std::vector<uint8_t>{0x42, 0x41, 0x52, 0x02})), nullptr);
    EXPECT_EQ(registry.FindLoader(dir.Write("x.mdlx", std::string("not a bar"))), nullptr);
    EXPECT_EQ(registry.FindLoader(dir.Write("short.mdlx", std::string("BAR"))), nullptr);
    EXPECT_EQ(registry.FindLoader((dir.path() / "missing.mdlx").string()), nullptr);
    LoadFailure failure;
    EXPECT_EQ(registry.OpenModel(dir.Write("x.txt", std::string("BAR")), &failure), nullptr);
    EXPECT_EQ(failure.reason, LoadFailure::Reason::NoLoader);
}

TEST(Registry, APathThatCannotBeReadIsNoQuestionOfItsKind) {
    testing::TempDir dir;
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    LoadFailure failure;
    for (const std::string name : {"missing.mdlx", "missing.mset", "missing.txt"}) {
        const std::string path = (dir.path() / name).string();
        EXPECT_EQ(registry.OpenModel(path, &failure), nullptr);
        EXPECT_EQ(failure.reason, LoadFailure::Reason::Unreadable) << name;
        EXPECT_EQ(failure.message, "cannot open " + path + ": No such file or directory");
        EXPECT_EQ(registry.LoadFile(path, &failure), nullptr);
        EXPECT_EQ(failure.reason, LoadFailure::Reason::Unreadable) << name;
    }
    std::filesystem::create_directory(dir.path() / "folder.raw");
    const std::string folder = (dir.path() / "folder.raw").string();
    EXPECT_EQ(registry.OpenModel(folder, &failure), nullptr);
    EXPECT_EQ(failure.message, "cannot open " + folder + ": Is a directory");
    const std::string locked = dir.Write("locked.raw", std::string("x"));
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    if (!FileOpens(locked)) {  // root reads it all the same
        EXPECT_EQ(registry.OpenModel(locked, &failure), nullptr);
        EXPECT_EQ(failure.message, "cannot open " + locked + ": Permission denied");
    }
}

TEST(Registry, ADotInADirectoryNameIsNotAnExtension) {
    testing::TempDir dir;
    Workspace workspace;
    LoaderRegistry& registry = workspace.registry();
    const std::string path = dir.Write("old.dir/data", std::string("plain"));
    EXPECT_EQ(registry.FindLoader(path), nullptr);
    EXPECT_EQ(registry.FindLoader("old.raw/data"), nullptr);
}

// A loader that accepts ".fake" files and builds an empty model, or fails as told.
class FakeLoader : public ModelLoader {
public:
    bool CanLoad(const std::string& path) override { return path.ends_with(".fake"); }
    std::unique_ptr<Model> LoadFromMemory(const ModelBytes&, const LoadContext&) override { return nullptr; }
    std::unique_ptr<Model> Load(const std::string& path, const LoadContext&) override {
        ++loads;
        if (path.ends_with("bad.fake")) throw FormatError("bad bytes");
        if (path.ends_with("gone.fake")) throw FileError("cannot open");
        return std::make_unique<Model>();
    }
    FileKind GetFileKind(const std::string&) override { return FileKindModel; }
    const char* GetFilterString() const override { return "Fake (*.fake)|*.fake"; }
    const char* GetName() const override { return "FakeLoader"; }
    int loads = 0;
};

struct FakeRegistry {
    // An empty file of that name: the registry reads no path that is not there.
    std::string File(const std::string& name) const { return dir.Write(name, std::string()); }

    FakeRegistry() {
        auto owned = std::make_unique<FakeLoader>();
        loader = owned.get();
        std::vector<std::unique_ptr<ModelLoader>> loaders;
        loaders.push_back(std::move(owned));
        workspace = std::make_unique<Workspace>(std::move(loaders), LoaderOptions{});
        registry = &workspace->registry();
    }
    testing::TempDir dir;
    FakeLoader* loader;
    std::unique_ptr<Workspace> workspace;
    LoaderRegistry* registry;
};

TEST(Registry, OpenModelListsModelsAndClearModelsEmptiesTheList) {
    FakeRegistry fake;
    LoaderRegistry& registry = *fake.registry;
    Model* first = registry.OpenModel(fake.File("one.fake"));
    Model* second = registry.OpenModel(fake.File("two.fake"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(registry.models().size(), 2u);
    EXPECT_EQ(registry.models()[0].get(), first);
    EXPECT_EQ(first->owner, &registry);
    registry.ClearModels();
    EXPECT_TRUE(registry.models().empty());
}

TEST(Registry, ReleasingTheLastReferenceUnlinksTheModelWhereverItStands) {
    FakeRegistry fake;
    LoaderRegistry& registry = *fake.registry;
    registry.OpenModel(fake.File("a.fake"));
    Model* middle = registry.OpenModel(fake.File("b.fake"));
    Model* last = registry.OpenModel(fake.File("c.fake"));
    middle->refCount = 1;
    EXPECT_EQ(middle->Release(), 0);
    ASSERT_EQ(registry.models().size(), 2u);
    EXPECT_EQ(registry.models()[1].get(), last);
}

TEST(Registry, FailedLoadsReportTheirReason) {
    FakeRegistry fake;
    LoaderRegistry& registry = *fake.registry;
    LoadFailure failure;
    EXPECT_EQ(registry.OpenModel(fake.File("bad.fake"), &failure), nullptr);
    EXPECT_EQ(failure.reason, LoadFailure::Reason::Malformed);
    EXPECT_EQ(failure.message, "bad bytes");
    EXPECT_EQ(registry.OpenModel(fake.File("gone.fake"), &failure), nullptr);
    EXPECT_EQ(failure.reason, LoadFailure::Reason::Unreadable);
    EXPECT_TRUE(registry.models().empty());
}

TEST(Registry, EachWorkspaceKeepsItsOwnModels) {
    FakeRegistry a;
    FakeRegistry b;
    ASSERT_NE(a.registry->OpenModel(a.File("one.fake")), nullptr);
    EXPECT_TRUE(b.registry->models().empty());
    b.workspace.reset();
    EXPECT_EQ(a.registry->models().size(), 1u);
    EXPECT_EQ(a.loader->loads, 1);
}

}  // namespace
}  // namespace vertigon
