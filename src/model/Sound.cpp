#include "model/Sound.h"

#include <iterator>
#include <stdexcept>

namespace zadaravod {

namespace {
const CRuntimeClass classCObjectBase{"CObject", 0xFFFF, {}, nullptr};
}

const CRuntimeClass CSound::classCSound{"CSound", 1, [] { return std::make_unique<CSound>(); },
                                        &classCObjectBase};
const CRuntimeClass CSoundList::classCSoundList{
    "CSoundList", 1, [] { return std::make_unique<CSoundList>(); }, &classCObjectBase};

namespace {
const ClassRegistration registerSound(&CSound::classCSound);
const ClassRegistration registerSoundList(&CSoundList::classCSoundList);
}  // namespace

CSound CSound::silence(std::int32_t ms) {
    CSound s;
    s.kind = 0;
    s.durationMs = ms;
    return s;
}

void CSound::Serialize(CArchive& ar) {
    if (ar.isStoring()) {
        ar.writeInt32(kind);
        ar.writeString(filePath);
        ar.writeString(name);
        ar.writeInt32(sampleRate);
        ar.writeInt32(bitsPerSample);
        ar.writeInt32(stereo);
        ar.writeInt32(durationMs);
        ar.writeInt32(infoExtra);
    } else {
        load(ar, true);
    }
}

void CSound::loadWithoutPath(CArchive& ar) { load(ar, false); }

void CSound::load(CArchive& ar, bool withPath) {
    kind = ar.readInt32();
    if (withPath) {
        ar.readString(filePath);
    } else {
        ar.skipString();
    }
    ar.readString(name);
    sampleRate = ar.readInt32();
    bitsPerSample = ar.readInt32();
    stereo = ar.readInt32();
    durationMs = ar.readInt32();
    infoExtra = ar.readInt32();
}

void CSoundList::Serialize(CArchive& ar) {
    if (ar.isStoring()) {
        ar.writeDword(static_cast<std::uint32_t>(sounds.size()));
        for (auto& s : sounds) s.Serialize(ar);
    } else {
        // Entries are read one by one, so a huge count fails at the end of
        // the bytes instead of reserving room for it.
        const std::uint32_t n = ar.readDword();
        for (std::uint32_t i = 0; i < n; ++i) {
            CSound scratch;
            scratch.Serialize(ar);
            sounds.push_back(std::move(scratch));
        }
    }
}

void CSoundList::appendAll(const CSoundList& other) {
    sounds.insert(sounds.end(), other.sounds.begin(), other.sounds.end());
}

void CSoundList::insertAt(std::size_t n, const CSound& s) {
    if (n >= sounds.size()) {
        sounds.push_back(s);
        return;
    }
    sounds.insert(std::next(sounds.begin(), static_cast<std::ptrdiff_t>(n)), s);
}

void CSoundList::removeAt(std::size_t n) {
    if (n >= sounds.size()) return;
    sounds.erase(std::next(sounds.begin(), static_cast<std::ptrdiff_t>(n)));
}

const CSound& CSoundList::at(std::size_t n) const {
    if (n >= sounds.size()) throw std::out_of_range("sound list position out of range");
    return *std::next(sounds.begin(), static_cast<std::ptrdiff_t>(n));
}

CSound& CSoundList::at(std::size_t n) {
    if (n >= sounds.size()) throw std::out_of_range("sound list position out of range");
    return *std::next(sounds.begin(), static_cast<std::ptrdiff_t>(n));
}

}  // namespace zadaravod
