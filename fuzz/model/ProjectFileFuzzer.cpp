// Feeds arbitrary bytes to the project-file and flash-size-file loaders. Any
// input must either load or fail with an ArchiveError: no crash, no hang, no
// read out of bounds, no allocation beyond what the bytes justify.
//
// With ZADARAVOD_FUZZ_SEEDS set to a folder, the first start writes seed files
// there: real project files (empty, small, with wide strings) and flash-size files.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "model/ProjectFile.h"

using namespace zadaravod;

namespace {

void writeSeed(const std::string& folder, const std::string& name,
               const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void writeSeeds(const std::string& folder) {
    Project empty;
    writeSeed(folder, "empty.winproj", storeProjectFile(empty));
    Project small;
    small.options.binPath = "образ.bin";
    CSound s;
    s.kind = 1;
    s.name = "звук-café.wav";
    s.filePath = "/p/" + s.name;
    s.sampleRate = 8000;
    s.durationMs = 500;
    small.library.addTail(s);
    small.playlists[0].addTail(s);
    small.playlists[0].addTail(CSound::silence(1200));
    small.backgroundMusic.addTail(s);
    writeSeed(folder, "small.winproj", storeProjectFile(small));
    CFlashSize flash;
    flash.sizeIndex = 3;
    writeSeed(folder, "flash", storeFlashSizeFile(flash));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("ZADARAVOD_FUZZ_SEEDS")) writeSeeds(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        ProjectFileContent content = loadProjectFile(bytes, "fuzz");
        // Whatever loads must store again without trouble.
        Project p;
        p.library = content.library;
        p.options = content.options;
        (void)storeProjectFile(p);
    } catch (const ArchiveError&) {
    }
    try {
        (void)loadFlashSizeFile(bytes, "fuzz");
    } catch (const ArchiveError&) {
    }
    return 0;
}
