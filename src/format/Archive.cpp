#include "format/Archive.h"

#include "format/ByteOrder.h"

#include <cstring>
#include <mutex>

#include "format/Cp1251.h"

namespace zadaravod {

namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFE;
constexpr std::uint16_t kCannotStoreSchema = 0xFFFF;
constexpr std::size_t kMaxClassNameLength = 64;

std::vector<const CRuntimeClass*>& registry() {
    static std::vector<const CRuntimeClass*> classes;
    return classes;
}

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

bool CRuntimeClass::isDerivedFrom(const CRuntimeClass* other) const {
    for (const CRuntimeClass* c = this; c != nullptr; c = c->base) {
        if (c == other) return true;
    }
    return false;
}

void registerClass(const CRuntimeClass* cls) {
    std::lock_guard lock(registryMutex());
    registry().push_back(cls);
}

const CRuntimeClass* findRegisteredClass(std::string_view name) {
    std::lock_guard lock(registryMutex());
    for (const CRuntimeClass* c : registry()) {
        if (name == c->className) return c;
    }
    return nullptr;
}

const char* toString(ArchiveError::Kind kind) {
    switch (kind) {
        case ArchiveError::Kind::Generic:
            return "generic archive error";
        case ArchiveError::Kind::ReadOnly:
            return "store on a loading archive";
        case ArchiveError::Kind::EndOfFile:
            return "unexpected end of file";
        case ArchiveError::Kind::WriteOnly:
            return "load on a storing archive";
        case ArchiveError::Kind::BadIndex:
            return "bad object index";
        case ArchiveError::Kind::BadClass:
            return "bad class";
        case ArchiveError::Kind::BadSchema:
            return "bad schema";
    }
    return "archive error";
}

ArchiveError::ArchiveError(Kind kind, std::string fileName, std::uint64_t offset,
                           std::string detail)
    : std::runtime_error((fileName.empty() ? std::string("archive") : fileName) + ": " +
                         toString(kind) + " at offset " + std::to_string(offset) + ": " + detail),
      kind_(kind),
      fileName_(std::move(fileName)),
      offset_(offset),
      detail_(std::move(detail)) {}

CArchive::CArchive(std::string fileName) : mode_(Mode::Store), fileName_(std::move(fileName)) {
    out_.reserve(4096);
}

CArchive::CArchive(std::string fileName, std::string bytes)
    : mode_(Mode::Load), fileName_(std::move(fileName)), owned_(std::move(bytes)), in_(owned_) {
    loadTable_.emplace_back();  // index 0: the null object
}

CArchive::CArchive(std::string fileName, Borrowed bytes)
    : mode_(Mode::Load), fileName_(std::move(fileName)), in_(bytes.bytes) {
    loadTable_.emplace_back();  // index 0: the null object
}

void CArchive::fail(ArchiveError::Kind kind, const std::string& detail) const {
    throw ArchiveError(kind, fileName_, offset(), detail);
}

void CArchive::refuseStoring(const char* what) const {
    fail(ArchiveError::Kind::ReadOnly,
         std::string("cannot store ") + what + " into an archive opened for loading");
}

void CArchive::refuseLoading(const char* what) const {
    fail(ArchiveError::Kind::WriteOnly,
         std::string("cannot load ") + what + " from an archive opened for storing");
}

void CArchive::refuseShort(std::uint64_t n, const char* what) const {
    fail(ArchiveError::Kind::EndOfFile,
         std::string("expected ") + what + " (" + std::to_string(n) + " bytes) but only " +
             std::to_string(bytesLeft()) +
             " bytes are left; the file is truncated or not a project file");
}

void CArchive::writeByte(std::uint8_t v) {
    requireStoring("a byte");
    out_.push_back(v);
}

void CArchive::writeWord(std::uint16_t v) {
    requireStoring("a word");
    le::append16(out_, v);
}

void CArchive::writeDword(std::uint32_t v) {
    requireStoring("a number");
    le::append32(out_, v);
}

void CArchive::writeQword(std::uint64_t v) {
    requireStoring("a number");
    le::append32(out_, static_cast<std::uint32_t>(v));
    le::append32(out_, static_cast<std::uint32_t>(v >> 32));
}

void CArchive::writeRaw(const void* data, std::size_t n) {
    requireStoring("a block");
    const auto* p = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
}

std::uint64_t CArchive::readQword() {
    const std::uint64_t lo = readDword();
    const std::uint64_t hi = readDword();
    return lo | (hi << 32);
}

void CArchive::readRaw(void* data, std::size_t n) {
    requireLoading("a block");
    need(n, "a block of bytes");
    std::memcpy(data, in_.data() + pos_, n);
    pos_ += n;
}

void CArchive::writeStringLength(std::uint64_t n) {
    if (n < 0xFF) {
        writeByte(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        writeByte(0xFF);
        writeWord(static_cast<std::uint16_t>(n));
    } else if (n < 0xFFFFFFFFULL) {
        writeByte(0xFF);
        writeWord(0xFFFF);
        writeDword(static_cast<std::uint32_t>(n));
    } else {
        writeByte(0xFF);
        writeWord(0xFFFF);
        writeDword(0xFFFFFFFF);
        writeQword(n);
    }
}

std::uint64_t CArchive::readStringLength(bool& wide) {
    wide = false;
    std::uint8_t b = readByte();
    if (b < 0xFF) return b;
    std::uint16_t w = readWord();
    if (w == 0xFFFE) {
        wide = true;
        b = readByte();
        if (b < 0xFF) return b;
        w = readWord();
    }
    if (w < 0xFFFF) return w;
    const std::uint32_t d = readDword();
    if (d < 0xFFFFFFFF) return d;
    return readQword();
}

void CArchive::writeString(std::string_view utf8) {
    requireStoring("a string");
    if (auto single = utf8ToCp1251(utf8)) {
        writeStringLength(single->size());
        writeRaw(single->data(), single->size());
        return;
    }
    // The text has characters Windows-1251 cannot hold: the wide form keeps them.
    const std::u16string wide = utf8ToUtf16(utf8);
    writeByte(0xFF);
    writeWord(0xFFFE);
    writeStringLength(wide.size());
    for (char16_t c : wide) writeWord(static_cast<std::uint16_t>(c));
}

std::string CArchive::readString() {
    std::string text;
    readString(text);
    return text;
}

void CArchive::skipString() {
    requireLoading("a string");
    bool wide = false;
    const std::uint64_t n = readStringLength(wide);
    if (wide && n > bytesLeft() / 2) need(n > UINT64_MAX / 2 ? UINT64_MAX : 2 * n, "a text");
    const std::uint64_t bytes = wide ? 2 * n : n;
    need(bytes, "a text");
    pos_ += bytes;
}

void CArchive::readString(std::string& text) {
    requireLoading("a string");
    // Up to this many texts of up to this size are remembered.
    constexpr std::size_t kRememberedTexts = 4096, kRememberedBytes = 1024;
    const std::uint64_t start = pos_;
    bool wide = false;
    const std::uint64_t n = readStringLength(wide);
    const std::uint64_t bytes = wide ? 2 * n : n;
    if (wide && n > bytesLeft() / 2) need(n > UINT64_MAX / 2 ? UINT64_MAX : bytes, "a text");
    need(bytes, "a text");
    const std::string_view raw(in_.data() + pos_, static_cast<std::size_t>(bytes));
    // The key holds the length prefix too, so a narrow and a wide text of
    // the same bytes differ.
    const std::string_view stored(in_.data() + start,
                                  static_cast<std::size_t>(pos_ + bytes - start));
    pos_ += bytes;
    const bool remember = stored.size() <= kRememberedBytes;
    if (remember) {
        if (const auto known = loadedTexts_.find(stored); known != loadedTexts_.end()) {
            text.assign(known->second);
            return;
        }
    }
    text = wide ? utf16leToUtf8(raw) : cp1251ToUtf8(raw);
    if (remember && loadedTexts_.size() < kRememberedTexts) {
        loadedTexts_.emplace(std::string(stored), text);
    }
}

void CArchive::writeObject(const CObject* obj) {
    if (!isStoring()) {
        fail(ArchiveError::Kind::Generic, "an object tag cannot be written to a loading archive");
    }
    if (obj == nullptr) {
        writeWord(kNullTag);
        return;
    }
    if (auto it = storeMap_.find(obj); it != storeMap_.end()) {
        if (it->second < kBigObjectTag) {
            writeWord(static_cast<std::uint16_t>(it->second));
        } else {
            writeWord(kBigObjectTag);
            writeDword(it->second);
        }
        return;
    }
    const CRuntimeClass* cls = obj->runtimeClass();
    if (cls == nullptr) fail(ArchiveError::Kind::BadClass, "an object without a class");
    if (cls->schema == kCannotStoreSchema) {
        fail(ArchiveError::Kind::BadSchema,
             std::string("class ") + cls->className + " cannot be stored");
    }
    if (storeMap_.size() >= kMaxMapCount) {
        fail(ArchiveError::Kind::BadIndex, "too many objects in one archive");
    }
    if (auto it = storeMap_.find(cls); it != storeMap_.end()) {
        if (it->second < kBigObjectTag) {
            writeWord(static_cast<std::uint16_t>(kClassTag | it->second));
        } else {
            writeWord(kBigObjectTag);
            writeDword(kBigClassTag | it->second);
        }
    } else {
        const std::size_t nameLength = std::strlen(cls->className);
        writeWord(kNewClassTag);
        writeWord(cls->schema);
        writeWord(static_cast<std::uint16_t>(nameLength));
        writeRaw(cls->className, nameLength);
        storeMap_[cls] = nextIndex_++;
    }
    storeMap_[obj] = nextIndex_++;
    const_cast<CObject*>(obj)->Serialize(*this);
}

std::shared_ptr<CObject> CArchive::readObject(const CRuntimeClass* expected) {
    requireLoading("an object");
    const std::uint64_t tagOffset = pos_;
    const std::uint16_t w = readWord();
    std::uint32_t tag;
    if (w == kBigObjectTag) {
        tag = readDword();
    } else {
        tag = static_cast<std::uint32_t>(w & 0x7FFF) | ((w & kClassTag) ? kBigClassTag : 0);
    }

    if ((tag & kBigClassTag) == 0) {
        if (tag == 0) return nullptr;
        if (tag >= loadTable_.size() || !loadTable_[tag].object) {
            fail(ArchiveError::Kind::BadIndex, "a reference to object " + std::to_string(tag) +
                                                   " that has not been read " + "(tag at offset " +
                                                   std::to_string(tagOffset) + ")");
        }
        if (!loadTable_[tag].object->runtimeClass()->isDerivedFrom(expected)) {
            fail(ArchiveError::Kind::BadClass,
                 std::string("expected a ") + expected->className + " object");
        }
        return loadTable_[tag].object;
    }

    const CRuntimeClass* cls = nullptr;
    if (w == kNewClassTag) {
        const std::uint16_t schema = readWord();
        const std::uint16_t nameLength = readWord();
        if (nameLength >= kMaxClassNameLength) {
            fail(ArchiveError::Kind::BadClass, "a class name of " + std::to_string(nameLength) +
                                                   " characters; names are shorter than 64");
        }
        std::string name(nameLength, '\0');
        readRaw(name.data(), nameLength);
        cls = findRegisteredClass(name);
        if (cls == nullptr) {
            fail(ArchiveError::Kind::BadClass,
                 "unknown class \"" + name + "\"; expected " + expected->className);
        }
        const auto extra = extraSchemas_.find(cls);
        if (cls->schema != schema && (extra == extraSchemas_.end() || extra->second != schema)) {
            fail(ArchiveError::Kind::BadSchema,
                 "class " + name + " is stored with schema " + std::to_string(schema) +
                     ", this program reads schema " + std::to_string(cls->schema));
        }
        if (loadTable_.size() >= kMaxMapCount) {
            fail(ArchiveError::Kind::BadIndex, "too many objects in one archive");
        }
        loadTable_.push_back({cls, nullptr});
    } else {
        const std::uint32_t index = tag & ~kBigClassTag;
        if (index == 0 || index >= loadTable_.size() || loadTable_[index].object ||
            loadTable_[index].cls == nullptr) {
            fail(ArchiveError::Kind::BadIndex,
                 "a reference to class " + std::to_string(index) + " that has not been read");
        }
        cls = loadTable_[index].cls;
    }

    if (!cls->isDerivedFrom(expected)) {
        fail(ArchiveError::Kind::BadClass, std::string("found a ") + cls->className + " where a " +
                                               expected->className + " was expected");
    }
    if (!cls->create) {
        fail(ArchiveError::Kind::BadClass,
             std::string("class ") + cls->className + " cannot be created");
    }
    if (loadTable_.size() >= kMaxMapCount) {
        fail(ArchiveError::Kind::BadIndex, "too many objects in one archive");
    }
    std::shared_ptr<CObject> obj = cls->create();
    loadTable_.push_back({nullptr, obj});
    obj->Serialize(*this);
    return obj;
}

}  // namespace zadaravod
