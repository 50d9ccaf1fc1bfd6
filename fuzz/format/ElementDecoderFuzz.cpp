// Decodes arbitrary bytes as a sound element; with a valid header and
// checksum patched in half of the time (version 1 or 2, by the input's
// second bit), so that both block decoders are reached.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/ElementCodec.h"

using namespace zadaravod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() >= element::kHeaderBytes && (bytes[0] & 1) != 0) {
        const std::uint8_t version = (bytes[0] & 2) != 0 ? 2 : 1;
        const std::uint8_t magic[] = {'L', 'K', 'E', 'L', version, version, 26, 0};
        std::copy(std::begin(magic), std::end(magic), bytes.begin());
        bytes[16] = 42;
        bytes[17] = 0;
        bytes[18] = 65;
        std::uint16_t crc = element::crc16(std::span(bytes.data(), 24));
        crc = element::crc16(std::span(bytes.data() + 26, bytes.size() - 26), crc);
        bytes[24] = static_cast<std::uint8_t>(crc);
        bytes[25] = static_cast<std::uint8_t>(crc >> 8);
    }
    element::DecodedElement d;
    std::string error;
    element::decodeElement(bytes, d, error);
    return 0;
}
