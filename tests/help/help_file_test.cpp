// The help file that the build compiled, read through chmlib as the help
// window reads it: its context map, its own links and its navigation files.

#include "help/ChmArchive.h"
#include "help/Sitemap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

class HelpFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { archive = TChmArchive::Open(FINDARO_HELP_FILE); }
    static void TearDownTestSuite() { archive.reset(); }
    void SetUp() override { ASSERT_TRUE(archive) << "cannot open " << FINDARO_HELP_FILE; }

    // Whether a link from the topic `from` leads to a file of the archive
    // and, with a fragment, to an anchor in it. Returns what is wrong.
    static std::string Broken(const std::string& from, std::string link) {
        std::string fragment;
        if (const size_t hash = link.find('#'); hash != std::string::npos) {
            fragment = link.substr(hash + 1);
            link.erase(hash);
        }
        std::string path = link.empty() ? from : from.substr(0, from.rfind('/') + 1) + link;
        if (!archive->Contains(path))
            return "missing file " + path;
        if (!fragment.empty()) {
            const std::string text = archive->Read(path).value_or("");
            if (text.find("name=\"" + fragment + "\"") == std::string::npos &&
                text.find("id=\"" + fragment + "\"") == std::string::npos)
                return "no anchor " + fragment + " in " + path;
        }
        return {};
    }

    static std::vector<std::string> Topics() {
        std::vector<std::string> topics;
        for (const std::string& file : archive->Files())
            if (file.size() > 4 && file.compare(file.size() - 4, 4, ".htm") == 0)
                topics.push_back(file);
        return topics;
    }

    static inline std::unique_ptr<TChmArchive> archive;
};

TEST_F(HelpFile, MapsEveryContextIdOfTheProgramToItsTopic) {
    struct Case {
        uint32_t context;
        std::string topic; // empty: no topic
        std::string title;
    };
    const Case cases[] = {
        {1000, "/search_window.htm", "The search window"},
        {1003, "/configuration.htm", "The configuration dialog"},
        {1005, "/search_fields.htm", "Search Fields"},
        {1006, "/display_format.htm", "Display Format"},
        {1007, "/containers_and_options.htm", "Search Containers and Misc Options"},
        {1008, "/diagnostics.htm", "Diagnostics"},
        {1001, "", ""},
        {1002, "", ""},
        {1004, "", ""},
        {0, "", ""},
        {999, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.context);
        EXPECT_EQ(archive->TopicForContext(c.context), c.topic);
        if (!c.topic.empty()) {
            EXPECT_NE(archive->Read(c.topic).value_or("").find("<title>" + c.title + "</title>"),
                      std::string::npos);
        }
    }
    EXPECT_EQ(archive->ContextMap().size(), 6u);
}

TEST_F(HelpFile, NamesItsTitleStartTopicContentsAndIndex) {
    EXPECT_EQ(archive->Title(), "Findaro Help");
    EXPECT_EQ(archive->DefaultTopic(), "/introduction.htm");
    EXPECT_EQ(archive->ContentsFile(), "/Findaro.hhc");
    EXPECT_EQ(archive->IndexFile(), "/Findaro.hhk");
    for (const std::string& file :
         {archive->DefaultTopic(), archive->ContentsFile(), archive->IndexFile()})
        EXPECT_TRUE(archive->Contains(file)) << file;
}

TEST_F(HelpFile, KeepsNoFolderOfTheBuildMachine) {
    // The compiler stores mapped topics with the path they had when it ran.
    const std::string strings = archive->Read("/#STRINGS").value_or("");
    ASSERT_NE(strings.find("search_window.htm"), std::string::npos);
    EXPECT_EQ(strings.find(FINDARO_SOURCE_DIR), std::string::npos);
    EXPECT_EQ(strings.find(FINDARO_BINARY_DIR), std::string::npos);
}

TEST_F(HelpFile, EveryLinkPictureAndStyleSheetResolvesInsideTheFile) {
    const std::regex reference(R"re(\b(href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
    std::set<std::string> linked;
    int links = 0, pictures = 0, styleSheets = 0;
    const std::vector<std::string> topics = Topics();
    ASSERT_GE(topics.size(), 9u);
    for (const std::string& topic : topics) {
        const std::string text = archive->Read(topic).value_or("");
        for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it) {
            const std::string target = (*it)[2];
            if (target.rfind("http:", 0) == 0 || target.rfind("https:", 0) == 0 ||
                target.rfind("mailto:", 0) == 0)
                continue;
            EXPECT_EQ(Broken(topic, target), "") << "in " << topic;
            linked.insert("/" + target.substr(0, target.find('#')));
            (*it)[1] == "src" ? ++pictures : ++links;
            styleSheets += target.find(".css") != std::string::npos;
        }
        EXPECT_NE(text.find("findaro.css"), std::string::npos) << topic << " has no style sheet";
    }
    EXPECT_GT(links, 30);
    EXPECT_GE(pictures, 2);
    EXPECT_EQ(styleSheets, int(topics.size()));
    // No topic is reachable only through the contents.
    for (const std::string& topic : topics)
        EXPECT_TRUE(linked.count(topic)) << topic << " is linked from no other topic";
}

TEST_F(HelpFile, ContentsAndIndexLeadToTopicsOfTheFile) {
    for (const std::string& file : {archive->ContentsFile(), archive->IndexFile()}) {
        SCOPED_TRACE(file);
        const std::vector<TSitemapEntry> entries = ParseSitemap(archive->Read(file).value_or(""));
        EXPECT_GE(entries.size(), 9u);
        for (const TSitemapEntry& entry : entries)
            EXPECT_EQ(Broken(file, entry.Local), "") << entry.Name;
    }
    // Every topic has its place in the contents; the pages of the dialog
    // stand below the dialog's own topic.
    std::set<std::string> listed;
    std::vector<std::string> dialogPages;
    for (const TSitemapEntry& entry :
         ParseSitemap(archive->Read(archive->ContentsFile()).value_or(""))) {
        listed.insert("/" + entry.Local.substr(0, entry.Local.find('#')));
        if (entry.Depth == 2)
            dialogPages.push_back(entry.Name);
    }
    for (const std::string& topic : Topics())
        EXPECT_TRUE(listed.count(topic)) << topic << " is not in the contents";
    EXPECT_EQ(dialogPages,
              (std::vector<std::string>{"Search Containers", "Search Fields", "Display Format",
                                        "Misc Options", "Diagnostics"}));
}

// A help project whose topics lie in folders: the map must name the topic
// in its folder, whatever folder the compiler ran in.
TEST(ChmArchive, FindsMappedTopicsInFolders) {
    const fs::path dir = fs::path(::testing::TempDir()) / "findaro-chm-folders";
    fs::remove_all(dir);
    fs::create_directories(dir / "pages" / "inner");
    const auto write = [&](const fs::path& name, const std::string& text) {
        std::ofstream(dir / name) << text;
    };
    for (const char* page : {"pages/a.htm", "pages/inner/a.htm", "start.htm"})
        write(page,
              std::string("<html><head><title>") + page + "</title></head><body></body></html>");
    write("map.h", "#define IDH_A 10\n#define IDH_INNER 20\n#define IDH_START 30\n");
    write("t.hhp",
          "[OPTIONS]\nCompiled file=t.chm\nDefault topic=start.htm\nTitle=T\n\n"
          "[FILES]\npages/a.htm\npages/inner/a.htm\nstart.htm\n\n"
          "[ALIAS]\nIDH_A=pages/a.htm\nIDH_INNER=pages/inner/a.htm\nIDH_START=start.htm\n\n"
          "[MAP]\n#include map.h\n");
    const std::string compile = "cd '" + dir.string() + "' && '" CHMCMD "' t.hhp >compile.log 2>&1";
    ASSERT_EQ(std::system(compile.c_str()), 0);
    const auto archive = TChmArchive::Open((dir / "t.chm").string());
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->ContextMap(),
              (std::map<uint32_t, std::string>{
                  {10, "/pages/a.htm"}, {20, "/pages/inner/a.htm"}, {30, "/start.htm"}}));
    EXPECT_EQ(archive->Title(), "T");
    EXPECT_FALSE(TChmArchive::Open((dir / "map.h").string())) << "not a help file";
    EXPECT_FALSE(TChmArchive::Open((dir / "none.chm").string()));
    fs::remove_all(dir);
}

TEST(Sitemap, ReadsTheListsThatHelpEditorsWrite) {
    struct Case {
        const char* name;
        std::string html;
        std::vector<TSitemapEntry> entries;
    };
    const Case cases[] = {
        {"nested lists, unclosed items",
         "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
         "<param name=\"Local\" value=\"a.htm\"></OBJECT>"
         "<UL><LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"B\"></object></UL>"
         "<LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"C\">"
         "<param name=\"Local\" value=\"c.htm#x\"></object></UL>",
         {{1, "A", "a.htm"}, {2, "B", ""}, {1, "C", "c.htm#x"}}},
        {"quoting, case and entities",
         "<ul><li><object TYPE='Text/Sitemap'><PARAM NAME=name VALUE='M&uuml;ller &amp; "
         "S&#246;hne'/>"
         "<param value=\"m.htm\" name=\"local\"></object></ul>",
         {{1, "M&uuml;ller & S\xC3\xB6hne", "m.htm"}}},
        {"the first name and topic count; comments and other objects do not",
         "<!-- <object type=\"text/sitemap\"><param name=\"Name\" value=\"X\"></object> -->"
         "<object type=\"text/site properties\"><param name=\"Name\" value=\"Y\"></object>"
         "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"K\">"
         "<param name=\"Name\" value=\"K2\"><param name=\"Local\" value=\"k.htm\">"
         "<param name=\"Local\" value=\"k2.htm\"></object></ul>",
         {{1, "K", "k.htm"}}},
        {"an entry without a name, a truncated file",
         "<ul><li><object type=\"text/sitemap\"><param name=\"Local\" value=\"n.htm\"></object>"
         "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Cut",
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseSitemap(c.html), c.entries) << c.name;
}

} // namespace
