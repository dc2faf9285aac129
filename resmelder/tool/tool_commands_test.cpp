// The commands with --type, --name and --lang, set-manifest and set-icon, their help and
// their failure lines, on built images and on Wine's own programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "image/exe_image.h"
#include "image/icon_file.h"
#include "image/icon_file_test_support.h"
#include "image/test_pe.h"
#include "support/encoding.h"
#include "support/log.h"
#include "tool/tool.h"
#include "tool/tool_test_support.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;

const fs::path kWinePrograms = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";

class ToolCommandsTest : public tool_test::ToolFolderTest {
  protected:
    ToolCommandsTest() : ToolFolderTest("resmelder_cmds_") {}

    static testpe::Options Program(std::vector<testpe::Leaf> leaves) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x100, 0xC3)},
                      {".data", Bytes(0x10, 1)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(8, 2), 0, 0x42000040}};
        o.leaves = std::move(leaves);
        o.checksum = true;
        return o;
    }

    void SetUp() override {
        ToolFolderTest::SetUp();
        testpe::WriteFile(
            dir_ / "in.exe",
            testpe::Build(Program(
                {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(6, 0x16)},
                 {std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes{'<', 'o', 'l', 'd', '/', '>'}},
                 {std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}}})));
    }

    std::string Get(std::vector<std::string> args) {
        args.insert(args.begin(), "get");
        EXPECT_EQ(Run(args), 0) << err_.str();
        return out_.str();
    }
    std::string List(const std::string& file) {
        EXPECT_EQ(Run({"list", P(file)}), 0) << err_.str();
        return out_.str();
    }
    std::unique_ptr<ExeImage> Load(const std::string& file) {
        Logger log;
        return ExeImage::Load(XString::FromUtf8(P(file)), &log);
    }
};

TEST_F(ToolCommandsTest, AnyTypeNameAndLanguageAsTheUserTypesThem) {
    testpe::WriteFile(dir_ / "logo.png", testpe::PngLike(500));
    testpe::WriteFile(dir_ / "five.bin", Bytes{5, 5, 5});
    ASSERT_EQ(Run({"add-file", P("in.exe"), "Logo \xC3\x9Cml\xC3\xA4ut", P("logo.png"), "--type",
                   "My Images", "--lang", "0x409", "-o", P("out.exe")}),
              0)
        << err_.str();
    ASSERT_EQ(Run({"add-file", P("out.exe"), "--name", "#5", P("five.bin"), "--type=bitmap", "-o",
                   P("out.exe")}),
              0)
        << err_.str();
    ASSERT_EQ(
        Run({"add-string", P("out.exe"), "5", "text five", "--type", "Bitmap", "-o", P("out.exe")}),
        0)
        << err_.str();
    EXPECT_EQ(List("out.exe"),
              "MY IMAGES\tLOGO \xC3\x9CML\xC3\x84UT\t1033\t500\n"
              "2\t5\t1\t9\n2\t#5\t1\t3\n"
              "10\tHELLO\t1033\t2\n16\t#1\t1033\t6\n24\t#1\t1033\t6\n");
    for (const char* type : {"my images", "MY IMAGES", "My Images"}) {
        for (const char* name : {"logo \xC3\xBCml\xC3\xA4ut", "LOGO \xC3\x9CML\xC3\x84UT"}) {
            EXPECT_EQ(Get({P("out.exe"), name, "--type", type}).size(), 500u) << type << name;
        }
    }
    EXPECT_EQ(Get({P("out.exe"), "--name", "Logo \xC3\x9Cml\xC3\xA4ut", "--lang", "1033"}).size(),
              500u);
    for (const char* type : {"2", "#2", "BITMAP", "bitmap", "RT_BITMAP"}) {
        EXPECT_EQ(Get({P("out.exe"), "#5", "--type", type}), "\x05\x05\x05") << type;
        EXPECT_EQ(Get({P("out.exe"), "5", "--type", type}), "text five") << type;
    }
    EXPECT_EQ(Get({P("out.exe"), "#1", "--type", "manifest"}), "<old/>");
    EXPECT_EQ(Run({"get", P("out.exe"), "#1", "--type", "manifest", "--lang", "0"}), 1);
    EXPECT_EQ(err_.str(),
              "resmelder: cannot get MANIFEST/#1/0 from " + P("out.exe") + " (no such resource)\n");
    ASSERT_EQ(Run({"extract", P("out.exe"), "--type", "16", "#1", P("v.bin")}), 0);
    EXPECT_EQ(testpe::ReadFile(dir_ / "v.bin"), Bytes(6, 0x16));
}

TEST_F(ToolCommandsTest, AnAddReplacesTheSameKeyAndDeletesReachOneLanguageOrAll) {
    ASSERT_EQ(
        Run({"edit", P("in.exe"), "--add-string", "Note", "one", "--lang", "1031", "--add-string",
             "NOTE", "eins", "--add-string", "note", "zwei", "-o", P("out.exe")}),
        0)
        << err_.str();
    EXPECT_EQ(Get({P("out.exe"), "note", "--lang", "1031"}), "zwei");
    EXPECT_EQ(Get({P("out.exe"), "note", "--lang", "1"}), "one");
    EXPECT_EQ(Get({P("out.exe"), "note"}), "one") << "the lowest language";
    ASSERT_EQ(Run({"delete", P("out.exe"), "Note", "--lang", "1", "-o", P("out.exe")}), 0);
    EXPECT_EQ(List("out.exe"),
              "10\tHELLO\t1033\t2\n10\tNOTE\t1031\t4\n16\t#1\t1033\t6\n24\t#1\t1033\t6\n");
    // Deletes without --type reach every type; numbered names need a type.
    ASSERT_EQ(Run({"edit", P("out.exe"), "--type", "html", "--add-string", "Hello", "h", "-o",
                   P("out.exe")}),
              0);
    ASSERT_EQ(Run({"delete", P("out.exe"), "hello", "-o", P("out.exe")}), 0);
    EXPECT_EQ(List("out.exe"), "10\tNOTE\t1031\t4\n16\t#1\t1033\t6\n24\t#1\t1033\t6\n");
    EXPECT_EQ(Run({"delete", P("out.exe"), "#1", "-o", P("out.exe")}), 2);
    EXPECT_EQ(FirstLine(), "resmelder: deleting a numbered name needs --type");
    ASSERT_EQ(Run({"edit", P("out.exe"), "--type", "VERSION", "--delete", "#1", "--type", "RCDATA",
                   "--delete", "note", "-o", P("out.exe")}),
              0);
    EXPECT_EQ(List("out.exe"), "24\t#1\t1033\t6\n");
}

TEST_F(ToolCommandsTest, CommandLinesThatCannotRunSayWhy) {
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"get", P("in.exe"), "X", "--type", "70000"},
         "resmelder: --type 70000 is not a resource type"},
        {{"get", P("in.exe"), "X", "--type", ""}, "resmelder: --type  is not a resource type"},
        {{"get", P("in.exe"), "#x"}, "resmelder: \"#x\" is not a resource name"},
        {{"get", P("in.exe"), "#65536"}, "resmelder: \"#65536\" is not a resource name"},
        {{"get", P("in.exe"), "X", "--lang", "en-US"}, "resmelder: --lang en-US is not a language"},
        {{"get", P("in.exe"), "X", "--name", "Y"},
         "resmelder: the name is given twice (NAME and --name)"},
        {{"get", P("in.exe")}, "resmelder: missing arguments"},
        {{"get", P("in.exe"), "X", "--lang"}, "resmelder: option --lang needs a value"},
        {{"add-string", P("in.exe"), "N", "T", "--colour", "red", "-o", P("o.exe")},
         "resmelder: unknown option --colour"},
        {{"add-file", P("in.exe"), "N", "F"}, "resmelder: missing -o OUT"},
        {{"edit", P("in.exe"), "--add-string", "N", "-o", P("o.exe")},
         "resmelder: unexpected argument: " + P("o.exe")},
        {{"edit", P("in.exe"), "--type", "ICON", "--add-file", "N"},
         "resmelder: option --add-file needs more values"},
        {{"set-icon", P("in.exe"), "-o", P("o.exe")}, "resmelder: missing arguments"},
        {{"set-manifest", P("in.exe"), "m", "--lang", "0x1FFFF", "-o", P("o.exe")},
         "resmelder: --lang 0x1FFFF is not a language"},
        {{"frobnicate"}, "resmelder: unknown command frobnicate"},
    };
    for (const auto& [args, line] : cases) {
        SCOPED_TRACE(args[0] + " " + args.back());
        EXPECT_EQ(Run(args), 2);
        EXPECT_EQ(FirstLine().substr(0, line.size()), line) << err_.str();
        EXPECT_NE(err_.str().find("usage:"), std::string::npos);
    }
    // The edit's own parse error names the unknown option.
    EXPECT_EQ(Run({"edit", P("in.exe"), "--add-string", "N", "t", "--bogus", "-o", P("o.exe")}), 2);
    EXPECT_EQ(FirstLine(), "resmelder: unexpected argument: --bogus");
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe"}));
}

TEST_F(ToolCommandsTest, EveryCommandHasHelpWithAnExample) {
    for (const char* command :
         {"list", "get", "extract", "add-string", "add-file", "delete", "edit", "set-manifest",
          "set-icon", "set-string", "get-string", "add-res", "export-res", "get-version"}) {
        SCOPED_TRACE(command);
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {command, "--help"}, {"help", command}, {command, P("in.exe"), "-h"}}) {
            ASSERT_EQ(Run(args), 0);
            EXPECT_EQ(out_.str().substr(0, 19 + std::string(command).size()),
                      std::string("usage:\n  resmelder ") + command);
            const std::size_t example =
                out_.str().find("\nexample:\n  resmelder " + std::string(command) + " ");
            EXPECT_NE(example, std::string::npos) << out_.str();
            EXPECT_EQ(err_.str(), "");
        }
    }
    ASSERT_EQ(Run({"--help"}), 0);
    for (const char* line : {"resmelder set-icon IN ICOFILE", "resmelder set-manifest IN FILE",
                             "--type T", "GROUP_ICON    14", "MANIFEST      24"}) {
        EXPECT_NE(out_.str().find(line), std::string::npos) << line;
    }
    ASSERT_EQ(Run({"list", "--types"}), 0);
    for (const char* line : {"CURSOR        1\n", "ANIICON       22\n", "--name N", "--lang L",
                             "0x409", "name:TEXT", "(name:ICON)"}) {
        EXPECT_NE(out_.str().find(line), std::string::npos) << line;
    }
}

TEST_F(ToolCommandsTest, FailuresPrintOneLineAndTheLogOnlyWhenVerbose) {
    testpe::WriteFile(dir_ / "notes.txt", Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(Run({"list", P("notes.txt")}), 1);
    EXPECT_EQ(err_.str(),
              "resmelder: " + P("notes.txt") + " is not an executable (no DOS signature)\n");
    Bytes truncated = testpe::ReadFile(dir_ / "in.exe");
    truncated.resize(truncated.size() - 0x100);
    testpe::WriteFile(dir_ / "cut short.exe", truncated);
    EXPECT_EQ(Run({"add-string", P("cut short.exe"), "A", "b", "-o", P("o.exe"), "--verbose"}), 1);
    EXPECT_EQ(FirstLine(), "resmelder: " + P("cut short.exe") +
                               " is not a well-formed executable (section data reaches past the "
                               "end of the file)");
    EXPECT_NE(err_.str().find("\nVantrixLog:\r\n"), std::string::npos) << "the log follows";
    EXPECT_FALSE(fs::exists(dir_ / "o.exe"));
}

TEST_F(ToolCommandsTest, SetManifestReplacesEveryLanguageAndKeepsTheOldOnesLanguage) {
    const std::string manifest =
        "\xEF\xBB\xBF\r\n  <?xml version=\"1.0\" encoding=\"UTF-8\"?><assembly/>";
    testpe::WriteFile(dir_ / "app manifest.xml", Bytes(manifest.begin(), manifest.end()));
    ASSERT_EQ(Run({"add-string", P("in.exe"), "#1", "<german/>", "--type", "MANIFEST", "--lang",
                   "1031", "-o", P("two.exe")}),
              0);
    ASSERT_EQ(Run({"set-manifest", P("two.exe"), P("app manifest.xml"), "-o", P("two.exe")}), 0)
        << err_.str();
    EXPECT_EQ(err_.str(), "");
    // Language 1031 was the lowest of the two: the one kept.
    EXPECT_EQ(List("two.exe"), "10\tHELLO\t1033\t2\n16\t#1\t1033\t6\n24\t#1\t1031\t" +
                                   std::to_string(manifest.size()) + "\n");
    EXPECT_EQ(Get({P("two.exe"), "#1", "--type", "24"}), manifest);

    // A first manifest: language 0; a DLL's goes to #2.
    testpe::WriteFile(dir_ / "bare.exe", testpe::Build(Program({})));
    Bytes dll = testpe::Build(Program({}));
    const std::size_t characteristics = testpe::Get32(dll, 60) + 22;
    dll[characteristics + 1] |= 0x20;  // IMAGE_FILE_DLL
    testpe::WriteFile(dir_ / "Lib Ünï.dll", dll);
    ASSERT_EQ(Run({"set-manifest", P("bare.exe"), P("app manifest.xml"), "-o", P("bare.exe")}), 0)
        << err_.str();
    EXPECT_EQ(List("bare.exe"), "24\t#1\t0\t" + std::to_string(manifest.size()) + "\n");
    ASSERT_EQ(Run({"set-manifest", P("Lib Ünï.dll"), P("app manifest.xml"), "--lang", "0x409", "-o",
                   P("Lib Ünï.dll")}),
              0)
        << err_.str();
    EXPECT_EQ(List("Lib Ünï.dll"), "24\t#2\t1033\t" + std::to_string(manifest.size()) + "\n");
}

TEST_F(ToolCommandsTest, SetManifestRefusesWhatIsNotAManifest) {
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    testpe::WriteFile(dir_ / "icon.ico",
                      testpe::IconFileBytes({{16, 16, 1, 32, testpe::IconDib(16, 0)}}));
    testpe::WriteFile(dir_ / "empty.xml", {});
    EXPECT_EQ(Run({"set-manifest", P("in.exe"), P("icon.ico"), "-o", P("in.exe")}), 1);
    EXPECT_EQ(err_.str(), "resmelder: cannot use " + P("icon.ico") +
                              " as a manifest (the file is not a manifest)\n");
    EXPECT_EQ(Run({"set-manifest", P("in.exe"), P("empty.xml"), "-o", P("in.exe")}), 1);
    EXPECT_EQ(Run({"set-manifest", P("in.exe"), P("none.xml"), "-o", P("in.exe")}), 1);
    EXPECT_EQ(err_.str(), "resmelder: cannot open " + P("none.xml") + " (" +
                              testpe::MissingFileReason() + ")\n");
    EXPECT_EQ(Run({"set-manifest", P("in.exe"), P(""), "-o", P("in.exe")}), 1);
    EXPECT_NE(FirstLine().find("is not a regular file"), std::string::npos) << err_.str();
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);
    EXPECT_EQ(Files(), (std::vector<std::string>{"empty.xml", "icon.ico", "in.exe"}));
}

// The icon group of `file` named `group`, as the ids of its ICON resources.
std::vector<std::uint16_t> GroupIds(const ExeImage& image, const ResourceId& group) {
    const ExeResource* leaf =
        image.Resources()->FindLeaf(ResourceId::Number(14), group, std::nullopt);
    EXPECT_NE(leaf, nullptr);
    if (leaf == nullptr) {
        return {};
    }
    return IconGroupIds(leaf->Data()).value_or(std::vector<std::uint16_t>{});
}

std::set<std::uint16_t> IconIds(const ExeImage& image) {
    std::set<std::uint16_t> ids;
    for (const auto& leaf : image.Resources()->Leaves()) {
        if (leaf.key.type == ResourceId::Number(3)) {
            ids.insert(leaf.key.name.Number());
        }
    }
    return ids;
}

TEST_F(ToolCommandsTest, SetIconOnAProgramWithoutIconsMakesGroupOne) {
    const Bytes small = testpe::IconDib(16, 0xFF0000FF);
    const Bytes large = testpe::IconDib(32, 0xFF00FF00);
    const Bytes huge = testpe::PngLike(777);
    testpe::WriteFile(
        dir_ / "App Icon.ico",
        testpe::IconFileBytes({{16, 16, 1, 32, small}, {32, 32, 0, 0, large}, {0, 0, 0, 0, huge}}));
    ASSERT_EQ(Run({"set-icon", P("in.exe"), P("App Icon.ico"), "-o", P("out.exe")}), 0)
        << err_.str();
    EXPECT_EQ(err_.str(), "");
    auto image = Load("out.exe");
    ASSERT_TRUE(image);
    EXPECT_EQ(GroupIds(*image, ResourceId::Number(1)), (std::vector<std::uint16_t>{1, 2, 3}));
    const ExeResource& tree = *image->Resources();
    const auto icon = [&](std::uint16_t id) {
        const ExeResource* leaf =
            tree.FindLeaf(ResourceId::Number(3), ResourceId::Number(id), std::uint16_t{0});
        return leaf ? Bytes(leaf->Data().begin(), leaf->Data().end()) : Bytes{};
    };
    EXPECT_EQ(icon(1), small);
    EXPECT_EQ(icon(2), large);
    EXPECT_EQ(icon(3), huge);
    // The group entries describe each image: depth from the bitmap, 256 as 0, sizes.
    const ExeResource* group =
        tree.FindLeaf(ResourceId::Number(14), ResourceId::Number(1), std::uint16_t{0});
    ASSERT_NE(group, nullptr);
    const Bytes groupBytes(group->Data().begin(), group->Data().end());
    EXPECT_EQ(groupBytes[6 + 14], 32);
    EXPECT_EQ(testpe::Get16(groupBytes, 6 + 14 + 6), 32);
    EXPECT_EQ(testpe::Get32(groupBytes, 6 + 14 + 8), large.size());
    EXPECT_EQ(groupBytes[6 + 28], 0);
    // Everything else is still there.
    EXPECT_EQ(Get({P("out.exe"), "hello"}), "hi");
}

TEST_F(ToolCommandsTest, SetIconReplacesTheFirstGroupAndRemovesOnlyIconsNoGroupNeeds) {
    // MAINICON (the first group as written) uses icons 1 and 2; group 7 shares icon 2 and has
    // icon 3; icon 9 belongs to no group.
    const auto group = [](std::vector<std::uint16_t> ids) {
        std::vector<testpe::TestIconImage> images;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            images.push_back({16, 16, 1, 32, testpe::IconDib(16, 0)});
        }
        std::string problem;
        const Bytes file = testpe::IconFileBytes(images);
        return BuildIconGroup(*ParseIconFile(file, problem), ids);
    };
    testpe::WriteFile(dir_ / "icons.exe",
                      testpe::Build(Program(
                          {{std::uint16_t{3}, std::uint16_t{1}, 0x409, Bytes(40, 1)},
                           {std::uint16_t{3}, std::uint16_t{2}, 0x409, Bytes(40, 2)},
                           {std::uint16_t{3}, std::uint16_t{3}, 0x409, Bytes(40, 3)},
                           {std::uint16_t{3}, std::uint16_t{9}, 0x409, Bytes(40, 9)},
                           {std::uint16_t{14}, std::u16string(u"MAINICON"), 0x409, group({1, 2})},
                           {std::uint16_t{14}, std::u16string(u"MAINICON"), 0x407, group({1})},
                           {std::uint16_t{14}, std::uint16_t{7}, 0x409, group({2, 3})}})));
    testpe::WriteFile(dir_ / "new.ico",
                      testpe::IconFileBytes({{48, 48, 1, 32, testpe::IconDib(48, 0xFF112233)},
                                             {16, 16, 1, 32, testpe::IconDib(16, 0xFF445566)}}));
    ASSERT_EQ(Run({"set-icon", P("icons.exe"), P("new.ico"), "-o", P("icons.exe")}), 0)
        << err_.str();
    auto image = Load("icons.exe");
    ASSERT_TRUE(image);
    EXPECT_EQ(GroupIds(*image, ResourceId::Text(u"MainIcon")), (std::vector<std::uint16_t>{4, 5}))
        << "fresh ids, not ones another icon had";
    EXPECT_EQ(GroupIds(*image, ResourceId::Number(7)), (std::vector<std::uint16_t>{2, 3}));
    EXPECT_EQ(IconIds(*image), (std::set<std::uint16_t>{2, 3, 4, 5}));
    // One language for the group: the lowest of the old ones.
    EXPECT_EQ(List("icons.exe").find("14\tMAINICON\t1033"), std::string::npos);
    EXPECT_NE(List("icons.exe").find("14\tMAINICON\t1031\t34\n"), std::string::npos);
    EXPECT_NE(List("icons.exe").find("3\t#4\t1031\t"), std::string::npos);
}

TEST_F(ToolCommandsTest, SetIconRefusesHostileIconFilesAndWritesNothing) {
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    Bytes claims = testpe::IconFileBytes({{16, 16, 1, 32, testpe::IconDib(16, 0)}});
    claims[4] = 0xFF, claims[5] = 0xFF;
    testpe::WriteFile(dir_ / "claims.ico", claims);
    testpe::WriteFile(dir_ / "text.ico", Bytes(100, 'x'));
    EXPECT_EQ(Run({"set-icon", P("in.exe"), P("claims.ico"), "-o", P("in.exe")}), 1);
    EXPECT_EQ(err_.str(), "resmelder: cannot use " + P("claims.ico") +
                              " as an icon (the icon file's directory runs past its end) "
                              "(the file is not a usable icon file)\n");
    EXPECT_EQ(Run({"set-icon", P("in.exe"), P("text.ico"), "-o", P("out.exe")}), 1);
    EXPECT_NE(FirstLine().find("(not an icon file)"), std::string::npos) << err_.str();
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
}

// Wine's own programs, built by another toolchain: shell32 has 184 icon groups sharing
// icons; notepad has one group. Only the first group changes, and only icons no group
// needs any more go.
TEST_F(ToolCommandsTest, SetIconOnWinesOwnPrograms) {
    for (const char* program : {"shell32.dll", "notepad.exe"}) {
        SCOPED_TRACE(program);
        if (!fs::exists(kWinePrograms / program)) {
            GTEST_SKIP() << "Wine's programs are not installed";
        }
        fs::copy_file(kWinePrograms / program, dir_ / program);
        auto before = Load(program);
        ASSERT_TRUE(before);
        std::vector<ResourceLeaf> groups;
        for (const auto& leaf : before->Resources()->Leaves()) {
            if (leaf.key.type == ResourceId::Number(14)) {
                groups.push_back(leaf);
            }
        }
        ASSERT_FALSE(groups.empty());
        testpe::WriteFile(
            dir_ / "new.ico",
            testpe::IconFileBytes({{32, 32, 1, 32, testpe::IconDib(32, 0xFF0000FF)}}));
        ASSERT_EQ(
            Run({"set-icon", P(program), P("new.ico"), "-o", P(std::string("new ") + program)}), 0)
            << err_.str();
        auto after = Load(std::string("new ") + program);
        ASSERT_TRUE(after);
        // Every icon a group names exists, and every icon is named by a group.
        std::set<std::uint16_t> referenced;
        std::size_t groupCount = 0;
        for (const auto& leaf : after->Resources()->Leaves()) {
            if (leaf.key.type == ResourceId::Number(14)) {
                ++groupCount;
                const auto ids = IconGroupIds(leaf.leaf->Data());
                ASSERT_TRUE(ids);
                referenced.insert(ids->begin(), ids->end());
            }
        }
        EXPECT_EQ(IconIds(*after), referenced);
        EXPECT_LE(groupCount, groups.size());
        const std::set<std::uint16_t> old = IconIds(*before);
        const auto newIds = GroupIds(*after, groups.front().key.name);
        ASSERT_EQ(newIds.size(), 1u);
        EXPECT_EQ(old.count(newIds[0]), 0u) << "a fresh id";
        // The other groups are untouched, byte for byte.
        for (std::size_t i = 1; i < groups.size(); ++i) {
            if (groups[i].key.name == groups.front().key.name) {
                continue;
            }
            const ExeResource* kept = after->Resources()->FindLeaf(
                groups[i].key.type, groups[i].key.name, groups[i].key.language);
            ASSERT_NE(kept, nullptr);
            EXPECT_TRUE(std::ranges::equal(kept->Data(), groups[i].leaf->Data()));
        }
    }
}

// A type of the user's called ICON or 123 is reached as name:ICON and name:123, and listed
// that way; plain ICON and 123 stay the numbered types.
TEST_F(ToolCommandsTest, TypesNamedLikeUsualTypesOrNumbersAreTypedAsNames) {
    ASSERT_EQ(Run({"edit", P("in.exe"), "--type", "name:Icon", "--add-string", "A", "named icon",
                   "--type", "NAME:123", "--add-string", "B", "named number", "--type", "123",
                   "--add-string", "C", "numbered", "-o", P("out.exe")}),
              0)
        << err_.str();
    const std::string list = List("out.exe");
    EXPECT_NE(list.find("name:123\tB\t1\t12\n"), std::string::npos) << list;
    EXPECT_NE(list.find("name:ICON\tA\t1\t10\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\n123\tC\t1\t8\n"), std::string::npos) << list;
    EXPECT_EQ(Get({P("out.exe"), "a", "--type", "name:icon"}), "named icon");
    EXPECT_EQ(Get({P("out.exe"), "B", "--type", "name:123"}), "named number");
    EXPECT_EQ(Get({P("out.exe"), "C", "--type", "123"}), "numbered");
    EXPECT_EQ(Run({"get", P("out.exe"), "A", "--type", "ICON"}), 1);
    EXPECT_EQ(FirstLine(),
              "resmelder: cannot get ICON/A from " + P("out.exe") + " (no such resource)");
    EXPECT_EQ(Run({"get", P("out.exe"), "B", "--type", "name:123", "--lang", "7"}), 1);
    EXPECT_EQ(FirstLine(),
              "resmelder: cannot get name:123/B/7 from " + P("out.exe") + " (no such resource)");
    EXPECT_EQ(Run({"get", P("out.exe"), "A", "--type", "name:#3"}), 2);
}

// Text the ANSI code page cannot hold is refused, never stored with "?" or a look-alike in
// its place (the platform's converter would make A of A-macron, 8 of infinity and A of a
// full-width A); --encoding keeps it whole.
TEST_F(ToolCommandsTest, TextTheAnsiCodePageCannotHoldIsRefusedOrStoredAsAsked) {
    struct Cp1252 {
        Cp1252() { EncodingConvert::SetAnsiCodePage(1252); }
        ~Cp1252() { EncodingConvert::SetAnsiCodePage(0); }
    } codePage;
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    for (const char* text : {"\xC4\x80", "\xE2\x88\x9E", "\xEF\xBC\xA1", "\xE4\xB8\x96"}) {
        EXPECT_EQ(
            Run({"add-string", P("in.exe"), "Note", std::string("x ") + text, "-o", P("in.exe")}),
            1);
        EXPECT_EQ(err_.str(),
                  "resmelder: cannot add RCDATA/NOTE/1 to " + P("in.exe") +
                      " (the text has characters the ANSI code page cannot hold; --encoding "
                      "utf-8 or utf-16 stores it whole)\n");
    }
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);
    ASSERT_EQ(
        Run({"add-string", P("in.exe"), "Note", "Caf\xC3\xA9 \xE2\x82\xAC", "-o", P("in.exe")}), 0);
    EXPECT_EQ(Get({P("in.exe"), "note"}), "Caf\xE9 \x80") << "what fits stays ANSI";
    ASSERT_EQ(Run({"edit", P("in.exe"), "--encoding", "utf-8", "--add-string", "U8",
                   "\xC4\x80\xE4\xB8\x96", "--encoding", "utf-16", "--add-string", "U16",
                   "\xC4\x80\xF0\x9F\x98\x80", "-o", P("in.exe")}),
              0)
        << err_.str();
    EXPECT_EQ(Get({P("in.exe"), "u8"}), "\xC4\x80\xE4\xB8\x96");
    EXPECT_EQ(Get({P("in.exe"), "u16"}), std::string("\x00\x01\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(Run({"add-string", P("in.exe"), "N", "t", "--encoding", "latin1", "-o", P("in.exe")}),
              2);
    EXPECT_EQ(Run({"add-file", P("in.exe"), "N", "t", "--encoding", "utf-8", "-o", P("in.exe")}),
              2);
}

}  // namespace
}  // namespace resmelder
