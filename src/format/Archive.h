#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "format/ByteOrder.h"

namespace zadaravod {

class CArchive;
class CObject;

/// A class that can be stored through the tagged object path: its name, its
/// schema number and a factory for a default-constructed instance.
struct CRuntimeClass {
    const char* className;
    std::uint16_t schema;
    std::function<std::unique_ptr<CObject>()> create;  ///< empty: cannot be stored
    const CRuntimeClass* base;                         ///< nullptr for CObject itself

    bool isDerivedFrom(const CRuntimeClass* other) const;
};

/// Base of every persistent record.
class CObject {
  public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* runtimeClass() const = 0;
    /// Stores or loads the fields in declaration order, by the archive's direction.
    virtual void Serialize(CArchive& ar) = 0;

    /// The base holds no state, so records compare by their own fields.
    constexpr bool operator==(const CObject&) const { return true; }

  protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

/// The registered classes, looked up by name while loading.
const CRuntimeClass* findRegisteredClass(std::string_view name);
void registerClass(const CRuntimeClass* cls);

/// One failure of the archive. `kind` tells the causes apart; what() is a
/// message a user can act on: which file, what was expected, at which offset.
class ArchiveError : public std::runtime_error {
  public:
    enum class Kind { Generic, ReadOnly, EndOfFile, WriteOnly, BadIndex, BadClass, BadSchema };

    ArchiveError(Kind kind, std::string fileName, std::uint64_t offset, std::string detail);

    Kind kind() const { return kind_; }
    const std::string& fileName() const { return fileName_; }
    std::uint64_t offset() const { return offset_; }
    const std::string& detail() const { return detail_; }

  private:
    Kind kind_;
    std::string fileName_;
    std::uint64_t offset_;
    std::string detail_;
};

const char* toString(ArchiveError::Kind kind);

/// The byte stream of the project files: little-endian primitives,
/// length-prefixed strings and tagged objects, read or written in one pass.
/// A loading archive works on the whole file held in memory, so every length
/// or count is checked against the bytes left before anything is allocated.
/// A storing archive collects the bytes; the caller writes them out.
class CArchive {
  public:
    enum class Mode { Store, Load };

    /// A storing archive. `fileName` names the target in error messages.
    explicit CArchive(std::string fileName);
    /// A loading archive over `bytes`.
    CArchive(std::string fileName, std::string bytes);
    /// Bytes a loading archive reads without a copy of its own: the caller
    /// keeps them alive until the archive is gone.
    struct Borrowed {
        std::string_view bytes;
    };
    CArchive(std::string fileName, Borrowed bytes);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool isStoring() const { return mode_ == Mode::Store; }
    bool isLoading() const { return mode_ == Mode::Load; }
    const std::string& fileName() const { return fileName_; }

    /// The stored bytes (storing archive).
    const std::vector<std::uint8_t>& bytes() const { return out_; }
    /// Current read offset (loading archive), for messages.
    std::uint64_t offset() const { return isLoading() ? pos_ : out_.size(); }
    std::uint64_t bytesLeft() const { return in_.size() - pos_; }

    void writeByte(std::uint8_t v);
    void writeWord(std::uint16_t v);
    void writeDword(std::uint32_t v);
    void writeInt32(std::int32_t v) { writeDword(static_cast<std::uint32_t>(v)); }
    void writeQword(std::uint64_t v);
    void writeRaw(const void* data, std::size_t n);

    // The reads of numbers are inline: a large project file holds some
    // 150 000 of them.
    std::uint8_t readByte() {
        requireLoading("a byte");
        need(1, "a byte");
        return static_cast<std::uint8_t>(in_[pos_++]);
    }
    std::uint16_t readWord() {
        requireLoading("a word");
        need(2, "a 16-bit number");
        const auto* p = reinterpret_cast<const std::uint8_t*>(in_.data() + pos_);
        pos_ += 2;
        return le::get16(p);
    }
    std::uint32_t readDword() {
        requireLoading("a number");
        need(4, "a 32-bit number");
        const auto* p = reinterpret_cast<const std::uint8_t*>(in_.data() + pos_);
        pos_ += 4;
        return le::get32(p);
    }
    std::int32_t readInt32() { return static_cast<std::int32_t>(readDword()); }
    std::uint64_t readQword();
    void readRaw(void* data, std::size_t n);

    /// Stores a UTF-8 string: single-byte Windows-1251 when every character
    /// has a code there, otherwise the wide-character (UTF-16) form.
    void writeString(std::string_view utf8);
    /// Loads either string form and returns UTF-8.
    std::string readString();
    /// The same into `text`, whose memory is reused when it is large enough.
    void readString(std::string& text);
    /// Moves past a string of either form without converting it.
    void skipString();

    /// Stores `obj` through the tagged object path (nullptr = the null object).
    void writeObject(const CObject* obj);
    /// Loads a tagged object of `expected` class (or one derived from it).
    /// Returns the new object, nullptr for the null tag; a back-reference
    /// returns a non-owning pointer to the earlier object through `shared`.
    std::shared_ptr<CObject> readObject(const CRuntimeClass* expected);
    /// Lets this loading archive also read `cls` stored with `schema`, for a
    /// class whose fields did not change between the two schemas.
    void acceptSchema(const CRuntimeClass* cls, std::uint16_t schema) {
        extraSchemas_[cls] = schema;
    }

    /// Throws the error of `kind` at the current offset.
    [[noreturn]] void fail(ArchiveError::Kind kind, const std::string& detail) const;

  private:
    // Checked on every field read: the test is inline, the message is not.
    void requireStoring(const char* what) const {
        if (!isStoring()) refuseStoring(what);
    }
    void requireLoading(const char* what) const {
        if (!isLoading()) refuseLoading(what);
    }
    void need(std::uint64_t n, const char* what) const {
        if (n > bytesLeft()) refuseShort(n, what);
    }
    [[noreturn]] void refuseStoring(const char* what) const;
    [[noreturn]] void refuseLoading(const char* what) const;
    [[noreturn]] void refuseShort(std::uint64_t n, const char* what) const;
    void writeStringLength(std::uint64_t n);
    std::uint64_t readStringLength(bool& wide);

    Mode mode_;
    std::string fileName_;
    std::vector<std::uint8_t> out_;
    std::string owned_;    ///< the loaded bytes, when the archive holds them
    std::string_view in_;  ///< the loaded bytes
    std::uint64_t pos_ = 0;

    // Object table. Storing: class/object pointer -> index. Loading: by index.
    std::map<const void*, std::uint32_t> storeMap_;
    struct LoadEntry {
        const CRuntimeClass* cls = nullptr;
        std::shared_ptr<CObject> object;
    };
    std::vector<LoadEntry> loadTable_;
    std::uint32_t nextIndex_ = 1;

    // Texts already converted, by their stored bytes (length prefix and
    // all): a project names each sound once in the library and again in
    // every list entry that plays it.
    struct TextHash {
        using is_transparent = void;
        /// Texts of a project differ at their ends (the folder part of the
        /// paths is shared, and wide texts end alike in ".wav"): the length
        /// and the last 32 bytes are enough to spread them; equal hashes are
        /// told apart by comparing.
        std::size_t operator()(std::string_view s) const {
            std::uint64_t h = s.size() * 0x9E3779B97F4A7C15ull;
            if (s.size() < 8) {
                for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
            } else {
                // Four words from the end (overlapping in a short text).
                for (std::size_t back = 8; back <= 32; back += 8) {
                    std::uint64_t word = 0;
                    std::memcpy(&word, s.data() + (s.size() >= back ? s.size() - back : 0), 8);
                    h = (h ^ word) * 0x100000001B3ull;
                    h ^= h >> 32;
                }
            }
            return static_cast<std::size_t>(h ^ h >> 29);
        }
    };
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> loadedTexts_;
    std::map<const CRuntimeClass*, std::uint16_t> extraSchemas_;
};

/// Registers a class at static-initialisation time.
struct ClassRegistration {
    explicit ClassRegistration(const CRuntimeClass* cls) { registerClass(cls); }
};

}  // namespace zadaravod
