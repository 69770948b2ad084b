#include "box/Receiver.h"
#include "box/EpgCarrierFinder.h"
#include "box/ServiceFile.h"
#include "demux/KernelDemuxFile.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/BoxClock.h"
#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"
#include "scan/ServiceScanner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>

namespace box {
namespace {
// The scan stops once PAT, SDT and NIT were seen, or after this much stream time: NIT
// comes at least every 10 s (EN 300 468 / TR 101 211), SDT and PAT more often.
constexpr uint64_t kScanStreamNs = 15ull * 1000000000ull;
// A file goes on through the EPG cache for up to this much stream time: an EIT schedule
// may take 30 s to go round (TR 101 211), that of other streams longer.
constexpr uint64_t kEpgScanStreamNs = 60ull * 1000000000ull;
// ... or after this many packets, whatever the clock says.
constexpr uint64_t kScanPackets = 500000;
// Programme maps come at least every 0.5 s (TR 101 290); the EPG service is looked for
// that long several times over.
constexpr uint64_t kPmtStreamNs = 3ull * 1000000000ull;
// A live source must send its first packets within this time.
constexpr int kLiveStartMs = 10000;
// A live source that pauses during the scan is waited for this long at most.
constexpr auto kScanPauseLimit = std::chrono::seconds(5);
// Why a --ts file gave no packets, in words a user can act on.
std::string whyNotAStream(const std::string& path)
{
    if (path == "-")
        return "standard input gave no transport stream packets";
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    fstat(fd, &st);
    unsigned char first = 0;
    ssize_t n = S_ISDIR(st.st_mode) ? -1 : ::read(fd, &first, 1);
    ::close(fd);
    if (S_ISDIR(st.st_mode))
        return "it is a folder";
    if (n == 0)
        return "the file is empty";
    if (n < 0)
        return "it cannot be read";
    return "it is not an MPEG transport stream (no run of 188-byte packets starting with the sync byte 0x47)";
}

// Hands the stream's packets to use while wanted() holds, for up to budgetNs of stream
// time or kScanPackets packets, until a file's end, or until a live source ends or
// pauses longer than kScanPauseLimit.
void playPackets(demux::TransportStream& stream, uint64_t budgetNs, const std::function<bool()>& wanted,
                 const std::function<void(const uint8_t*)>& use)
{
    uint64_t streamNs = 0, packets = 0;
    auto pauseStart = std::chrono::steady_clock::now();
    bool more = true;
    while (more && wanted() && streamNs < budgetNs && packets < kScanPackets) {
        switch (stream.step()) {
        case demux::TransportStream::Step::Packet:
            use(stream.packet());
            streamNs += stream.duration();
            ++packets;
            stream.advance();
            pauseStart = std::chrono::steady_clock::now();
            break;
        case demux::TransportStream::Step::Wait:
            more = std::chrono::steady_clock::now() - pauseStart < kScanPauseLimit;
            stream.waitReadable(50);
            break;
        default:
            more = false;
            break;
        }
    }
}

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
            std::string why;
            if (!m_transponders.add(path, &why)) {
                // Said in a user's words: empty, not a stream, permission denied.
                *error = "cannot use the transport stream " + path + ": " + (path != "-" ? whyNotAStream(path) : why);
                return false;
            }
            auto& stream = m_transponders.stream(m_transponders.count() - 1);
            if (stream.live()) {
                host::logMessage("box", "%s is a live source: waiting up to %d s for its packets",
                                 stream.name().c_str(), kLiveStartMs / 1000);
                if (!stream.waitForPackets(kLiveStartMs, error))
                    return false;
            }
        }
        m_transponders.setEndedHandler([](const demux::TransportStream& stream) {
            if (stream.problem().empty())
                host::logMessage("box", "%s has ended; nothing more is on air there", stream.name().c_str());
            else
                host::logMessage("box", "%s; nothing more is on air there", stream.problem().c_str());
        });
        m_transponders.setRealtime(options.realtime);
        // Without any stream there is no demux at all, as on a box without a tuner.
        if (m_transponders.count() > 0)
            demux::installVirtualDemux(m_transponders);
    }
    scanStreams();
    loadServiceFile();
    keepScannedServices();
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
        auto& stream = m_transponders.stream(t);
        // The scanned part of the stream also goes through the EPG cache, as a receiver
        // with a background EPG scan would have it; the first TDT/TOT dates the stream.
        // A stream without them is dated by its EIT: a present event runs while it is
        // sent, so the latest start of one is a time the stream was on air.
        time_t firstTime = 0, lastTime = 0;
        time_t latestPresent = 0;
        scan::EitCollector epg(
            [&](const scan::EventSection& section) {
                // Dated by the stream's own last TDT/TOT, not by the box's clock.
                putIntoEpgCache(section, lastTime);
                if (section.key.tableId == scan::kEitPfActual && section.sectionNumber == 0)
                    for (const auto& e : section.events)
                        latestPresent = std::max(latestPresent, time_t(e.start));
            },
            [&](int64_t utc) {
                if (!firstTime)
                    firstTime = time_t(utc);
                lastTime = time_t(utc);
            });
        scan::ScanResult result = scanStream(stream, epg);
        m_firstStreamTime.push_back(firstTime ? firstTime : latestPresent);
        std::vector<uint16_t> carriers;
        if (m_findEpgService && !m_epgService.valid())
            carriers = epgCarriers(stream, result);
        eServiceInterface::Bouquet bouquet;
        bouquet.name = !result.networkName.empty() ? result.networkName : stream.name();
        for (const auto& s : result.services) {
            eServiceReference ref(eServiceReference::idDVB, 0, s.type ? s.type : 1, s.sid, result.tsid, result.onid,
                                  static_cast<int>(result.dvbNamespace));
            si->addService({ref, s.name, s.provider, static_cast<int>(t)});
            bouquet.services.push_back(ref);
            // The first carrier in the SDT's order, as a user would pick it from the list.
            if (!m_epgService.valid() && std::find(carriers.begin(), carriers.end(), s.sid) != carriers.end()) {
                m_epgService = ref;
                host::logMessage("box", "%s carries the EPG tables: %s (%s)", stream.name().c_str(), s.name.c_str(),
                                 ref.toString().c_str());
            }
        }
        host::logMessage("box", "%s: %zu services, namespace %x", stream.name().c_str(), result.services.size(),
                         result.dvbNamespace);
        if (!bouquet.services.empty())
            si->addBouquet(bouquet);
    }
}

scan::ScanResult Receiver::scanStream(demux::TransportStream& stream, scan::EitCollector& epg)
{
    // A file is scanned from its start and played from its start again; what a live
    // source sent meanwhile has gone by, as on air. A file's schedule is read for the
    // whole budget (EIT schedules repeat within seconds); a live source's scan ends
    // with its service tables.
    scan::ServiceScanner scanner;
    playPackets(stream, stream.live() ? kScanStreamNs : kEpgScanStreamNs,
                [&] { return !scanner.done() || !stream.live(); },
                [&](const uint8_t* packet) {
                    if (!scanner.done())
                        scanner.put(packet);
                    epg.put(packet);
                });
    stream.rewind();
    return scanner.result();
}

std::vector<uint16_t> Receiver::epgCarriers(demux::TransportStream& stream, const scan::ScanResult& result)
{
    std::map<uint16_t, uint16_t> pmtPids;
    for (const auto& s : result.services)
        if (s.pmtPid)
            pmtPids[s.sid] = s.pmtPid;
    EpgCarrierFinder finder(pmtPids);
    playPackets(stream, kPmtStreamNs, [&] { return !finder.done(); }, [&](const uint8_t* packet) { finder.put(packet); });
    stream.rewind();
    return finder.carriers();
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
    std::string text, why;
    if (!host::readRegularFile(ServiceFile::kPath, &text, ServiceFile::kMaxBytes, &why)) {
        if (errno != ENOENT)
            host::logMessage("box", "services not read: %s", why.c_str());
        return;
    }
    std::istringstream in(text);
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

void Receiver::keepScannedServices()
{
    std::vector<eServiceInterface::Entry> scanned;
    for (const auto& e : eServiceInterface::getInstance()->services())
        if (e.transponder >= 0)
            scanned.push_back(e);
    std::string why;
    if (!scanned.empty() && !ServiceFile::save(scanned, &why))
        host::logMessage("box", "services not kept: %s", why.c_str());
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
