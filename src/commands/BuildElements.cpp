#include "commands/BuildElements.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "format/ElementCodec.h"
#include "io/FileDigests.h"

namespace zadaravod {

namespace {

/// Jobs a worker takes at once from a converter that converts many in one
/// call: the lanes of its widest encoder (at most 16 WAVs in memory each).
constexpr std::size_t kConversionBatch = 16;

/// WAV files larger than this are converted without the cache.
constexpr std::uintmax_t kMaxHashedWavBytes = std::uintmax_t{1} << 31;

/// Whether `bytes` are exactly one element as its header describes it.
bool wellFormed(const std::vector<std::uint8_t>& bytes) {
    element::ElementHeader header;
    std::string error;
    return element::parseElementHeader(bytes, header, error) &&
           header.elementBytes() == bytes.size();
}

}  // namespace

ElementSource::ElementSource(const ConverterPlugin& plugin, ElementCache* cache,
                             FileDigests* digests)
    : plugin_(plugin), cache_(cache), digests_(digests) {
    if (cache_ != nullptr && cache_->usable()) converter_ = plugin_.identity(digests_);
}

std::optional<ElementCache::Key> ElementSource::keyOf(const std::string& wavPath,
                                                      std::string& state) const {
    if (cache_ == nullptr || !converter_ || !cache_->usable()) return std::nullopt;
    Sha256::Digest wav{};
    std::string error;
    const bool hashed = digests_ != nullptr
                            ? digests_->digestOf(wavPath, state, wav, error, kMaxHashedWavBytes)
                            : !(state = fileFingerprint(wavPath)).empty() &&
                                  sha256OfFile(wavPath, wav, error, kMaxHashedWavBytes);
    if (!hashed) return std::nullopt;  // the converter tells what is wrong with the file
    Sha256 key;
    key.update(std::span<const std::uint8_t>(converter_->data(), converter_->size()));
    key.update(std::span<const std::uint8_t>(wav.data(), wav.size()));
    return key.finish();
}

ElementConversion ElementSource::elementOf(const ElementJob& job) const {
    return std::move(elementsOf(std::span<const ElementJob>(&job, 1)).front());
}

std::vector<ElementConversion> ElementSource::elementsOf(std::span<const ElementJob> jobs) const {
    std::vector<ElementConversion> out(jobs.size());
    std::vector<std::optional<ElementCache::Key>> keys(jobs.size());
    std::vector<std::string> before(jobs.size());
    std::vector<std::size_t> misses;
    std::vector<std::string> paths, names;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        keys[i] = keyOf(jobs[i].wavPath, before[i]);
        if (keys[i]) {
            if (std::optional<std::vector<std::uint8_t>> kept = cache_->find(*keys[i])) {
                if (wellFormed(*kept)) {
                    ++hits_;
                    out[i].element = std::move(*kept);
                    continue;
                }
                cache_->remove(*keys[i]);  // not an element: never into an image
            }
        }
        misses.push_back(i);
        paths.push_back(jobs[i].wavPath);
        names.push_back(jobs[i].name);
    }
    std::vector<ElementConversion> made = plugin_.convertManyToElements(paths, names);
    for (std::size_t k = 0; k < misses.size(); ++k) {
        const std::size_t i = misses[k];
        ++conversions_;
        // An element of a WAV that changed meanwhile may be of either
        // content: it goes into this image, but is not kept under the old
        // content's key.
        if (keys[i] && made[k].ok() && wellFormed(made[k].element) &&
            fileFingerprint(jobs[i].wavPath) == before[i]) {
            cache_->store(*keys[i], made[k].element);
        }
        out[i] = std::move(made[k]);
    }
    return out;
}

std::size_t ElementSource::batchSize() const {
    return plugin_.convertsManyInMemory() ? kConversionBatch : 1;
}

Message conversionFailure(const ElementJob& job, const ElementConversion& conversion,
                          Messenger& messenger) {
    if (!conversion.converterFailed) return failure(conversion.reason);
    tellConversionFailure(messenger, job.wavPath);
    const std::string reason = conversion.reason.empty() ? std::string() : ": " + conversion.reason;
    return failure("The build stopped: the conversion of " + job.name + " failed" + reason + ".");
}

Result<std::vector<std::vector<std::uint8_t>>> makeElements(const std::vector<ElementJob>& jobs,
                                                            const ElementSource& source,
                                                            Messenger& messenger,
                                                            unsigned threads) {
    const std::size_t n = jobs.size();
    std::vector<ElementConversion> results(n);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, finished = 0;
    bool stop = false;

    // Workers take jobs in order; the calling thread only reports, so that
    // the messenger is called from the thread that called us.
    const unsigned workers =
        std::clamp<unsigned>(threads, 1, static_cast<unsigned>(std::max<std::size_t>(n, 1)));
    // Batches no larger than an even share, so that every worker has some.
    const std::size_t batch = std::clamp<std::size_t>((n + workers - 1) / workers, 1,
                                                      std::max<std::size_t>(source.batchSize(), 1));
    auto work = [&] {
        std::unique_lock lock(mutex);
        while (!stop && next < n) {
            const std::size_t first = next, count = std::min(batch, n - next);
            next += count;
            lock.unlock();
            std::vector<ElementConversion> done =
                source.elementsOf(std::span<const ElementJob>(jobs).subspan(first, count));
            lock.lock();
            for (std::size_t k = 0; k < count; ++k) {
                if (!done[k].ok()) stop = true;  // nothing new starts; those running finish
                results[first + k] = std::move(done[k]);
            }
            finished += count;
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    if (n > 0) {
        for (unsigned t = 0; t < workers; ++t) pool.emplace_back(work);
    }
    bool stoppedByUser = !messenger.progress(0, static_cast<int>(n));
    {
        std::unique_lock lock(mutex);
        if (stoppedByUser) stop = true;
        std::size_t reported = 0;
        // Until every job started has finished and no other will start.
        for (;;) {
            changed.wait(lock, [&] {
                return finished != reported || (finished == next && (stop || next == n));
            });
            if (finished == reported) break;
            const std::size_t from = reported;
            reported = finished;
            if (stoppedByUser) continue;
            lock.unlock();
            // A batch finishes its sounds together; each is still counted.
            bool goOn = true;
            for (std::size_t k = from + 1; k <= reported && goOn; ++k) {
                messenger.status("Converting sound " + std::to_string(k) + " of " +
                                 std::to_string(n));
                goOn = messenger.progress(static_cast<int>(k), static_cast<int>(n));
            }
            lock.lock();
            if (!goOn) stoppedByUser = stop = true;
        }
    }
    for (std::thread& t : pool) t.join();

    if (stoppedByUser) return failure(kBuildStoppedText, MessageIcon::None);
    std::vector<std::vector<std::uint8_t>> elements;
    elements.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        // Jobs are taken in order: every one before a failure has finished.
        if (!results[i].ok()) return conversionFailure(jobs[i], results[i], messenger);
        elements.push_back(std::move(results[i].element));
    }
    return elements;
}

}  // namespace zadaravod
