#pragma once
#include "host/eString.h"

class eDVBNamespace {
public:
    explicit eDVBNamespace(int value = 0) : m_value(value) {}
    int get() const { return m_value; }
private:
    int m_value;
};

// The DVB part of a service record.
struct eServiceDVB {
    int service_id = 0;
    int transport_stream_id = 0;
    int original_network_id = 0;
    int service_type = 1;
    eDVBNamespace dvb_namespace;
    eString service_provider;
};

// A service record of the receiver's database, handed out by eServiceInterface::addRef.
class eService {
public:
    eString service_name;
    eServiceDVB* dvb = nullptr;

    eService() = default;
    eService(const eService&) = delete;
    eService& operator=(const eService&) = delete;
    ~eService() { delete dvb; }
};
