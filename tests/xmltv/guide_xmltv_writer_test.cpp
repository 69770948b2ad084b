// The XMLTV document of a DVB guide: what each descriptor becomes, in its language,
// and what XMLTV cannot carry (an event without a title) left out.
#include "xmltv/GuideXmltvWriter.h"
#include "xmltv/LanguageCode.h"
#include "xmltv/OutputTarget.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace xmltv;

namespace {

std::string document(const std::vector<scan::GuideService>& services, GuideWriteCounts* counts = nullptr)
{
    char* data = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    const auto c = GuideXmltvWriter("test").write(f, services);
    std::fclose(f);
    std::string out(data, size);
    std::free(data);
    if (counts)
        *counts = c;
    return out;
}

bool has(const std::string& doc, const std::string& part) { return doc.find(part) != std::string::npos; }

} // namespace

TEST(GuideXmltv, EventDescriptorsBecomeElementsInTheirLanguages)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    scan::GuideService s;
    s.onid = 0x1, s.tsid = 0x44d, s.sid = 0x6dca, s.name = "Das Erste & Co";
    scan::GuideEvent e;
    e.start = 1710176400; // 2024-03-11 17:00 UTC
    e.duration = 900;
    e.titles = {{"ger", "Tagesschau", "Nachrichten"}, {"eng", "News", "News"}};
    e.extended = {{"deu", {{"Moderation", "Jens <Riewa>"}, {"", "Gast"}}, "Die Nachrichten"}};
    e.content = {{0x2, 0x0, 0}, {0x2, 0x1, 0}, {0x2, 0x0, 0}, {0xF, 0x3, 0}};
    e.ratings = {{"DEU", 0x09}, {"FRA", 0x20}};
    scan::GuideEvent untitled;
    untitled.start = e.start + 900;
    untitled.duration = 0;
    scan::GuideEvent open = e;
    open.start = e.start + 1800;
    open.duration = 0;
    open.extended.clear();
    s.events = {e, untitled, open};
    scan::GuideService silent; // no titled events: no channel
    silent.sid = 9;
    silent.events = {untitled};

    GuideWriteCounts counts;
    const std::string doc = document({s, silent}, &counts);
    EXPECT_EQ(counts.channels, 1u);
    EXPECT_EQ(counts.programmes, 2u);
    EXPECT_EQ(counts.untitled, 2u);
    EXPECT_TRUE(has(doc, "<channel id=\"1.44d.6dca.dvb\">\n    <display-name>Das Erste &amp; Co</display-name>"));
    EXPECT_FALSE(has(doc, "9.dvb"));
    EXPECT_TRUE(has(doc, "<programme start=\"20240311180000 +0100\" stop=\"20240311181500 +0100\" channel=\"1.44d.6dca.dvb\">\n"
                         "    <title lang=\"de\">Tagesschau</title>\n    <title lang=\"en\">News</title>\n"
                         "    <sub-title lang=\"de\">Nachrichten</sub-title>\n" // not the English one: it only repeats the title
                         "    <desc lang=\"de\">Moderation: Jens &lt;Riewa&gt;\nGast\nDie Nachrichten</desc>\n"
                         "    <category lang=\"en\">News / Current affairs</category>\n"
                         "    <category lang=\"en\">News / Weather report</category>\n"
                         "    <rating system=\"DEU\">\n      <value>12</value>\n    </rating>\n  </programme>"))
        << doc;
    // No duration: no stop.
    EXPECT_TRUE(has(doc, "<programme start=\"20240311183000 +0100\" channel=\"1.44d.6dca.dvb\">")) << doc;
    unsetenv("TZ");
    tzset();
}

TEST(GuideXmltv, LanguageCodes)
{
    EXPECT_EQ(xmltvLanguage("deu"), "de");
    EXPECT_EQ(xmltvLanguage("GER"), "de");
    EXPECT_EQ(xmltvLanguage("cze"), "cs");
    EXPECT_EQ(xmltvLanguage("ell"), "el");
    EXPECT_EQ(xmltvLanguage("zho"), "zh");
    EXPECT_EQ(xmltvLanguage("qaa"), "qaa"); // no two-letter form: kept
    EXPECT_EQ(xmltvLanguage("und"), "");
    EXPECT_EQ(xmltvLanguage("d1u"), "");
    EXPECT_EQ(xmltvLanguage("de"), "");
}

TEST(GuideXmltv, OutputLeavesTheTargetUntilCommitted)
{
    char tmpl[] = "/tmp/orvalis-output-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::filesystem::path dir = tmpl;
    const std::string target = (dir / "guide.xml").string();
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0604);
    std::string error;
    {
        OutputTarget out;
        ASSERT_TRUE(out.open(target, &error)) << error;
        std::fputs("new", out.stream());
        // Dropped without commit: the old file stays, no temporary file is left.
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    std::ifstream in(target);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "old");
    {
        OutputTarget out;
        ASSERT_TRUE(out.open(target, &error)) << error;
        std::fputs("new", out.stream());
        ASSERT_TRUE(out.commit(&error)) << error;
    }
    std::ifstream again(target);
    std::getline(again, text);
    EXPECT_EQ(text, "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    OutputTarget folder;
    EXPECT_FALSE(folder.open(dir.string(), &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    std::filesystem::remove_all(dir);
}
