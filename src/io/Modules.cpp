#include "io/Modules.h"

#include <dlfcn.h>

#include <filesystem>

#include "io/AppPaths.h"

namespace zadaravod {

void* openModuleEntry(const char* file, const char* entry, const char* what, std::string& error) {
    const std::string beside = AppPaths::ofRunningExecutable().appFolder + file;
    void* handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::string reason;
    if (handle == nullptr) {
        const char* why = dlerror();
        std::error_code ec;
        // A module that is there but does not load says more than the search.
        if (std::filesystem::exists(beside, ec) && why != nullptr) reason = why;
        handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    }
    if (handle == nullptr) {
        const char* why = dlerror();
        if (reason.empty() && why != nullptr) reason = why;
        error = std::string("The ") + what + " (" + file + ") cannot be loaded" +
                (reason.empty() ? std::string() : ": " + reason) +
                ". Reinstall the application so that the file lies beside the program.";
        return nullptr;
    }
    void* symbol = dlsym(handle, entry);
    if (symbol == nullptr) {
        error = std::string("The ") + what + " (" + file +
                ") belongs to another version of the application. Reinstall the application.";
    }
    return symbol;
}

}  // namespace zadaravod
