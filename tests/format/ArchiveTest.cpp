#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "format/Archive.h"
#include "model/Settings.h"
#include "model/Sound.h"

namespace zadaravod {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = ArchiveError::Kind;

Bytes bytesOf(std::initializer_list<int> list) {
    Bytes b;
    for (int v : list) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

std::string asString(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes storedString(const std::string& s) {
    CArchive ar("t");
    ar.writeString(s);
    return ar.bytes();
}

std::string loadString(const Bytes& b) {
    CArchive ar("t", asString(b));
    return ar.readString();
}

Kind kindOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ArchiveError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no archive error was raised";
    return Kind::Generic;
}

TEST(ArchiveStrings, LengthFormsAtEveryBoundary) {
    EXPECT_EQ(storedString(""), bytesOf({0x00}));

    const Bytes b254 = storedString(std::string(254, 'a'));
    ASSERT_EQ(b254.size(), 255u);
    EXPECT_EQ(b254[0], 0xFE);

    const Bytes b255 = storedString(std::string(255, 'a'));
    ASSERT_EQ(b255.size(), 258u);
    EXPECT_EQ(Bytes(b255.begin(), b255.begin() + 3), bytesOf({0xFF, 0xFF, 0x00}));

    const Bytes b65533 = storedString(std::string(65533, 'a'));
    EXPECT_EQ(Bytes(b65533.begin(), b65533.begin() + 3), bytesOf({0xFF, 0xFD, 0xFF}));

    const Bytes b65534 = storedString(std::string(65534, 'a'));
    ASSERT_EQ(b65534.size(), 7u + 65534u);
    EXPECT_EQ(Bytes(b65534.begin(), b65534.begin() + 7),
              bytesOf({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));

    for (std::size_t n : {0u, 1u, 254u, 255u, 65533u, 65534u, 70000u}) {
        const std::string s(n, 'x');
        EXPECT_EQ(loadString(storedString(s)), s) << n;
    }
}

TEST(ArchiveStrings, CyrillicGoesSingleByteAndOthersWide) {
    // "Звук" is Windows-1251 C7 E2 F3 EA.
    EXPECT_EQ(storedString("Звук"), bytesOf({0x04, 0xC7, 0xE2, 0xF3, 0xEA}));
    EXPECT_EQ(loadString(bytesOf({0x04, 0xC7, 0xE2, 0xF3, 0xEA})), "Звук");

    // é has no Windows-1251 code: the wide form keeps it instead of a "?".
    const Bytes wide = storedString("café");
    EXPECT_EQ(wide, bytesOf({0xFF, 0xFE, 0xFF, 0x04, 'c', 0, 'a', 0, 'f', 0, 0xE9, 0x00}));
    EXPECT_EQ(loadString(wide), "café");
    EXPECT_EQ(loadString(storedString("日本語 — ok 🎵")), "日本語 — ok 🎵");
}

TEST(ArchiveStrings, EveryByteAndUnitLoadsToItsCharacter) {
    // Every Windows-1251 byte, as a stored text, reads back to one character
    // between two ASCII ones and stores again to the same byte.
    for (int b = 1; b < 256; ++b) {
        const Bytes stored = bytesOf({0x03, 'a', b, 'z'});
        const std::string text = loadString(stored);
        ASSERT_GE(text.size(), 3u) << b;
        EXPECT_EQ(text.front(), 'a');
        EXPECT_EQ(text.back(), 'z');
        EXPECT_EQ(text.size() == 3, b < 0x80) << b;
        EXPECT_EQ(storedString(text), stored) << b;
    }
    EXPECT_EQ(loadString(bytesOf({0x04, 0xC7, 0x88, 0xB9, 0x98})), "З€№\xC2\x98");
    // The wide form: a pair of surrogates is one character, a lone one reads
    // as U+FFFD, whatever follows it.
    const Bytes pair = bytesOf({0xFF, 0xFE, 0xFF, 0x03, 0x3C, 0xD8, 0xB5, 0xDF, 'x', 0});
    EXPECT_EQ(loadString(pair), "🎵x");
    const Bytes lone = bytesOf({0xFF, 0xFE, 0xFF, 0x03, 0x3C, 0xD8, 'x', 0, 0xB5, 0xDF});
    EXPECT_EQ(loadString(lone), "\xEF\xBF\xBDx\xEF\xBF\xBD");
    const Bytes highAtEnd = bytesOf({0xFF, 0xFE, 0xFF, 0x01, 0x3C, 0xD8});
    EXPECT_EQ(loadString(highAtEnd), "\xEF\xBF\xBD");
}

TEST(ArchiveStrings, WideFormWithLongLengthLoads) {
    Bytes b = bytesOf({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01});  // 256 wide characters
    for (int i = 0; i < 256; ++i) {
        b.push_back('z');
        b.push_back(0);
    }
    EXPECT_EQ(loadString(b), std::string(256, 'z'));
}

TEST(ArchiveStrings, HugeLengthsFailAtEndOfFileWithoutAllocating) {
    // 8-byte length of 2^62 characters, then nothing.
    const Bytes huge =
        bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x40});
    EXPECT_EQ(kindOf([&] { loadString(huge); }), Kind::EndOfFile);
    const Bytes hugeWide = bytesOf({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(kindOf([&] { loadString(hugeWide); }), Kind::EndOfFile);
    EXPECT_EQ(kindOf([&] { loadString(bytesOf({0x05, 'a', 'b'})); }), Kind::EndOfFile);
}

TEST(ArchiveObjects, ClassHeaderOnceThenClassReference) {
    CKey first;
    CKey second;
    CArchive ar("t");
    ar.writeObject(&first);
    ar.writeObject(&second);
    ar.writeObject(&first);
    ar.writeObject(nullptr);
    const Bytes& b = ar.bytes();
    ASSERT_EQ(b.size(), 10u + 96u + 2u + 96u + 2u + 2u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 10),
              bytesOf({0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00, 'C', 'K', 'e', 'y'}));
    EXPECT_EQ(Bytes(b.begin() + 106, b.begin() + 108), bytesOf({0x01, 0x80}));  // class index 1
    EXPECT_EQ(Bytes(b.begin() + 204, b.begin() + 206), bytesOf({0x02, 0x00}));  // object 2 again
    EXPECT_EQ(Bytes(b.end() - 2, b.end()), bytesOf({0x00, 0x00}));              // null

    CArchive in("t", asString(b));
    auto a = in.readObject(&CKey::classCKey);
    auto c = in.readObject(&CKey::classCKey);
    auto again = in.readObject(&CKey::classCKey);
    auto none = in.readObject(&CKey::classCKey);
    EXPECT_NE(a, c);
    EXPECT_EQ(a, again);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(in.bytesLeft(), 0u);
}

TEST(ArchiveObjects, ObjectIndexEscapeFormOnStoreAndLoad) {
    // Object indexes from 0x7FFF on are written as 0x7FFF and a dword.
    std::vector<CFlashSize> many(0x7FFE);
    CArchive ar("t");
    for (auto& f : many) ar.writeObject(&f);  // class 1, objects 2 .. 0x7FFF
    const std::size_t before = ar.bytes().size();
    ar.writeObject(&many.back());
    const Bytes& b = ar.bytes();
    EXPECT_EQ(Bytes(b.begin() + static_cast<std::ptrdiff_t>(before), b.end()),
              bytesOf({0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}));

    CArchive in("t", asString(b));
    std::shared_ptr<CObject> last;
    for (std::size_t i = 0; i < many.size(); ++i)
        last = in.readObject(&CFlashSize::classCFlashSize);
    EXPECT_EQ(in.readObject(&CFlashSize::classCFlashSize), last);
}

TEST(ArchiveObjects, ClassEscapeFormLoads) {
    CArchive ar("t");
    CKey key;
    key.keyFunction[0] = 7;
    ar.writeObject(&key);
    Bytes b = ar.bytes();
    // A new object of class 1 through the escape form, then a reference to
    // object 2 through the escape form.
    Bytes tail = bytesOf({0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80});
    for (int i = 0; i < 96; ++i) tail.push_back(i % 4 == 0 ? 3 : 0);
    for (int v : {0xFF, 0x7F, 0x02, 0x00, 0x00, 0x00}) tail.push_back(static_cast<std::uint8_t>(v));
    b.insert(b.end(), tail.begin(), tail.end());

    CArchive in("t", asString(b));
    auto first = in.readObject(&CKey::classCKey);
    auto second = in.readObject(&CKey::classCKey);
    auto back = in.readObject(&CKey::classCKey);
    EXPECT_EQ(static_cast<CKey*>(second.get())->keyFunction[23], 3);
    EXPECT_EQ(static_cast<CKey*>(first.get())->keyFunction[0], 7);
    EXPECT_EQ(back, first);
}

TEST(ArchiveErrors, EveryKindFromACraftedStream) {
    EXPECT_EQ(kindOf([] {
                  CArchive in("t", "");
                  CKey k;
                  in.writeObject(&k);
              }),
              Kind::Generic);
    EXPECT_EQ(kindOf([] {
                  CArchive in("t", "");
                  in.writeByte(1);
              }),
              Kind::ReadOnly);
    EXPECT_EQ(kindOf([] {
                  CArchive in("t", std::string("\x01\x02", 2));
                  in.readInt32();
              }),
              Kind::EndOfFile);
    EXPECT_EQ(kindOf([] {
                  CArchive out("t");
                  out.readByte();
              }),
              Kind::WriteOnly);
    EXPECT_EQ(kindOf([] {
                  CArchive in("t", std::string("\x05\x00", 2));  // object 5, never read
                  in.readObject(&CKey::classCKey);
              }),
              Kind::BadIndex);
    EXPECT_EQ(kindOf([] {
                  CArchive in("t", std::string("\x03\x80", 2));  // class 3, never read
                  in.readObject(&CKey::classCKey);
              }),
              Kind::BadIndex);
    EXPECT_EQ(kindOf([] {
                  CArchive in("t", asString(bytesOf({0xFF, 0xFF, 1, 0, 4, 0, 'C', 'K', 'e', 'x'})));
                  in.readObject(&CKey::classCKey);
              }),
              Kind::BadClass);
    EXPECT_EQ(kindOf([] {
                  std::string s = asString(bytesOf({0xFF, 0xFF, 1, 0, 64, 0}));
                  s += std::string(64, 'A');
                  CArchive in("t", s);
                  in.readObject(&CKey::classCKey);
              }),
              Kind::BadClass);
    EXPECT_EQ(kindOf([] {
                  CEquation eq;
                  CArchive out("t");
                  out.writeObject(&eq);
                  CArchive in("t", asString(out.bytes()));
                  in.readObject(&CKey::classCKey);  // a CEquation where a CKey belongs
              }),
              Kind::BadClass);
    EXPECT_EQ(kindOf([] {
                  // CFlashSize is schema 2; schema 1 is refused.
                  std::string s =
                      asString(bytesOf({0xFF, 0xFF, 1,   0,   10,  0,   'C', 'F', 'l', 'a',
                                        's',  'h',  'S', 'i', 'z', 'e', 0,   0,   0,   0}));
                  CArchive in("t", s);
                  in.readObject(&CFlashSize::classCFlashSize);
              }),
              Kind::BadSchema);
}

TEST(ArchiveErrors, MessageNamesFileOffsetAndExpectation) {
    try {
        CArchive in("/p/demo.winproj", std::string("\xFF\xFF\x01\x00\x04\x00"
                                                   "CKey\x01\x00",
                                                   12));
        in.readObject(&CKey::classCKey);
        FAIL() << "no error";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.kind(), Kind::EndOfFile);
        EXPECT_EQ(e.fileName(), "/p/demo.winproj");
        EXPECT_EQ(e.offset(), 10u);
        const std::string what = e.what();
        EXPECT_NE(what.find("/p/demo.winproj"), std::string::npos);
        EXPECT_NE(what.find("offset 10"), std::string::npos);
        EXPECT_NE(what.find("32-bit number"), std::string::npos);
    }
}

}  // namespace
}  // namespace zadaravod
