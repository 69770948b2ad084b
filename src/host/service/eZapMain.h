#pragma once
#include "host/service/eServiceReference.h"

#include <functional>

// The receiver's main control: tuning and the bouquet service selector.
class eZapMain {
public:
    static eZapMain* instance;

    // Makes ref the playing service and tunes to the transport stream carrying it.
    void playService(const eServiceReference& ref, int flags);
    // Runs the service selector modally; a chosen service is played. False when
    // the user left it without choosing: nothing was played then.
    bool showServiceSelector(int dir, int selectBouquet);

    // Box side: called with the transport stream index (-1: none carries it).
    void setTuner(std::function<void(const eServiceReference&, int transponder)> tuner) { m_tuner = std::move(tuner); }
    int tuneCount() const { return m_tuneCount; }

private:
    std::function<void(const eServiceReference&, int)> m_tuner;
    int m_tuneCount = 0;
};
