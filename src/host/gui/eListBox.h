#pragma once
#include "host/gui/eListBoxBase.h"
#include "host/gui/eListBoxEntry.h"

#include <type_traits>
#include <vector>

// A list box of rows of type T. The row height is T::getEntryHeight() unless given.
template <class T>
class eListBox : public eListBoxBase {
public:
    eListBox(eWidget* parent, eLabel* descr = nullptr, int takefocus = 1, int itemHeight = 0,
             const char* deco = "eListBox")
        : eListBoxBase(parent, descr, takefocus, itemHeight ? itemHeight : T::getEntryHeight(), deco)
    {
    }

    T* getCurrent() const { return static_cast<T*>(getCurrentEntry()); }
    bool setCurrent(const T* entry, bool sendSignal = false) { return setCurrentEntry(entry, sendSignal); }
    T* getEntry(int index) const { return static_cast<T*>(entryAt(index)); }
    // Takes the row out of the list; the caller owns it afterwards.
    void take(T* entry) { remove(entry); }

    // Calls f with every row in order; stops early when f returns true.
    template <class F>
    void forEachEntry(F f) const
    {
        for (eListBoxEntry* e : std::vector<eListBoxEntry*>(entries())) {
            if constexpr (std::is_same_v<decltype(f(static_cast<T*>(e))), void>)
                f(static_cast<T*>(e));
            else if (f(static_cast<T*>(e)))
                return;
        }
    }

    SigC::Signal1<void, T*> selected;   // OK on a row (null on an empty list)
    SigC::Signal1<void, T*> selchanged; // the cursor moved to another row

protected:
    void emitSelected(eListBoxEntry* e) override { selected(static_cast<T*>(e)); }
    void emitSelChanged(eListBoxEntry* e) override { selchanged(static_cast<T*>(e)); }
};
