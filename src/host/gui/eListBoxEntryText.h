#pragma once
#include "host/gui/eListBoxEntry.h"

class eTextPara;

// A row showing one text, with a key the program attaches to it.
class eListBoxEntryText : public eListBoxEntry {
public:
    eListBoxEntryText(eListBoxBase* lb, const eString& txt = eString(), void* key = nullptr, int align = 0,
                      const eString& hlptxt = eString(), int keytype = 0);
    ~eListBoxEntryText() override;

    // By key (compared unsigned); by text when the keys are equal or keytype is 1.
    bool operator<(const eListBoxEntry& other) const override;
    const eString& redraw(gPainter* rc, const eRect& rect, gColor coActiveB, gColor coActiveF,
                          gColor coNormalB, gColor coNormalF, int state) override;
    const eString& getText() const override { return text; }

    static int getEntryHeight();

    void* getKey() const { return key; }
    void setKey(void* k) { key = k; }
    void setText(const eString& t);

protected:
    eString text;
    void* key;
    int align;
    eTextPara* para = nullptr;
    int keytype;
    int yOffs = 0;
};
