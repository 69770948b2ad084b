// Service scans of real broadcasts: ids, namespace and the service names ffprobe shows.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "scan/ServiceScanner.h"

namespace {

struct Capture {
    const char* file;
    uint16_t tsid;
    uint16_t onid;
    uint32_t dvbNamespace;
    std::map<uint16_t, std::string> names; // sid -> name (UTF-8)
    std::string provider;                  // of the first service
    uint8_t firstType;
};

std::string capturePath(const char* file) { return std::string(ORVALIS_TEST_DATA_DIR) + "/ts/" + file; }

const std::vector<Capture>& captures()
{
    static const std::vector<Capture> list = {
        {"cz-cra-mux22.ts", 0xf206, 0x20cb, scan::kTerrestrialNamespace,
         {{782, "Prima love"}, {783, "Prima ZOOM"}, {785, "Prima MAX"}, {786, "Prima"}, {787, "Prima COOL"},
          {789, "Prima KRIMI"}, {793, "Prima +1"}, {795, "CNN Prima News"}, {804, "Prima STAR"}, {805, "Test-2"},
          {806, "Retro Music TV"}, {1028, "Ocko"}, {1029, "Ocko STAR"},
          {8105, "Naladte se na digitalni vysilani CRA"}, {17154, "RADIO PROGLAS"}},
         "CESKE RADIOKOMUNIKACE", 0x1f},
        {"cz-ct-mux1-psi.ts", 0x0111, 0x20cb, scan::kTerrestrialNamespace,
         {{257, "CT 1"}, {258, "CT 2"}, {259, "CT 24"}, {260, "CT sport"}, {264, "CT :D/art"},
          {16641, "CRo RADIOZURNAL"}, {16642, "CRo DVOJKA"}, {16643, "CRo VLTAVA"}, {16644, "CRo RADIO WAVE"},
          {16645, "CRo D-DUR"}, {16646, "CRo RADIO JUNIOR"}, {16647, "CRo PLUS"}, {16648, "CRo JAZZ"}},
         "Ceska televize", 0x01},
        {"de-ard-br-626mhz.ts", 0x3103, 0x2114, scan::kTerrestrialNamespace,
         {{801, "BR Fernsehen Nord HD"}, {802, "BR Fernsehen Süd HD"}, {803, "ARD alpha HD"},
          {833, "hr-fernsehen HD"}, {867, "MDR Thüringen HD"}, {945, "rbb Berlin HD"}, {993, "SWR BW HD"},
          {1572, "BR in ARD Mediathek (Internet)"}, {1697, "Radio Bremen HD (Internet)"},
          {1745, "SR Fernsehen HD (Internet)"}, {2054, "WDR HD Köln HD (Internet)"}},
         "BR", 0x1f},
        {"fr-tnt-r4-multi4.ts", 0x0004, 0x20fa, scan::kTerrestrialNamespace,
         {{1025, "M6"}, {1026, "W9"}, {1031, "Arte"}, {1045, "France 5"}, {1046, "6ter"}}, "Multi4", 0x19},
        {"gr-ert-heraklion-a.ts", 0x0002, 0x212c, scan::kTerrestrialNamespace,
         {{9, "Vouli"}, {10, "ERT 1"}, {11, "Proto"}, {12, "Kosmos"}, {13, "Trito Maestro"},
          {14, "Deftero Paradosiaka"}, {20, "ERT 2"}, {21, "Trito"}, {22, "Deftero 103,7"}, {23, "DefteroLaika"},
          {31, "Era Sport"}, {32, "Voice Of Greece"}, {33, "Zeppelin"}, {34, "Kosmos Jazz"}, {35, "ERT 3"},
          {40, "ERT 1 HD"}, {41, "ERT News HD"}},
         "ERT", 0x01},
        // This Mediaset multiplex's NIT describes it as a satellite transport at 13.0 E.
        {"it-mediaset-mux-ait.ts", 0x1770, 0x0110, 0x820000,
         {{1, "Italia 1"}, {2, "Canale 5"}, {3, "Rete 4"}, {4, "Iris"}, {6, "Boing"}, {7, "La 5"}, {8, "TgCom24"},
          {9, "Mediaset EXTRA"}, {10, "Mediaset ITALIA DUE"}, {12, "Topcrime"}, {13, "Cartoonito"}, {71, "LA7"},
          {72, "LA7d"}, {101, "Radio R101"}, {102, "Radio Monte Carlo"}, {103, "Radio Monte Carlo 2"},
          {104, "Virgin radio"}, {105, "Radio 105"}, {805, "Mediaset On Demand"}, {899, "Infinity"}},
         "Mediaset", 0x01},
        {"tw-cts-dvbt.ts", 0x0022, 0x209e, scan::kTerrestrialNamespace,
         {{501, "華視CTS"}, {502, "華視教育體育文化台"}, {503, "華視新聞資訊台"}, {504, "國會頻道1"},
          {505, "國會頻道2"}},
         "CTS", 0x01},
    };
    return list;
}

} // namespace

TEST(CaptureScan, EveryCaptureGivesItsIdsNamespaceAndServiceNames)
{
    for (const Capture& c : captures()) {
        SCOPED_TRACE(c.file);
        const scan::ScanResult r = scan::scanTransportFile(capturePath(c.file));
        ASSERT_TRUE(r.complete()) << "pat " << r.havePat << " sdt " << r.haveSdt << " nit " << r.haveNit;
        EXPECT_EQ(r.tsid, c.tsid);
        EXPECT_EQ(r.onid, c.onid);
        EXPECT_EQ(r.dvbNamespace, c.dvbNamespace);
        std::map<uint16_t, std::string> names;
        for (const auto& s : r.services)
            names[s.sid] = s.name;
        EXPECT_EQ(names, c.names);
        ASSERT_FALSE(r.services.empty());
        EXPECT_EQ(r.service(c.names.begin()->first)->provider, c.provider);
        EXPECT_EQ(r.service(c.names.begin()->first)->type, c.firstType);
    }
}

TEST(CaptureScan, PatGivesThePmtPidOfEachService)
{
    const auto r = scan::scanTransportFile(capturePath("cz-ct-mux1-psi.ts"));
    ASSERT_TRUE(r.service(259));
    EXPECT_EQ(r.service(259)->pmtPid, 0x0300); // the PMT the capture carries
    const auto it = scan::scanTransportFile(capturePath("it-mediaset-mux-ait.ts"));
    ASSERT_TRUE(it.service(1));
    EXPECT_EQ(it.service(1)->pmtPid, 0x0100);
    EXPECT_EQ(it.orbitalPosition, 130);
    EXPECT_FALSE(it.west);
    EXPECT_EQ(it.networkName, "Mediaset");
}

TEST(CaptureScan, StopsOnceAllTablesWereSeenOrTheBudgetIsSpent)
{
    const auto full = scan::scanTransportFile(capturePath("de-ard-br-626mhz.ts"));
    ASSERT_TRUE(full.complete());
    EXPECT_LT(full.packets, 17163u) << "the scan read the whole file although it had everything";
    const auto cut = scan::scanTransportFile(capturePath("de-ard-br-626mhz.ts"), 10);
    EXPECT_FALSE(cut.complete());
    EXPECT_LE(cut.packets, 10u);
    const auto missing = scan::scanTransportFile(capturePath("no-such-file.ts"));
    EXPECT_FALSE(missing.havePat || missing.haveSdt || missing.haveNit);
    EXPECT_TRUE(missing.services.empty());
}
