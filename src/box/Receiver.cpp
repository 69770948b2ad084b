#include "box/Receiver.h"
#include "demux/KernelDemuxFile.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/BoxClock.h"
#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"
#include "scan/ServiceScanner.h"

#include <algorithm>
#include <fstream>

namespace box {
namespace {
// Packets looked at per stream: SI repeats within a few seconds of stream time.
constexpr size_t kScanBudget = 500000;
} // namespace

bool Receiver::setUp(const BoxOptions& options, std::string* error)
{
    auto* si = eServiceInterface::getInstance();
    si->clear();
    eEPGCache::instance->clear();
    host::BoxClock::instance().useStreamTime(options.streamClock);
    if (options.dvbAdapter >= 0) {
        demux::installKernelDemux(options.dvbAdapter);
    } else {
        for (const auto& path : options.streams) {
            if (!m_transponders.add(path)) {
                *error = "cannot read the transport stream " + path;
                return false;
            }
        }
        m_transponders.setRealtime(options.realtime);
        // Without any stream there is no demux at all, as on a box without a tuner.
        if (m_transponders.count() > 0)
            demux::installVirtualDemux(m_transponders);
    }
    scanStreams();
    loadServiceFile();
    eZapMain::instance->setTuner([this](const eServiceReference&, int transponder) {
        tuned(transponder >= 0 && static_cast<size_t>(transponder) < m_transponders.count() ? transponder
                                                                                              : demux::kNotTuned);
    });
    m_epgFeed = std::make_unique<EpgFeed>(m_transponders);
    tuneAtStart(options);
    return true;
}

void Receiver::scanStreams()
{
    auto* si = eServiceInterface::getInstance();
    for (size_t t = 0; t < m_transponders.count(); ++t) {
        const auto& stream = m_transponders.stream(t);
        scan::ServiceScanner scanner;
        // The whole stream (within the budget) goes through the EPG cache, as a receiver
        // with a background EPG scan would have it; the first TDT/TOT dates the stream.
        // A stream without them is dated by its EIT: a present event runs while it is
        // sent, so the latest start of one is a time the stream was on air.
        time_t firstTime = 0;
        time_t latestPresent = 0;
        scan::EitCollector epg(
            [&](const scan::EventSection& section) {
                putIntoEpgCache(section);
                if (section.key.tableId == scan::kEitPfActual && section.sectionNumber == 0)
                    for (const auto& e : section.events)
                        latestPresent = std::max(latestPresent, time_t(e.start));
            },
            [&](int64_t utc) {
                if (!firstTime)
                    firstTime = time_t(utc);
            });
        for (size_t i = 0; i < stream.packetCount() && i < kScanBudget; ++i) {
            if (!scanner.done())
                scanner.put(stream.packet(i));
            epg.put(stream.packet(i));
        }
        m_firstStreamTime.push_back(firstTime ? firstTime : latestPresent);
        scan::ScanResult result = scanner.result();
        eServiceInterface::Bouquet bouquet;
        bouquet.name = !result.networkName.empty() ? result.networkName : stream.name();
        for (const auto& s : result.services) {
            eServiceReference ref(eServiceReference::idDVB, 0, s.type ? s.type : 1, s.sid, result.tsid, result.onid,
                                  static_cast<int>(result.dvbNamespace));
            si->addService({ref, s.name, s.provider, static_cast<int>(t)});
            bouquet.services.push_back(ref);
        }
        host::logMessage("box", "%s: %zu services, namespace %x", stream.name().c_str(), result.services.size(),
                         result.dvbNamespace);
        if (!bouquet.services.empty())
            si->addBouquet(bouquet);
    }
}

void Receiver::tuned(int transponder)
{
    m_transponders.tune(transponder);
    // Until the stream plays on to its next TDT/TOT, the one found by the scan dates it.
    auto& clock = host::BoxClock::instance();
    if (transponder >= 0 && m_firstStreamTime[size_t(transponder)])
        clock.streamTimeSeen(m_firstStreamTime[size_t(transponder)], m_transponders.now());
    else
        clock.forgetStreamTime();
}

void Receiver::loadServiceFile()
{
    std::ifstream in(host::hostPath(kServiceFile));
    if (!in)
        return;
    auto* si = eServiceInterface::getInstance();
    eServiceInterface::Bouquet bouquet;
    bouquet.name = "Services";
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos)
            continue;
        eServiceReference ref(eString(line.substr(0, tab)));
        if (!ref.valid())
            continue;
        // A listed service that a stream carries keeps its transponder.
        const auto* known = si->find(ref);
        si->addService({ref, line.substr(tab + 1), known ? known->provider : eString(), known ? known->transponder : -1});
        bouquet.services.push_back(ref);
    }
    if (!bouquet.services.empty())
        si->addBouquet(bouquet);
}

void Receiver::tuneAtStart(const BoxOptions& options)
{
    auto* si = eServiceInterface::getInstance();
    eServiceReference start;
    if (!options.service.empty())
        start = eServiceReference(eString(options.service));
    else if (!si->bouquets().empty() && !si->bouquets()[0].services.empty())
        start = si->bouquets()[0].services[0];
    if (start.valid())
        eZapMain::instance->playService(start, 0);
}

} // namespace box
