#include "host/service/eZapMain.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eServiceSelector.h"

static eZapMain g_zap;
eZapMain* eZapMain::instance = &g_zap;

void eZapMain::playService(const eServiceReference& ref, int)
{
    auto* si = eServiceInterface::getInstance();
    const auto* entry = si->find(ref);
    si->service = ref;
    ++m_tuneCount;
    if (m_tuner)
        m_tuner(ref, entry ? entry->transponder : -1);
}

bool eZapMain::showServiceSelector(int, int)
{
    eServiceSelector selector;
    selector.show();
    int chosen = selector.exec();
    selector.hide();
    if (chosen != 0)
        return false;
    playService(selector.chosen(), 0x28);
    return true;
}
