// The screen dump: what is on screen, as one line of JSON (docs/screen-dump.md).
#include "host/gui/JsonWriter.h"
#include "host/gui/Screen.h"
#include "host/gui/eDesktop.h"
#include "host/gui/eWidget.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

namespace {

std::string className(const eWidget* w)
{
    const char* mangled = typeid(*w).name();
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string out = status == 0 && name ? name : mangled;
    std::free(name);
    return out;
}

void color(host::JsonWriter& out, const char* key, const gColor& c)
{
    out.key(key);
    if (!c.isValid()) {
        out.null();
    } else if (!c.name().empty()) {
        out.value(std::string(c.name()));
    } else {
        char buf[8];
        std::snprintf(buf, sizeof buf, "#%06x", c.rgb());
        out.value(buf);
    }
}

void flatten(const eWidget* w, std::vector<const eWidget*>& all)
{
    for (const eWidget* c : w->getChildren()) {
        all.push_back(c);
        flatten(c, all);
    }
}

void dumpWidget(host::JsonWriter& out, const eWidget* w)
{
    out.beginObject();
    out.field("class", className(w));
    out.field("name", std::string(w->getName()));
    out.field("text", std::string(w->getText()));
    out.field("x", w->getPosition().x());
    out.field("y", w->getPosition().y());
    out.field("w", w->getSize().width());
    out.field("h", w->getSize().height());
    const ePoint abs = w->getAbsolutePosition();
    out.rectField("abs", abs.x(), abs.y(), w->getSize().width(), w->getSize().height());
    out.field("visible", w->isVisible());
    out.field("focusable", w->takesFocus() != 0);
    out.field("focused", w->hasFocus());
    out.field("help", std::string(w->getHelpText()));
    out.field("shortcut", std::string(w->getShortcut()));
    color(out, "background", w->getBackgroundColor());
    color(out, "foreground", w->getForegroundColor());
    w->describe(out);
    if (!w->getChildren().empty()) {
        out.key("children");
        out.beginArray();
        for (const eWidget* c : w->getChildren())
            dumpWidget(out, c);
        out.endArray();
    }
    out.endObject();
}

void dumpWindow(host::JsonWriter& out, const eWidget* w, const eWidget* active)
{
    out.beginObject();
    out.field("class", className(w));
    out.field("title", std::string(w->getText()));
    out.rect(w->getPosition().x(), w->getPosition().y(), w->getSize().width(), w->getSize().height());
    const ePoint client = w->getAbsoluteClientPosition();
    out.rectField("client", client.x(), client.y(), w->getClientRect().width(), w->getClientRect().height());
    out.field("modal", w->isExecuting());
    out.field("active", w == active);
    std::vector<const eWidget*> all;
    flatten(w, all);
    const eWidget* focus = w->getFocus();
    out.key("focus");
    if (focus) {
        int index = 0;
        while (index < static_cast<int>(all.size()) && all[index] != focus)
            ++index;
        out.beginObject();
        out.field("name", std::string(focus->getName()));
        out.field("class", className(focus));
        out.field("index", index);
        out.field("text", std::string(focus->getText()));
        out.endObject();
    } else {
        out.null();
    }
    color(out, "background", w->getBackgroundColor());
    w->describe(out);
    out.key("widgets");
    out.beginArray();
    for (const eWidget* c : w->getChildren())
        dumpWidget(out, c);
    out.endArray();
    out.endObject();
}

} // namespace

void eWidget::describe(host::JsonWriter&) const {}

namespace host {

std::string describeScreen()
{
    eDesktop& d = eDesktop::instance();
    JsonWriter out;
    out.beginObject();
    out.key("screen");
    out.beginObject();
    out.field("w", kScreenWidth);
    out.field("h", kScreenHeight);
    out.endObject();
    out.key("windows");
    out.beginArray();
    const eWidget* active = d.activeWindow();
    for (const eWidget* w : d.windows())
        if (w->isShown())
            dumpWindow(out, w, active);
    out.endArray();
    out.endObject();
    return out.str();
}

} // namespace host
