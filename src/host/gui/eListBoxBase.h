#pragma once
#include "host/gui/eDecoWidget.h"

#include <vector>

class eLabel;
class eListBoxEntry;

// The untyped part of a list box: rows, the current row, scrolling and painting.
// Up/down move one row (wrapping at the ends), left/right page, OK emits selected
// (with null on an empty list). The exit key is left to the window.
class eListBoxBase : public eDecoWidget {
public:
    enum { dirPageDown, dirPageUp, dirDown, dirUp, dirFirst, dirLast };

    eListBoxBase(eWidget* parent, eLabel* descr = nullptr, int takefocus = 1, int itemHeight = 0,
                 const char* deco = "eListBox");
    ~eListBoxBase() override;

    // Between these, changes are not painted; endAtomic repaints once.
    void beginAtomic();
    void endAtomic();
    void clearList(); // deletes the rows
    int getCount() const { return static_cast<int>(m_entries.size()); }
    void setFlags(int flags) { m_flags |= flags; }
    void removeFlags(int flags) { m_flags &= ~flags; }
    int getFlags() const { return m_flags; }
    void invalidateCurrent();
    void invalidateEntry(int index);
    void invalidateEntry(const eListBoxEntry* entry);
    int indexOf(const eListBoxEntry* entry) const;
    int getItemHeight() const { return m_itemHeight; }
    int visibleRows() const;
    int getTop() const { return m_top; }
    void sort(); // by the rows' operator<

    eListBoxEntry* getCurrentEntry() const;
    int getCurrentIndex() const { return m_current; }
    // Makes the row current (scrolling it into view); emits selchanged when asked.
    bool setCurrentEntry(const eListBoxEntry* entry, bool sendSignal = false);
    void setCurrentIndex(int index, bool sendSignal = false);
    // Moves the cursor as the keys do; emits selchanged when the row changes.
    void moveSelection(int dir);
    eListBoxEntry* entryAt(int index) const { return m_entries[index]; }
    const std::vector<eListBoxEntry*>& entries() const { return m_entries; }

    // Row bookkeeping for eListBoxEntry.
    void append(eListBoxEntry* entry);
    void remove(eListBoxEntry* entry); // takes the row out without deleting it

    int eventHandler(const eWidgetEvent& event) override;
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void describe(host::JsonWriter& out) const override;
    void recalcClientRect() override;
    void gotFocus() override;
    void lostFocus() override;

protected:
    virtual void emitSelected(eListBoxEntry* entry) = 0;
    virtual void emitSelChanged(eListBoxEntry* entry) = 0;

private:
    void scrollToCurrent();
    eRect rowRect(int row) const; // relative to the widget
    void currentChanged(int old, bool sendSignal);

    std::vector<eListBoxEntry*> m_entries;
    eLabel* m_descr;
    int m_itemHeight;
    int m_current = -1;
    int m_top = 0;
    int m_flags = 0;
    int m_atomic = 0;
    bool m_clearing = false;
};
