// The converter plugin: its entry point ConvertWAVToMDM, which writes the
// element beside the WAV, and optional extensions that callers look up by
// name (a reason for a failure, a conversion into memory, the codec's
// identity); docs/converter-plugin.md describes them.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "format/BatchEncoder.h"
#include "format/ElementCodec.h"

namespace {

/// Writes `bytes` to a temporary file beside `path` and renames it over
/// `path`: readers see the old file or the whole new one, never a part. The
/// elements are intermediate files that the build reads and removes at
/// once, so the data is not forced to disk (no fsync), which keeps a build of
/// hundreds of sounds fast. Returns false (leaving nothing behind) on failure.
bool writeReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

/// Why each thread's last conversion failed; no entry after a success. Kept
/// in a map rather than in thread-local storage: the host unloads this
/// library after a build, and thread-local data of an unloaded library is a
/// known trap for the threads that touched it (and for tools that walk their
/// storage at exit). Nodes stay where they are, so a returned text is valid
/// until the same thread's next call.
std::mutex errorsMutex;
std::unordered_map<std::thread::id, std::string> errors;

int failWith(std::string reason) {
    const std::lock_guard lock(errorsMutex);
    errors[std::this_thread::get_id()] = std::move(reason);
    return 0;
}

void clearError() {
    const std::lock_guard lock(errorsMutex);
    errors.erase(std::this_thread::get_id());
}

/// The reasons of each thread's last batch conversion, one per WAV ("" for
/// a success); kept like `errors`, and valid until the thread's next batch.
std::mutex batchReasonsMutex;
std::unordered_map<std::thread::id, std::vector<std::string>> batchReasons;

/// Converts `count` WAVs, at most one batch of the encoder's lanes read at a
/// time, into `elements`/`sizes`; `reasons` holds why each failure failed.
void convertMany(const char* const* wavs, std::size_t count, unsigned char** elements,
                 std::size_t* sizes, std::vector<std::string>& reasons) {
    const std::size_t lanes = std::max<std::size_t>(zadaravod::element::batchLanes(), 1);
    for (std::size_t first = 0; first < count; first += lanes) {
        const std::size_t n = std::min(lanes, count - first);
        std::vector<std::vector<std::int16_t>> samples(n);
        std::vector<std::span<const std::int16_t>> sounds;
        std::vector<std::uint32_t> rates;
        std::vector<std::size_t> which;  // the WAVs read, by index
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = first + k;
            const char* wav = wavs[i];
            std::uint32_t rate = 0;
            if (wav == nullptr || *wav == '\0') {
                reasons[i] = "no input file was named";
            } else if (zadaravod::element::readWavForElement(wav, samples[k], rate, reasons[i])) {
                sounds.emplace_back(samples[k]);
                rates.push_back(rate);
                which.push_back(i);
            }
        }
        std::vector<std::vector<std::uint8_t>> made =
            zadaravod::element::encodeElements(sounds, rates);
        samples.clear();
        for (std::size_t k = 0; k < which.size(); ++k) {
            const std::size_t i = which[k];
            auto* copy = static_cast<unsigned char*>(std::malloc(made[k].size()));
            if (copy == nullptr) {
                reasons[i] = "out of memory";
                continue;
            }
            std::memcpy(copy, made[k].data(), made[k].size());
            elements[i] = copy;
            sizes[i] = made[k].size();
            std::vector<std::uint8_t>().swap(made[k]);
        }
    }
}

}  // namespace

/// Why the calling thread's last ConvertWAVToMDM call failed, as a sentence a
/// user can act on; "" after a success. Valid until the thread's next call.
/// Callers look it up as an optional extra: other converters need not have it.
extern "C" __attribute__((visibility("default"))) const char* ZozazeZovevidizLastError() {
    const std::lock_guard lock(errorsMutex);
    const auto it = errors.find(std::this_thread::get_id());
    return it == errors.end() ? "" : it->second.c_str();
}

/// Converts the WAV file `wav` (PCM 8 or 16 bits, mono or stereo, any rate)
/// into a sound element written to `rbf`, and a short C header naming it to
/// `rbf` + ".h". `rbf2` is accepted for the caller's sake and must name the
/// same file as `rbf` (or be null). Both files are replaced atomically.
/// Returns 1 on success, 0 on failure (nothing is written then).
extern "C" __attribute__((visibility("default"))) int ConvertWAVToMDM(const char* wav,
                                                                      const char* rbf,
                                                                      const char* rbf2) {
    (void)rbf2;
    clearError();
    if (wav == nullptr || rbf == nullptr || *wav == '\0' || *rbf == '\0') {
        return failWith("no input or output file was named");
    }
    try {
        std::vector<std::uint8_t> element;
        std::string error;
        if (!zadaravod::element::encodeWavFile(wav, element, error)) return failWith(error);
        const std::string rbfPath = rbf;
        const std::string header = zadaravod::element::elementHeaderText(
            element, std::filesystem::path(rbfPath).filename().string());
        if (!writeReplacing(rbfPath, element.data(), element.size())) {
            return failWith("the element file " + rbfPath + " cannot be written (" +
                            std::strerror(errno) + ")");
        }
        if (!writeReplacing(rbfPath + ".h", reinterpret_cast<const std::uint8_t*>(header.data()),
                            header.size())) {
            const int err = errno;
            std::error_code ec;
            std::filesystem::remove(rbfPath, ec);
            return failWith("the element header " + rbfPath + ".h cannot be written (" +
                            std::strerror(err) + ")");
        }
        return 1;
    } catch (const std::exception& e) {
        return failWith(e.what());  // no exception may cross the C boundary
    } catch (...) {
        return failWith("the conversion failed");
    }
}

/// Converts the WAV file `wav` as ConvertWAVToMDM does, but hands the element
/// over in memory and writes no file: on success `*element` points to
/// `*size` bytes allocated by the plugin, which the caller gives back with
/// ZozazeZovevidizFreeElement. Returns 1 on success, 0 on failure (then
/// `*element` is null, `*size` 0, and ZozazeZovevidizLastError says why).
/// Safe to call from several threads at once.
extern "C" __attribute__((visibility("default"))) int ZozazeZovevidizConvertToMemory(
    const char* wav, unsigned char** element, std::size_t* size) {
    clearError();
    if (element == nullptr || size == nullptr) return failWith("no place for the element");
    *element = nullptr;
    *size = 0;
    if (wav == nullptr || *wav == '\0') return failWith("no input file was named");
    try {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!zadaravod::element::encodeWavFile(wav, bytes, error)) return failWith(error);
        auto* copy = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
        if (copy == nullptr) return failWith("out of memory");
        std::memcpy(copy, bytes.data(), bytes.size());
        *element = copy;
        *size = bytes.size();
        return 1;
    } catch (const std::exception& e) {
        return failWith(e.what());
    } catch (...) {
        return failWith("the conversion failed");
    }
}

/// Converts the `count` WAV files `wavs` as ZozazeZovevidizConvertToMemory
/// does, many at once (the encoder codes one per vector lane; it reads at
/// most one batch of its lanes at a time). For each i: on success
/// `elements[i]` points to `sizes[i]` bytes, given back with
/// ZozazeZovevidizFreeElement, and `reasons[i]` is ""; on failure
/// `elements[i]` is null, `sizes[i]` 0 and `reasons[i]` says why. The texts
/// stay valid until the calling thread's next call of this function. Returns
/// 1 when the call was made (whatever each WAV gave), 0 when its arrays are
/// missing (then ZozazeZovevidizLastError says why). Safe to call from
/// several threads at once.
extern "C" __attribute__((visibility("default"))) int ZozazeZovevidizConvertManyToMemory(
    const char* const* wavs, std::size_t count, unsigned char** elements, std::size_t* sizes,
    const char** reasons) {
    clearError();
    if (count == 0) return 1;
    if (wavs == nullptr || elements == nullptr || sizes == nullptr || reasons == nullptr)
        return failWith("no list of files or no place for the elements");
    for (std::size_t i = 0; i < count; ++i) {
        elements[i] = nullptr;
        sizes[i] = 0;
    }
    std::vector<std::string>* texts = nullptr;
    try {
        {
            const std::lock_guard lock(batchReasonsMutex);
            texts = &batchReasons[std::this_thread::get_id()];
        }
        texts->assign(count, std::string());
        convertMany(wavs, count, elements, sizes, *texts);
    } catch (...) {
        // No exception may cross the C boundary, and nothing half-made is
        // handed over: every WAV of the call failed.
        for (std::size_t i = 0; i < count; ++i) {
            std::free(elements[i]);
            elements[i] = nullptr;
            sizes[i] = 0;
        }
        if (texts != nullptr) texts->clear();
    }
    static const char* const kFailed = "the conversion failed (out of memory)";
    for (std::size_t i = 0; i < count; ++i)
        reasons[i] = texts != nullptr && i < texts->size() ? (*texts)[i].c_str() : kFailed;
    return 1;
}

/// Gives back an element of ZozazeZovevidizConvertToMemory; null is ignored.
extern "C" __attribute__((visibility("default"))) void ZozazeZovevidizFreeElement(
    unsigned char* element) {
    std::free(element);
}

/// What decides the bytes this plugin makes of a WAV, besides the WAV
/// itself: the element version and the encoder's revision. Callers that keep
/// elements (the build's cache) make it part of their key.
extern "C" __attribute__((visibility("default"))) const char* ZozazeZovevidizCodecIdentity() {
    static const std::string identity =
        "LKEL version " + std::to_string(zadaravod::element::kVersion) + ", encoder revision " +
        std::to_string(zadaravod::element::kEncoderRevision);
    return identity.c_str();
}
