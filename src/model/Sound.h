#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "format/Archive.h"

namespace zadaravod {

/// One sound record: a library recording, a playlist entry (a full copy of the
/// library record) or a silence (`kind` 0, `durationMs` set, strings empty).
class CSound : public CObject {
  public:
    static const CRuntimeClass classCSound;
    const CRuntimeClass* runtimeClass() const override { return &classCSound; }
    void Serialize(CArchive& ar) override;
    /// Loads a record as Serialize() does, but leaves its path as it was
    /// (for a reader that only lists records; the path is rebuilt from the
    /// name when a project opens anyway).
    void loadWithoutPath(CArchive& ar);

    /// A silence entry of `ms` milliseconds.
    static CSound silence(std::int32_t ms);

    bool isSound() const { return kind == 1; }
    bool operator==(const CSound& other) const = default;

    std::int32_t kind = 0;        ///< 1 = sound in a WAV file, 0 = silence
    std::string filePath;         ///< soundFolder + "/" + name; "" for silences
    std::string name;             ///< file name inside the sound folder
    std::int32_t sampleRate = 0;  ///< Hz, integer part
    std::int32_t bitsPerSample = 16;
    std::int32_t stereo = 0;  ///< 1 = stereo, anything else mono
    std::int32_t durationMs = 0;
    std::int32_t infoExtra = 0;  ///< further figure from the audio information

  private:
    /// The loading side of Serialize(); the path is skipped unless `withPath`.
    void load(CArchive& ar, bool withPath);
};

/// An ordered list of sound records: the library, each playlist, the
/// background music. Stored by its own Serialize, without tags.
class CSoundList : public CObject {
  public:
    using Container = std::list<CSound>;
    using iterator = Container::iterator;
    using const_iterator = Container::const_iterator;

    static const CRuntimeClass classCSoundList;
    const CRuntimeClass* runtimeClass() const override { return &classCSoundList; }
    /// Storing writes a 32-bit count then every record; loading appends.
    void Serialize(CArchive& ar) override;

    bool operator==(const CSoundList& other) const { return sounds == other.sounds; }

    std::size_t count() const { return sounds.size(); }
    bool empty() const { return sounds.empty(); }
    void addTail(const CSound& s) { sounds.push_back(s); }
    void addHead(const CSound& s) { sounds.push_front(s); }
    void appendAll(const CSoundList& other);
    /// Inserts before the n-th entry (0-based); n >= count appends.
    void insertAt(std::size_t n, const CSound& s);
    /// Removes the n-th entry; out of range does nothing.
    void removeAt(std::size_t n);
    void removeAll() { sounds.clear(); }
    const CSound& at(std::size_t n) const;
    CSound& at(std::size_t n);

    iterator begin() { return sounds.begin(); }
    iterator end() { return sounds.end(); }
    const_iterator begin() const { return sounds.begin(); }
    const_iterator end() const { return sounds.end(); }

    Container sounds;
};

}  // namespace zadaravod
