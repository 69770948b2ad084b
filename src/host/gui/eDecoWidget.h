#pragma once
#include "host/gfx/eSkin.h"
#include "host/gui/eWidget.h"

// A widget that draws the skin decoration named by its last constructor argument.
class eDecoWidget : public eWidget {
public:
    eDecoWidget(eWidget* parent, int takefocus, const char* deco);

    // Looks the decoration up in the active skin; false when the skin has none.
    bool loadDeco();
    const eString& getDecoName() const { return m_decoName; }
    bool hasDeco() const { return m_decoLoaded; }
    void setDecoName(const eString& name) { m_decoName = name; }

    void eraseBackground(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

protected:
    // The area inside the frame, relative to the widget.
    eRect innerRect() const;
    int decoBorder() const { return m_decoLoaded ? m_deco.border : 0; }
    void drawFrame(gPainter* painter) const;

private:
    eString m_decoName;
    eDecoration m_deco;
    bool m_decoLoaded = false;
};
