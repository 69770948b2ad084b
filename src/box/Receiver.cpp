#include "box/Receiver.h"
#include "demux/KernelDemuxFile.h"
#include "demux/VirtualDemuxFile.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"
#include "scan/ServiceScanner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace box {
namespace {
// Packets looked at per stream: SI repeats within a few seconds of stream time.
constexpr size_t kScanBudget = 500000;
constexpr size_t kMaxServiceFileBytes = 4 << 20;
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

} // namespace

bool Receiver::setUp(const BoxOptions& options, std::string* error)
{
    auto* si = eServiceInterface::getInstance();
    si->clear();
    if (options.dvbAdapter >= 0) {
        demux::installKernelDemux(options.dvbAdapter);
    } else {
        for (const auto& path : options.streams) {
            if (!m_transponders.add(path)) {
                *error = "cannot use the transport stream " + path + ": " + whyNotAStream(path);
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
        m_transponders.tune(transponder >= 0 && static_cast<size_t>(transponder) < m_transponders.count()
                                ? transponder
                                : demux::kNotTuned);
    });
    tuneAtStart(options);
    return true;
}

void Receiver::scanStreams()
{
    auto* si = eServiceInterface::getInstance();
    for (size_t t = 0; t < m_transponders.count(); ++t) {
        const auto& stream = m_transponders.stream(t);
        scan::ServiceScanner scanner;
        for (size_t i = 0; i < stream.packetCount() && i < kScanBudget && !scanner.done(); ++i)
            scanner.put(stream.packet(i));
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

void Receiver::loadServiceFile()
{
    std::string text, why;
    if (!host::readRegularFile(kServiceFile, &text, kMaxServiceFileBytes, &why)) {
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
