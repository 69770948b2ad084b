#pragma once
// Builders of the DVB service information the sample stream carries (ISO/IEC 13818-1
// PAT/PMT, ETSI EN 300 468 NIT/SDT/TDT/TOT), so a receiver can list its services.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "mux/Config.h"
#include "mux/Model.h"

namespace mux {

constexpr uint16_t kNitPid = 0x10;
constexpr uint16_t kSdtPid = 0x11;
constexpr uint16_t kTimePid = 0x14;
constexpr uint16_t kEpgPmtPid = 0x100;
constexpr uint16_t kPcrPid = 0x1FF;

// A service of the multiplex as the SI describes it.
struct Service {
    uint16_t sid;
    uint16_t pmtPid;
    uint8_t type;
    std::string name;     // Latin-9 bytes
    std::string provider; // Latin-9 bytes
    bool eit = false;     // EIT present/following and schedule are sent for it
};

// The EPG service first, then every channel of the model.
std::vector<Service> servicesOf(const Config& config, const Model& model);

std::vector<uint8_t> buildPat(uint16_t tsid, const std::vector<Service>& services);
// The EPG service's PMT declares the PCR PID and, when present, its two private PIDs.
std::vector<uint8_t> buildPmt(const Service& service, bool isEpg, bool withEpgPids);
// As many sections as the services need (each at most 1024 bytes).
std::vector<std::vector<uint8_t>> buildSdt(uint16_t tsid, uint16_t onid, const std::vector<Service>& services);
std::vector<uint8_t> buildNit(const Config& config, const std::vector<Service>& services);
std::vector<uint8_t> buildTdt(time_t utc);
std::vector<uint8_t> buildTot(time_t utc);

// The 40-bit MJD + BCD UTC field of EN 300 468 Annex C.
void putUtc(std::vector<uint8_t>& s, time_t utc);

// A DVB text field: plain when the default table shows it unchanged, else ISO 8859-15 with prefix 0x0B.
std::string dvbText(const std::string& latin9);

} // namespace mux
