#pragma once
// Where orvalis-mux puts its stream: exactly the OUTPUT it was given.
#include <cstdint>
#include <string>
#include <vector>

namespace mux {

// "-" writes to standard output. A FIFO or character device (also behind a
// symbolic link) is written through; a regular file (or a new one) is replaced
// atomically through a freshly created temporary file beside it, keeping its
// permissions, and a symbolic link to it stays a link. Folders, block devices
// and links that lead nowhere are refused. False with *error on any failure,
// a full disk included.
bool writeOutput(const std::string& path, const std::vector<uint8_t>& data, std::string* error);
} // namespace mux
