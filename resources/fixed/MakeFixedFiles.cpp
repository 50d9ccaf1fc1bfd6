// Writes the fixed data files of the application folder:
//   silence10ms.wav             40 zero samples, 4000 Hz, mono, 16-bit
//   m31907_A3_Ext_Spi_Code.bin  the 256-byte identification block
// Usage: zadaravod_make_fixed_files <folder>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "format/WavFile.h"
#include "io/AtomicFile.h"
#include "resources/fixed/FixedFiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    std::string error = zadaravod::writeWav16(folder + "silence10ms.wav",
                                              std::vector<std::int16_t>(40, 0), 4000, 1);
    if (error.empty()) {
        const auto block = zadaravod::fixed::chipCodeBlock();
        error = zadaravod::writeFileAtomically(folder + "m31907_A3_Ext_Spi_Code.bin", block);
    }
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
