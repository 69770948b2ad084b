#pragma once
#include "host/gui/eDecoWidget.h"

class eTextPara;

// Text in a box. The text is laid out once into a cached paragraph and only painted
// on later redraws; a change of text, font or size lays it out again.
class eLabel : public eDecoWidget {
public:
    enum { flagVCenter = 0x40 };
    enum { alignLeft = 0, alignRight = 1, alignCenter = 2, alignBlock = 3 };

    eLabel(eWidget* parent, int flags = 0, int takefocus = 0, const char* deco = "eLabel");
    ~eLabel() override;

    void setAlign(int align);
    int getAlign() const { return m_align; }
    void setFlags(int flags);
    int getFlags() const { return m_flags; }
    // A small coloured key marker before the text: "red", "green", "yellow" or "blue".
    void setShortcutPixmap(const eString& color);
    const eString& getShortcutPixmap() const { return m_shortcutPixmap; }

    // A text longer than the box is read by scrolling: the first line shown (0 = top),
    // kept within the text. Lines of the laid-out text, and how many fit the box.
    void setScrollLine(int line);
    int getScrollLine() const { return m_scrollLine; }
    int lineCount();
    int visibleLines();

    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

protected:
    void changed(int what) override;
    // Where the text goes, relative to the widget.
    eRect textRect() const;
    // The text actually painted (a status bar shows help texts, a number its value).
    virtual const eString& displayText() const { return getText(); }
    void dropLayout();
    // The cached layout of displayText() for a text area of rect's size.
    eTextPara* layout(const eRect& rect);
    // Paints the cached layout into rect (vertically centred with flag 0x40).
    void paintText(gPainter* painter, const eRect& rect, const gColor& fore);
    // Flags for eTextPara::renderString: labels wrap, one-line fields do not.
    virtual int layoutFlags() const { return 0; }
    // Width taken by the key marker at the left of the text area.
    int markerWidth() const;
    void paintMarker(gPainter* painter, const eRect& rect) const;

private:
    eTextPara* m_para = nullptr;
    int m_align = 0;
    int m_scrollLine = 0;
    int m_flags;
    eString m_shortcutPixmap;
};
