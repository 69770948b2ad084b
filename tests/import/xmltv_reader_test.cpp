// The XMLTV reader: what a document yields, and the errors that name file and line.
#include "import/XmltvReader.h"
#include "ImportFixture.h"

#include <zlib.h>

using namespace importer;
using importtest::TempFolder;

namespace {

struct Read {
    bool ok = false;
    SourceGuide guide;
    Report report;
    std::string error;
};

Read parse(const std::string& xml)
{
    Read r;
    r.ok = XmltvReader().readBuffer("guide.xml", xml.data(), xml.size(), r.guide, r.report, &r.error);
    return r;
}

const char* kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n";

} // namespace

TEST(XmltvTime, ZonesAndPrecision)
{
    std::time_t t = 0;
    ASSERT_TRUE(XmltvReader::parseTime("20261208213000 +0100", t));
    EXPECT_EQ(t, 1796761800); // 20:30 UTC
    ASSERT_TRUE(XmltvReader::parseTime("202612082030 Z", t));
    EXPECT_EQ(t, 1796761800);
    ASSERT_TRUE(XmltvReader::parseTime("20261208153000 -0500", t));
    EXPECT_EQ(t, 1796761800);
    ASSERT_TRUE(XmltvReader::parseTime("20261208203000UTC", t));
    EXPECT_EQ(t, 1796761800);
    // Without a zone the time means nothing certain; dates alone and garbage neither.
    EXPECT_FALSE(XmltvReader::parseTime("20261208213000", t));
    EXPECT_FALSE(XmltvReader::parseTime("20261208 +0100", t));
    EXPECT_FALSE(XmltvReader::parseTime("20261308213000 +0100", t));
    EXPECT_FALSE(XmltvReader::parseTime("20261208213000 +01", t));
    EXPECT_FALSE(XmltvReader::parseTime("20261208213000 CET", t));
}

TEST(XmltvReader, ChannelsProgrammesAndTheirParts)
{
    const Read r = parse(std::string(kHead) +
                         "<tv>\n"
                         " <programme start=\"20261208210000 +0100\" stop=\"20261208223000 +0100\" channel=\"uno\">\n"
                         "  <title lang=\"it\">Tom &amp; Jerry</title><title lang=\"en\">Other</title>\n"
                         "  <desc><![CDATA[Uno <due>]]>\ntre</desc><desc>second</desc>\n"
                         "  <category>Film</category><category>Commedia</category><rating><value>14</value></rating>\n"
                         " </programme>\n"
                         " <channel id=\"uno\"><display-name>Rete Uno</display-name><display-name>R1</display-name></channel>\n"
                         " <programme start=\"20261208223000 +0100\" channel=\"nowhere\"><title>Lost</title></programme>\n"
                         "</tv>\n");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.guide.channels.size(), 1u);
    EXPECT_EQ(r.guide.channels[0].names, (std::vector<std::string>{"Rete Uno", "R1"}));
    EXPECT_EQ(r.guide.channels[0].line, 10);
    // The programme before its channel still finds it; the undeclared channel's is noted and left out.
    ASSERT_EQ(r.guide.programmes.size(), 1u);
    const Programme& p = r.guide.programmes[0];
    EXPECT_EQ(p.title, "Tom & Jerry");
    EXPECT_EQ(p.desc, "Uno <due>\ntre");
    EXPECT_EQ(p.categories, (std::vector<std::string>{"Film", "Commedia"}));
    EXPECT_EQ(p.stop - p.start, 90 * 60);
    EXPECT_EQ(p.line, 4);
    ASSERT_EQ(r.report.notes.size(), 1u);
    EXPECT_NE(r.report.notes[0].find("guide.xml line 11: "), std::string::npos) << r.report.notes[0];
    EXPECT_NE(r.report.notes[0].find("\"nowhere\" is not declared"), std::string::npos);
}

TEST(XmltvReader, EntitiesOfTheInternalSubsetExpandUndeclaredOnesFail)
{
    Read r = parse("<?xml version=\"1.0\"?>\n<!DOCTYPE tv [<!ENTITY rai \"Rai Uno\">]>\n"
                   "<tv><channel id=\"a\"><display-name>&rai;</display-name></channel></tv>\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.guide.channels[0].names[0], "Rai Uno");

    r = parse(std::string(kHead) + "<tv>\n<channel id=\"a\"><display-name>&nbsp;</display-name></channel></tv>\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "guide.xml line 4: the entity &nbsp; is not declared");
}

TEST(XmltvReader, BrokenDocumentsNameTheLine)
{
    struct Case {
        std::string body;
        std::string error;
    } cases[] = {
        {"<tv>\n<channel id=\"a\"><display-name>A</display-name>\n</tv>\n", "guide.xml line 5: mismatched tag"},
        {"<tv>\n<channel id=\"a\"></channel>\n</tv>\n", "guide.xml line 4: <channel id=\"a\"> without a <display-name>"},
        {"<tv>\n<channel><display-name>A</display-name></channel></tv>\n", "guide.xml line 4: <channel> without its id"},
        {"<tv>\n\n<programme start=\"20261208210000 +0100\" channel=\"a\"></programme></tv>\n",
         "guide.xml line 5: <programme> without a <title>"},
        {"<tv><programme channel=\"a\"><title>x</title></programme></tv>\n",
         "guide.xml line 3: <programme> without its start"},
        {"<tv>\n<programme start=\"20261208210000\" channel=\"a\"><title>x</title></programme></tv>\n",
         "guide.xml line 4: start time \"20261208210000\" is not YYYYMMDDhhmmss with a zone such as +0100"},
        {"<guide/>\n", "guide.xml line 3: the document element is <guide>, not <tv>"},
        {"<tv>\n<channel id=\"a\">", "guide.xml line 4: no element found"},
    };
    for (const auto& c : cases) {
        const Read r = parse(std::string(kHead) + c.body);
        EXPECT_FALSE(r.ok) << c.body;
        EXPECT_EQ(r.error.substr(0, c.error.size()), c.error) << r.error;
    }
}

struct XmltvFiles : TempFolder {
    void gzip(const std::string& name, const std::string& text, size_t keep) const
    {
        const std::string full = path(name);
        gzFile f = gzopen(full.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(gzwrite(f, text.data(), unsigned(text.size())), int(text.size()));
        gzclose(f);
        std::filesystem::resize_file(full, keep ? keep : std::filesystem::file_size(full));
    }
    std::string document() const
    {
        std::string xml = std::string(kHead) + "<tv>\n <channel id=\"a\"><display-name>A</display-name></channel>\n";
        for (int i = 0; i < 2000; ++i) {
            char start[32];
            std::snprintf(start, sizeof start, "202612%02d%02d%02d00 +0100", 8 + i / 1440, i / 60 % 24, i % 60);
            xml += std::string(" <programme start=\"") + start + "\" channel=\"a\"><title>Programme " +
                   std::to_string(i) + "</title></programme>\n";
        }
        return xml + "</tv>\n";
    }
};

TEST_F(XmltvFiles, PlainAndCompressedReadAlikeACutOneFails)
{
    const std::string xml = document();
    write("plain.xml", xml);
    gzip("whole.xml.gz", xml, 0);
    SourceGuide plain, packed;
    Report report;
    std::string error;
    ASSERT_TRUE(XmltvReader().readFile(path("plain.xml"), plain, report, &error)) << error;
    ASSERT_TRUE(XmltvReader().readFile(path("whole.xml.gz"), packed, report, &error)) << error;
    ASSERT_EQ(plain.programmes.size(), 2000u);
    ASSERT_EQ(packed.programmes.size(), 2000u);
    EXPECT_EQ(packed.programmes[1999].title, "Programme 1999");

    gzip("cut.xml.gz", xml, 3000);
    SourceGuide cut;
    EXPECT_FALSE(XmltvReader().readFile(path("cut.xml.gz"), cut, report, &error));
    EXPECT_EQ(error.rfind(path("cut.xml.gz") + " line ", 0), 0u) << error;
    EXPECT_NE(error.find("cut short"), std::string::npos) << error;

    EXPECT_FALSE(XmltvReader().readFile(path("missing.xml"), cut, report, &error));
    EXPECT_NE(error.find("missing.xml: cannot open the file"), std::string::npos) << error;
}
