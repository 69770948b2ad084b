#pragma once
// The box's service list in its file system: "reference<TAB>name" per line, as a
// receiver keeps the services it scanned, so that a start without any stream
// still knows them.
#include "host/service/eServiceInterface.h"

#include <string>
#include <vector>

namespace box {

class ServiceFile {
public:
    static constexpr const char* kPath = "/var/tuxbox/config/services";
    static constexpr size_t kMaxBytes = 4 << 20;

    // text with a line added for every service it does not list yet; its own
    // lines (hand-written names, comments) stay as they are.
    static std::string merged(const std::string& text, const std::vector<eServiceInterface::Entry>& found);

    // Merges found into the file, under a lock and through a fresh file renamed
    // into place. Nothing is written when the file holds them all already or
    // cannot be read. False, with *error, when it could not be written.
    static bool save(const std::vector<eServiceInterface::Entry>& found, std::string* error);
};

} // namespace box
