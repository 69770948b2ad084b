#pragma once
#include "host/eString.h"
#include "host/gfx/eRect.h"
#include "host/gfx/gColor.h"
#include "host/gfx/gFont.h"
#include "host/gui/eActionMap.h"
#include "host/gui/eWidgetEvent.h"
#include "host/sigc.h"

#include <vector>

class gPainter;
namespace host {
class JsonWriter;
}

// Base of every widget and window. A widget without parent is a top-level window;
// children sit in their parent's client area, die with their parent and are painted
// after it, in creation order. The focus belongs to the top-level window.
class eWidget : public SigC::Object {
public:
    explicit eWidget(eWidget* parent = nullptr, int takefocus = 0);
    virtual ~eWidget();
    eWidget(const eWidget&) = delete;
    eWidget& operator=(const eWidget&) = delete;

    // Geometry: position in the parent's client area (on screen for a window), outer size.
    void move(const ePoint& position);
    void resize(const eSize& size);
    const ePoint& getPosition() const { return m_position; }
    const eSize& getSize() const { return m_size; }
    // The client area, relative to the widget's own top-left corner.
    const eRect& getClientRect() const { return m_clientRect; }
    ePoint getAbsolutePosition() const;       // on screen
    ePoint getAbsoluteClientPosition() const; // on screen

    void setText(const eString& text);
    const eString& getText() const { return m_text; }
    void setHelpText(const eString& text);
    const eString& getHelpText() const { return m_helpText; }
    void setName(const eString& name) { m_name = name; }
    const eString& getName() const { return m_name; }
    // A key name ("red", "0", ...): pressing it anywhere in the window fires this widget.
    void setShortcut(const eString& keyName);
    const eString& getShortcut() const { return m_shortcut; }

    void setFont(const gFont& font);
    const gFont& getFont() const; // the skin's default font when none was set
    void setBackgroundColor(const gColor& color);
    void setForegroundColor(const gColor& color);
    const gColor& getBackgroundColor() const { return m_backgroundColor; }
    const gColor& getForegroundColor() const { return m_foregroundColor; }

    // On a window: give the focus to that child. On a child: the same, for its window.
    void setFocus(eWidget* widget);
    eWidget* getFocus() const { return getTLW()->m_focus; }
    bool hasFocus() const { return getTLW()->m_focus == this; }
    int takesFocus() const { return m_takeFocus; }

    void show();
    void hide();
    bool isVisible() const; // shown, and every ancestor shown
    bool isShown() const { return m_shown; }
    void invalidate();                 // the whole widget
    void invalidate(const eRect& area); // area relative to the widget

    // Nested modal loop until close(result) is called for this widget; returns result.
    int exec();
    void close(int result);
    void accept() { close(0); }
    void reject() { close(-1); }
    bool isExecuting() const;

    void addActionMap(eActionMap* map);
    void removeActionMap(eActionMap* map);
    const std::vector<eActionMap*>& getActionMaps() const { return m_actionMaps; }

    eWidget* getParent() const { return m_parent; }
    // The top-level window this widget belongs to.
    eWidget* getTLW();
    const eWidget* getTLW() const;
    const std::vector<eWidget*>& getChildren() const { return m_children; }

    SigC::Signal1<void, const eWidget*> focusChanged;

    virtual void willShow();
    virtual void willHide();
    virtual void setPalette();
    virtual int eventFilter(const eWidgetEvent& event);
    virtual void keyDown(int rc);
    virtual void keyUp(int rc);
    virtual void gotFocus();
    virtual void lostFocus();
    virtual void recalcClientRect();
    virtual int eventHandler(const eWidgetEvent& event);
    virtual void redrawWidget(gPainter* painter, const eRect& area);
    virtual void eraseBackground(gPainter* painter, const eRect& area);
    virtual int setProperty(const eString& prop, const eString& value);

    // Fired by the widget's shortcut key: buttons emit selected, combos open, ...
    virtual void activate();
    // Adds the widget's own fields to a screen dump (class, geometry etc. are generic).
    virtual void describe(host::JsonWriter& out) const;
    // Hands an event to this widget: eventFilter first, then eventHandler.
    int event(const eWidgetEvent& e);

    // Paints the widget and its children into the painter, inside the absolute clip.
    void paint(gPainter& painter, const eRect& absClip);
    // The next/previous focusable visible widget of this window after 'from' (wraps).
    eWidget* nextFocusable(eWidget* from, int direction) const;
    bool isFocusable() const;

protected:
    // Called when text, font, size or colours change; labels drop their cached layout here.
    virtual void changed(int what);
    // The colour the widget paints text with (its own, else the skin's foreground).
    gColor effectiveForeground() const;
    // The text colour: the skin's focus text colour while focused, unless one was set.
    gColor textColor() const;
    void setClientRect(const eRect& r) { m_clientRect = r; }

private:
    friend class eDesktop;
    void collectFocusable(std::vector<eWidget*>& out) const;
    void focusLeaving(eWidget* w);
    void broadcast(const eWidgetEvent& e);

    eWidget* m_parent;
    std::vector<eWidget*> m_children;
    ePoint m_position;
    eSize m_size;
    eRect m_clientRect;
    eString m_text;
    eString m_helpText;
    eString m_name;
    eString m_shortcut;
    gFont m_font;
    gColor m_backgroundColor;
    gColor m_foregroundColor;
    int m_takeFocus;
    bool m_shown;
    eWidget* m_focus = nullptr; // top-level only
    std::vector<eActionMap*> m_actionMaps;
};
