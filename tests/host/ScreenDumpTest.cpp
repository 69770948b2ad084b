#include "FakeFrontend.h"

#include "host/gfx/eSkin.h"
#include "host/gui/Screen.h"
#include "host/gui/eButton.h"
#include "host/gui/eCheckbox.h"
#include "host/gui/eComboBox.h"
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eNumber.h"
#include "host/gui/eProgress.h"
#include "host/gui/eWindow.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Just enough JSON to check the dump: objects, arrays, strings, numbers, literals.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool b = false;
    double n = 0;
    std::string s;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& k) const
    {
        static const Json none;
        auto it = fields.find(k);
        return it == fields.end() ? none : it->second;
    }
    const Json& operator[](size_t i) const { return items.at(i); }
};

class Parser {
public:
    explicit Parser(const std::string& t) : m_t(t) {}
    bool parse(Json& out)
    {
        return value(out) && (skip(), m_p == m_t.size());
    }

private:
    void skip()
    {
        while (m_p < m_t.size() && isspace(static_cast<unsigned char>(m_t[m_p])))
            ++m_p;
    }
    bool str(std::string& out)
    {
        if (m_t[m_p] != '"')
            return false;
        for (++m_p; m_p < m_t.size(); ++m_p) {
            const char c = m_t[m_p];
            if (c == '"') {
                ++m_p;
                return true;
            }
            if (c == '\\') {
                if (++m_p >= m_t.size())
                    return false;
                const char e = m_t[m_p];
                if (e == 'u') {
                    m_p += 4;
                    out += '?';
                } else {
                    out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                }
            } else if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            } else {
                out += c;
            }
        }
        return false;
    }
    bool value(Json& out)
    {
        skip();
        if (m_p >= m_t.size())
            return false;
        const char c = m_t[m_p];
        if (c == '{') {
            out.kind = Json::Object;
            ++m_p;
            skip();
            if (m_t[m_p] == '}')
                return ++m_p, true;
            for (;;) {
                skip();
                std::string k;
                if (!str(k))
                    return false;
                skip();
                if (m_t[m_p++] != ':')
                    return false;
                if (!value(out.fields[k]))
                    return false;
                skip();
                if (m_t[m_p] == ',') {
                    ++m_p;
                    continue;
                }
                return m_t[m_p++] == '}';
            }
        }
        if (c == '[') {
            out.kind = Json::Array;
            ++m_p;
            skip();
            if (m_t[m_p] == ']')
                return ++m_p, true;
            for (;;) {
                out.items.emplace_back();
                if (!value(out.items.back()))
                    return false;
                skip();
                if (m_t[m_p] == ',') {
                    ++m_p;
                    continue;
                }
                return m_t[m_p++] == ']';
            }
        }
        if (c == '"') {
            out.kind = Json::String;
            return str(out.s);
        }
        for (const char* lit : {"true", "false", "null"})
            if (m_t.compare(m_p, strlen(lit), lit) == 0) {
                m_p += strlen(lit);
                out.kind = lit[0] == 'n' ? Json::Null : Json::Bool;
                out.b = lit[0] == 't';
                return true;
            }
        size_t used = 0;
        out.kind = Json::Number;
        out.n = std::stod(m_t.substr(m_p), &used);
        m_p += used;
        return used > 0;
    }
    const std::string& m_t;
    size_t m_p = 0;
};

Json parse(const std::string& text)
{
    Json j;
    EXPECT_TRUE(Parser(text).parse(j)) << text;
    return j;
}

const Json* findWidget(const Json& list, const std::string& name)
{
    for (const Json& w : list.items) {
        if (w["name"].s == name)
            return &w;
        if (const Json* inner = findWidget(w["children"], name))
            return inner;
    }
    return nullptr;
}

TEST(ScreenDump, DescribesWindowsWidgetsAndTheirState)
{
    FakeFrontend fe;
    class eSetupLike : public eWindow {
    public:
        eSetupLike() : eWindow(1) {}
    } win;
    win.setText(" Setup/Info");
    win.cmove(ePoint(100, 90));
    win.cresize(eSize(480, 430));
    int init = 5;
    auto* number = new eNumber(&win, 1, 0, 59, 2, &init, 1);
    number->setName("start");
    number->move(ePoint(10, 20));
    number->resize(eSize(60, 30));
    number->setHelpText("Press OK and type start offset value in minutes.");
    auto* box = new eCheckbox(&win, 1);
    box->setName("offline");
    box->setText("Use offline data.");
    auto* legend = new eLabel(&win);
    legend->setName("legend");
    legend->setText("Themes");
    legend->setBackgroundColor(eSkin::getActive()->queryColor("std_dred"));
    legend->setAlign(2);
    legend->setFlags(0x40);
    auto* list = new eListBox<eListBoxEntryText>(&win);
    list->setName("eventh");
    list->resize(eSize(200, 100));
    for (const char* t : {"Film", "Sport", "News"})
        new eListBoxEntryText(list, t);
    list->setCurrent(list->getEntry(1));
    auto* combo = new eComboBox(&win);
    combo->setName("comboday");
    combo->addEntry("Tue 09", reinterpret_cast<void*>(2));
    combo->addEntry("Wed 10", reinterpret_cast<void*>(3));
    combo->setCurrent(3);
    auto* progress = new eProgress(&win);
    progress->setName("bar");
    progress->setPerc(40);
    auto* hidden = new eButton(&win);
    hidden->setName("hidden");
    hidden->hide();
    win.show();
    win.setFocus(number);
    eMessageBox msg("Can't open DEMUX device.", "LOG Error:", eMessageBox::btOK | eMessageBox::iconError);
    msg.show();

    const std::string text = host::describeScreen();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const Json dump = parse(text);
    ASSERT_EQ(dump["windows"].items.size(), 2u);
    const Json& w = dump["windows"][0];
    EXPECT_NE(w["class"].s.find("eSetupLike"), std::string::npos);
    EXPECT_EQ(w["title"].s, " Setup/Info");
    EXPECT_EQ(w["client"]["x"].n, 100);
    EXPECT_EQ(w["client"]["y"].n, 90);
    EXPECT_EQ(w["client"]["w"].n, 480);
    EXPECT_EQ(w["client"]["h"].n, 430);
    EXPECT_EQ(w["focus"]["name"].s, "start");
    EXPECT_EQ(w["focus"]["index"].n, 0);

    const Json* n = findWidget(w["widgets"], "start");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ((*n)["class"].s, "eNumber");
    EXPECT_EQ((*n)["value"].n, 5);
    EXPECT_EQ((*n)["x"].n, 10);
    EXPECT_EQ((*n)["abs"]["x"].n, 110);
    EXPECT_EQ((*n)["abs"]["y"].n, 110);
    EXPECT_TRUE((*n)["focused"].b);
    EXPECT_EQ((*n)["help"].s, "Press OK and type start offset value in minutes.");

    EXPECT_TRUE((*findWidget(w["widgets"], "offline"))["checked"].b);
    const Json& l = *findWidget(w["widgets"], "legend");
    EXPECT_EQ(l["background"].s, "std_dred");
    EXPECT_EQ(l["align"].n, 2);
    EXPECT_EQ(l["flags"].n, 64);
    const Json& lb = *findWidget(w["widgets"], "eventh");
    ASSERT_EQ(lb["rows"].items.size(), 3u);
    EXPECT_EQ(lb["rows"][2].s, "News");
    EXPECT_EQ(lb["current"].n, 1);
    const Json& cb = *findWidget(w["widgets"], "comboday");
    EXPECT_EQ(cb["entries"].items.size(), 2u);
    EXPECT_EQ(cb["currentText"].s, "Wed 10");
    EXPECT_EQ((*findWidget(w["widgets"], "bar"))["percent"].n, 40);
    EXPECT_FALSE((*findWidget(w["widgets"], "hidden"))["visible"].b);

    const Json& m = dump["windows"][1];
    EXPECT_EQ(m["class"].s, "eMessageBox");
    EXPECT_EQ(m["caption"].s, "LOG Error:");
    EXPECT_EQ(m["message"].s, "Can't open DEMUX device.");
    EXPECT_EQ(m["icon"].s, "error");
    ASSERT_EQ(m["buttons"].items.size(), 1u);
    EXPECT_EQ(m["buttons"][0].s, "OK");
    EXPECT_EQ(m["focusedButton"].s, "OK");
}

TEST(ScreenDump, TextsThatAreNotUtf8AreConverted)
{
    eWindow win;
    win.setText("Caf\xe9 \xa4");
    win.show();
    const Json dump = parse(host::describeScreen());
    ASSERT_EQ(dump["windows"].items.size(), 1u);
    EXPECT_EQ(dump["windows"][0]["title"].s, "Caf\xc3\xa9 \xe2\x82\xac");
}

} // namespace
