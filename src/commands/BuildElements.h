#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "commands/ConverterPlugin.h"
#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/ElementCache.h"
#include "io/FileDigests.h"

namespace zadaravod {

/// One sound whose element a build needs.
struct ElementJob {
    std::string wavPath;  ///< the WAV file the converter reads
    std::string name;     ///< how messages name it: sound 3 "x.wav"
};

/// Where a build takes its elements from: the cache when it holds the
/// element of the same WAV bytes made by the same converter, the converter
/// plugin otherwise (an element it makes is kept in the cache for the next
/// build).
class ElementSource {
  public:
    /// `cache` may be null or unusable: every element is then converted.
    /// `digests`, when given, spares the hashing of WAVs that did not change
    /// since a build before. The objects must outlive this one.
    ElementSource(const ConverterPlugin& plugin, ElementCache* cache,
                  FileDigests* digests = nullptr);

    /// The element of one job. Safe to call from several threads at once.
    /// A cached entry is used only when its bytes are a well-formed element
    /// of the length its header gives; any other entry is dropped and the
    /// WAV converted again. Only well-formed elements are kept, and only when
    /// the WAV did not change while it was converted.
    ElementConversion elementOf(const ElementJob& job) const;
    /// elementOf() for several jobs, one result per job in order: the cache
    /// serves what it holds, and the rest go to the converter in one batch
    /// when it converts many at once.
    std::vector<ElementConversion> elementsOf(std::span<const ElementJob> jobs) const;
    /// How many jobs a worker hands to elementsOf() at once: the batch the
    /// converter codes side by side, or 1 when it converts one at a time.
    std::size_t batchSize() const;

    /// Elements taken from the cache and made by the converter so far.
    int cacheHits() const { return hits_; }
    int conversions() const { return conversions_; }

  private:
    std::optional<ElementCache::Key> keyOf(const std::string& wavPath,
                                           std::string& fileState) const;

    const ConverterPlugin& plugin_;
    ElementCache* cache_;
    FileDigests* digests_;
    std::optional<Sha256::Digest> converter_;
    mutable std::atomic<int> hits_{0};
    mutable std::atomic<int> conversions_{0};
};

/// The text a build stopped by the user ends with.
inline constexpr const char* kBuildStoppedText =
    "The build was stopped. No image was written; an earlier image stays as it was.";

/// Makes the elements of `jobs` on `threads` threads (at least one), in job
/// order; each thread takes source.batchSize() jobs at a time. Progress goes to `messenger` from
/// the calling thread only: a status line "Converting sound K of N" and progress(K, N) as each
/// element is ready. When progress() returns false no further job is started and the result is the
/// stop (kBuildStoppedText). A failed conversion stops the others from starting; the failure of the
/// first job in order that failed is returned, told as the converter's own messages ("Fail!" then
/// the WAV path) when the converter reported it.
Result<std::vector<std::vector<std::uint8_t>>> makeElements(const std::vector<ElementJob>& jobs,
                                                            const ElementSource& source,
                                                            Messenger& messenger, unsigned threads);

/// The message of a failed conversion of `job`, after telling the
/// converter's own messages when it reported the failure itself.
Message conversionFailure(const ElementJob& job, const ElementConversion& conversion,
                          Messenger& messenger);

}  // namespace zadaravod
