#include "platform/ini_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "support/files.h"

namespace tamblor {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using test::ReadFile;
using test::WriteFile;

class IniStoreTest : public ::testing::Test {
protected:
    std::string Folder() const { return folder_.path.string(); }
    fs::path File() const { return folder_.path / "VKM222005.ini"; }
    std::vector<std::string> Names() const { return test::NamesIn(folder_.path); }

    test::TestFolder folder_{"ini_store_test_"};
};

// Values the file syntax would otherwise eat: separators, quotes, comment
// and section markers, surrounding blanks, escapes.
const std::vector<std::pair<std::string, std::string>> kAwkward = {
    {"plain", "1Z4K"},
    {"with=equals", "a=b=c"},
    {" spaced key ", "  leading and trailing  "},
    {"[notasection]", "[x]"},
    {";notacomment", "; nor this"},
    {"#hash", "#"},
    {"\"quoted\"", "\"quoted\""},
    {"back\\slash", "ends with backslash\\"},
    {"quote\"=inside", "\\\"mixed\\"},
    {"", ""},
    {"tab\tkey", "\ttabbed\t"},
    {"utf8", "caf\xC3\xA9 \xE2\x82\xAC"},
};

TEST_F(IniStoreTest, ValuesSurviveASaveAndALaterRunIdentically) {
    {
        IniSettingsStore store(Folder());
        for (const auto& [key, value] : kAwkward) store.Set("VKM222005", "Settings", key, value);
        store.Set("VKM222005", "Scores", "0I", "---");
        store.Set("Other", "Settings", "plain", "separate file");
        store.Flush();
    }
    IniSettingsStore later(Folder());
    for (const auto& [key, value] : kAwkward) {
        EXPECT_EQ(later.Get("VKM222005", "Settings", key, "absent"), value) << "key [" << key << "]";
    }
    EXPECT_EQ(later.Get("VKM222005", "Scores", "0I", "absent"), "---");
    EXPECT_EQ(later.Get("VKM222005", "Scores", "plain", "absent"), "absent");
    EXPECT_EQ(later.Get("Other", "Settings", "plain", "absent"), "separate file");
    EXPECT_EQ(later.Get("Missing", "Settings", "plain", "fallback"), "fallback");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Other.ini", "VKM222005.ini"}));
}

// (A save replaces the file in one step, never rewriting it in place: the
// settings path of HostileFilesTest, where a rewrite in place would go
// through the link planted there.)

TEST_F(IniStoreTest, UnreadableFileIsMovedAsideKeptAndDefaultsUsed) {
    const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR binary", 24);
    WriteFile(File(), garbage);
    auto readDefault = [&] {
        IniSettingsStore store(Folder());
        EXPECT_EQ(store.Get("VKM222005", "Settings", "GameMode", "0"), "0");
        store.Set("VKM222005", "Settings", "GameMode", "1");
        store.Flush();
    };
    EXPECT_THAT(test::StderrOf(readDefault), HasSubstr("VKM222005.ini"));
    // A second bad file within the same second must not replace the first.
    WriteFile(File(), "this line is not a setting\n");
    test::StderrOf(readDefault);

    auto names = Names();
    ASSERT_EQ(names.size(), 3u);  // the saved file and both set aside
    std::set<std::string> kept;
    for (const auto& name : names) {
        if (name == "VKM222005.ini") continue;
        ASSERT_EQ(name.rfind("VKM222005.ini.bad-", 0), 0u) << name;
        kept.insert(ReadFile(folder_.path / name));
    }
    EXPECT_EQ(kept, (std::set<std::string>{garbage, "this line is not a setting\n"}));
}

TEST_F(IniStoreTest, ParserReadsHandEditedFilesAndRejectsWhatIsNotIni) {
    IniData data;
    ASSERT_TRUE(ParseIni("\xEF\xBB\xBF; comment\r\ntop = level\r\n\r\n  [Settings]  \r\n"
                         "# another\n GameMode =  1 \nHSPacMan=\"  padded  \"\nEmpty=\n"
                         "Odd=\"unterminated\n[Scores]\n0I=---",
                         data));
    EXPECT_EQ(data, (IniData{{"", {{"top", "level"}}},
                             {"Settings", {{"GameMode", "1"}, {"HSPacMan", "  padded  "}, {"Empty", ""},
                                           {"Odd", "\"unterminated"}}},
                             {"Scores", {{"0I", "---"}}}}));

    for (const std::string& bad : std::vector<std::string>{"no equals sign here", "[unclosed", "=no key", "key=va\x01lue",
                            std::string("nul\0byte=1", 10), "\"open key=1"}) {
        EXPECT_FALSE(ParseIni(bad, data)) << bad;
    }
}

TEST_F(IniStoreTest, RefusesLineBreaksAndSurvivesAnUnwritableFolder) {
    IniSettingsStore store(Folder() + "/file-not-folder");
    WriteFile(folder_.path / "file-not-folder", "x");
    EXPECT_THROW(store.Set("VKM222005", "Settings", "Key", "two\nlines"), RuntimeError);
    store.Set("VKM222005", "Settings", "Key", "kept");
    EXPECT_THAT(test::StderrOf([&] { store.Flush(); }), HasSubstr("cannot save"));  // reported, not thrown
    EXPECT_EQ(store.Get("VKM222005", "Settings", "Key", ""), "kept");
}

}  // namespace
}  // namespace tamblor
