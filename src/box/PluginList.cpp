#include "box/PluginList.h"
#include "host/gui/eListBox.h"
#include "host/gui/eListBoxEntryText.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eWindow.h"

#include <cstdint>

namespace box {
namespace {

class PluginListWindow : public eWindow {
public:
    explicit PluginListWindow(const std::vector<PluginInfo>& plugins) : eWindow(1)
    {
        setText(" Plug-ins");
        cmove(ePoint(160, 140));
        cresize(eSize(400, 300));
        m_list = new eListBox<eListBoxEntryText>(this);
        m_list->setName("plugins");
        m_list->move(ePoint(10, 10));
        m_list->resize(eSize(380, 240));
        m_list->loadDeco();
        for (size_t i = 0; i < plugins.size(); ++i)
            new eListBoxEntryText(m_list, plugins[i].name, reinterpret_cast<void*>(static_cast<uintptr_t>(i)), 0,
                                  plugins[i].description);
        auto* status = new eStatusBar(this);
        status->move(ePoint(0, 260));
        status->resize(eSize(400, 40));
        status->loadDeco();
        m_list->selected.connect(SigC::slot(*this, &PluginListWindow::chosen));
        setFocus(m_list);
    }

private:
    void chosen(eListBoxEntryText* e)
    {
        if (e)
            close(static_cast<int>(reinterpret_cast<uintptr_t>(e->getKey())));
    }
    eListBox<eListBoxEntryText>* m_list;
};

} // namespace

int choosePlugin(const std::vector<PluginInfo>& plugins)
{
    PluginListWindow w(plugins);
    w.show();
    int r = w.exec();
    w.hide();
    return r >= 0 && static_cast<size_t>(r) < plugins.size() ? r : -1;
}

} // namespace box
