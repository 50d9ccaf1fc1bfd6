#pragma once

// Modules of the application folder: shared libraries that hold the code
// calling a large outside library (FFmpeg, SDL2, espeak-ng, libzip), opened
// with dlopen on first use so that a program that never needs that library
// never loads it. Each module exports one C function that takes the
// interface version its caller was built with and returns its table of
// functions, or null when it was built with another.

#include <cstring>
#include <string>

namespace zadaravod {

/// Opens module `file` (from the application folder, the folder of the
/// running executable; else wherever the dynamic loader finds it by name,
/// which is how programs of the build tree outside that folder find it) and
/// returns the address of its entry `entry`; null with `error` saying why
/// and what to do, `what` naming the module for the user. The module is
/// never closed: the libraries keep global state for the life of the
/// process.
void* openModuleEntry(const char* file, const char* entry, const char* what, std::string& error);

/// An opened module's table, or why there is none.
template <typename Table>
struct LoadedModule {
    const Table* table = nullptr;
    std::string error;
};

/// Opens module `file` and calls its entry with `version`.
template <typename Table>
LoadedModule<Table> loadModule(const char* file, const char* entry, const char* what, int version) {
    LoadedModule<Table> loaded;
    void* symbol = openModuleEntry(file, entry, what, loaded.error);
    if (symbol == nullptr) return loaded;
    using Entry = const Table* (*)(int);
    Entry call = nullptr;
    static_assert(sizeof call == sizeof symbol);
    std::memcpy(&call, &symbol, sizeof call);
    loaded.table = call(version);
    if (loaded.table == nullptr) {
        loaded.error = std::string("The ") + what + " (" + file +
                       ") belongs to another version of the application. Reinstall the "
                       "application.";
    }
    return loaded;
}

}  // namespace zadaravod
