// A stand-in converter plugin for the tests: whatever the WAV holds, it
// writes the element of a fixed pattern, so a test can tell that this plugin,
// and not the application's own, made what is played. When the environment
// names a log file (ZADARAVOD_TEST_CONVERTER_LOG), it appends the WAV path it
// was given and the permission bits of that WAV's folder.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "format/ElementCodec.h"
#include "support/ConverterPattern.h"

extern "C" __attribute__((visibility("default"))) int ConvertWAVToMDM(const char* wav,
                                                                      const char* rbf,
                                                                      const char* rbf2) {
    (void)rbf2;
    if (wav == nullptr || rbf == nullptr) return 0;
    if (const char* log = std::getenv("ZADARAVOD_TEST_CONVERTER_LOG")) {
        struct stat st {};
        const std::string folder = std::filesystem::path(wav).parent_path().string();
        const unsigned mode = ::stat(folder.c_str(), &st) == 0 ? (st.st_mode & 07777u) : 0u;
        std::ofstream(log, std::ios::app) << wav << ' ' << std::oct << mode << '\n';
    }
    const std::vector<std::int16_t> pattern = zadaravod::test::converterPattern();
    const std::vector<std::uint8_t> element =
        zadaravod::element::encodeElement(pattern, zadaravod::test::kPatternRate);
    std::ofstream out(rbf, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(element.data()),
              static_cast<std::streamsize>(element.size()));
    return out.good() ? 1 : 0;
}
