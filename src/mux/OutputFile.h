#pragma once
// Where orvalis-mux puts its stream: exactly the OUTPUT it was given.
#include <cstddef>
#include <cstdint>
#include <functional>
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

// The same for output made piece by piece: produce hands each piece to the sink
// it is given and gives up (false) when the sink does.
using ByteSink = std::function<bool(const uint8_t* data, size_t size)>;
using OutputProducer = std::function<bool(const ByteSink& sink)>;
bool writeOutput(const std::string& path, const OutputProducer& produce, std::string* error);
} // namespace mux
