#pragma once
// The box's file system: receiver paths such as "/var/tuxbox/plugins/orvalis.cfg"
// resolve inside a root folder of the machine running the box, never outside it.
#include <string>

namespace host {

void setFileSystemRoot(const std::string& dir);
const std::string& fileSystemRoot();

// Maps a receiver path into the root. ".." never climbs above the root; an
// empty root (the default) maps a path onto itself.
std::string hostPath(const std::string& receiverPath);

// Creates the receiver folder and its parents inside the root; true when it exists afterwards.
bool makeDirectories(const std::string& receiverPath);

// Writes data to a temporary file beside the target and renames it into place.
bool writeFileAtomically(const std::string& hostFile, const std::string& data);

} // namespace host
