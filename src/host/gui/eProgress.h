#pragma once
#include "host/gui/eDecoWidget.h"

// A horizontal bar filled to a percentage, in the foreground colour.
class eProgress : public eDecoWidget {
public:
    explicit eProgress(eWidget* parent, int takefocus = 0);

    void setPerc(int percent); // clamped to 0..100
    int getPerc() const { return m_perc; }

    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;

private:
    int m_perc = 0;
};
