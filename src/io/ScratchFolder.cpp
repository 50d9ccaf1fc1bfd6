#include "io/ScratchFolder.h"

#include <stdlib.h>

#include <string>

namespace zadaravod {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "zadaravod-XXXXXX").string();
    if (ec) pattern = "/tmp/zadaravod-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

}  // namespace zadaravod
