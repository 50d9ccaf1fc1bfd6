// Text to speech: the voice list, synthesis at every supported rate, the
// refusals, the in-memory resampler it uses, and the file name suggestion.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <thread>

#include "audio/Resample.h"
#include "audio/Speech.h"
#include "audio/Utf8Text.h"
#include "model/SamplingRates.h"

namespace zadaravod {
namespace {

double rmsDbfs(const std::vector<std::int16_t>& s) {
    double sum = 0;
    for (std::int16_t v : s) sum += static_cast<double>(v) * v;
    return 10.0 * std::log10(sum / static_cast<double>(s.size()) / (32768.0 * 32768.0));
}

std::vector<std::int16_t> sine(int rate, double seconds, double hz, double amplitude) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::int16_t>(
            std::lround(amplitude * 32767.0 *
                        std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate)));
    }
    return out;
}

SpeechRequest request(std::string text, std::string voice, int rate = 16000) {
    SpeechRequest r;
    r.text = std::move(text);
    r.voice = std::move(voice);
    r.sampleRate = rate;
    return r;
}

// ---------------------------------------------------------------- voices

TEST(SpeechVoices, RussianThenEnglishThenTheRest) {
    std::vector<SpeechVoice> voices;
    std::string error;
    ASSERT_TRUE(listSpeechVoices(voices, error)) << error;
    ASSERT_GT(voices.size(), 2u);
    auto group = [](const SpeechVoice& v) {
        if (v.language == "ru" || v.language.starts_with("ru-")) return 0;
        if (v.language == "en" || v.language.starts_with("en-")) return 1;
        return 2;
    };
    EXPECT_EQ(voices.front().identifier, "zle/ru");
    EXPECT_EQ(voices.front().language, "ru");
    bool english = false;
    for (std::size_t i = 0; i < voices.size(); ++i) {
        EXPECT_FALSE(voices[i].name.empty()) << voices[i].identifier;
        if (i > 0) {
            EXPECT_LE(group(voices[i - 1]), group(voices[i])) << voices[i].identifier;
        }
        english = english || voices[i].identifier == "gmw/en";
    }
    EXPECT_TRUE(english);
}

TEST(SpeechVoices, ChosenByIdentifierNameOrLanguage) {
    for (const char* wanted : {"zle/ru", "Russian", "RU", ""}) {
        const SpeechResult r = synthesizeSpeech(request("да", wanted));
        ASSERT_TRUE(r.ok) << wanted << ": " << r.error;
        EXPECT_EQ(r.voiceIdentifier, "zle/ru") << wanted;
    }
    const SpeechResult us = synthesizeSpeech(request("yes", "en-us"));
    ASSERT_TRUE(us.ok) << us.error;
    EXPECT_EQ(us.voiceIdentifier, "gmw/en-US");
}

// ---------------------------------------------------------------- synthesis

TEST(SpeechSynthesis, OneWordAtEverySupportedRate) {
    for (int rate : kSupportedRates) {
        const SpeechResult r = synthesizeSpeech(request("hello", "en", rate));
        ASSERT_TRUE(r.ok) << rate << ": " << r.error;
        EXPECT_EQ(r.sampleRate, rate);
        const double seconds = static_cast<double>(r.samples.size()) / rate;
        EXPECT_GT(seconds, 0.2) << rate;
        EXPECT_LT(seconds, 3.0) << rate;
        EXPECT_GT(rmsDbfs(r.samples), -35.0) << rate;
    }
}

TEST(SpeechSynthesis, RussianWordIsSpoken) {
    const SpeechResult r = synthesizeSpeech(request("привет", "ru", 8000));
    ASSERT_TRUE(r.ok) << r.error;
    const double seconds = static_cast<double>(r.samples.size()) / 8000;
    EXPECT_GT(seconds, 0.2);
    EXPECT_LT(seconds, 3.0);
    EXPECT_GT(rmsDbfs(r.samples), -35.0);
}

TEST(SpeechSynthesis, SpeedChangesTheLength) {
    SpeechRequest slow = request("one two three four five six", "en", 8000);
    slow.wordsPerMinute = kMinSpeechWordsPerMinute;
    SpeechRequest fast = slow;
    fast.wordsPerMinute = kMaxSpeechWordsPerMinute;
    const SpeechResult a = synthesizeSpeech(slow);
    const SpeechResult b = synthesizeSpeech(fast);
    ASSERT_TRUE(a.ok && b.ok) << a.error << b.error;
    EXPECT_GT(a.samples.size(), 2 * b.samples.size());
}

TEST(SpeechSynthesis, ConcurrentCallsAreSerialised) {
    SpeechResult a, b;
    std::thread t1([&] { a = synthesizeSpeech(request("one", "en")); });
    std::thread t2([&] { b = synthesizeSpeech(request("два", "ru")); });
    t1.join();
    t2.join();
    EXPECT_TRUE(a.ok) << a.error;
    EXPECT_TRUE(b.ok) << b.error;
    EXPECT_EQ(a.voiceIdentifier, "gmw/en");
    EXPECT_EQ(b.voiceIdentifier, "zle/ru");
}

TEST(SpeechSynthesis, LongSpeechIsStoppedAndTheNextOneWorks) {
    SpeechRequest r = request("This sentence is certainly longer than one second of speech.", "en");
    r.maxSeconds = 1;
    const SpeechResult stopped = synthesizeSpeech(r);
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.failure, SpeechFailure::OutputTooLong);
    EXPECT_NE(stopped.error.find("longer than 1 second;"), std::string::npos) << stopped.error;
    EXPECT_TRUE(stopped.samples.empty());

    const SpeechResult next = synthesizeSpeech(request("yes", "en"));
    ASSERT_TRUE(next.ok) << next.error;
    EXPECT_LT(static_cast<double>(next.samples.size()) / 16000, 3.0);
}

TEST(SpeechSynthesis, RefusalsSayWhy) {
    struct Case {
        SpeechRequest request;
        SpeechFailure failure;
        const char* mentions;
    };
    SpeechRequest slow = request("hi", "en"), highPitch = request("hi", "en");
    slow.wordsPerMinute = 79;
    highPitch.pitch = 101;
    const Case cases[] = {
        {request("", "en"), SpeechFailure::EmptyText, "no text"},
        {request(" \t\n\xC2\xA0", "en"), SpeechFailure::EmptyText, "no text"},
        {request("...", "en"), SpeechFailure::EmptyText, "nothing that can be spoken"},
        {request("ab\xFF", "en"), SpeechFailure::BadText, "UTF-8"},
        {request("\xC0\xAF", "en"), SpeechFailure::BadText, "UTF-8"},  // overlong '/'
        {request(std::string("a\0b", 3), "en"), SpeechFailure::BadText, "NUL"},
        {request(std::string(kMaxSpeechTextChars + 1, 'a'), "en"), SpeechFailure::TextTooLong,
         "2001 characters"},
        {request("hi", "xx-nowhere"), SpeechFailure::NoVoice, "\"xx-nowhere\""},
        {request("hi", "en", 11025), SpeechFailure::BadSetting, "4000, 6000"},
        {request("hi", "en", 24000), SpeechFailure::BadSetting, "24000 Hz"},
        {slow, SpeechFailure::BadSetting, "80 to 450"},
        {highPitch, SpeechFailure::BadSetting, "0 to 100"},
    };
    for (const Case& c : cases) {
        const SpeechResult r = synthesizeSpeech(c.request);
        EXPECT_FALSE(r.ok) << c.mentions;
        EXPECT_EQ(r.failure, c.failure) << c.mentions;
        EXPECT_NE(r.error.find(c.mentions), std::string::npos) << r.error;
        EXPECT_TRUE(r.samples.empty());
    }
    // 2000 Cyrillic letters are 4000 bytes but within the limit.
    std::string longest;
    for (std::size_t i = 0; i < kMaxSpeechTextChars; ++i) longest += "ж";
    std::size_t count = 0;
    ASSERT_TRUE(countUtf8Characters(longest, count));
    EXPECT_EQ(count, kMaxSpeechTextChars);
}

// ---------------------------------------------------------------- resampling

TEST(Resample, KeepsToneAndLengthAndFiltersAliases) {
    const auto tone = sine(22050, 1.0, 1000, 0.5);
    std::vector<std::int16_t> out;
    std::string error;
    ASSERT_TRUE(resampleMono16(tone, 22050, 8000, out, error)) << error;
    EXPECT_NEAR(static_cast<double>(out.size()), 8000.0, 2.0);
    EXPECT_NEAR(rmsDbfs(out), rmsDbfs(tone), 0.5);
    // 1000 Hz over one second: 2000 sign changes (away from the filter's edges).
    int crossings = 0;
    for (std::size_t i = 101; i + 100 < out.size(); ++i) {
        crossings += (out[i - 1] < 0) != (out[i] < 0);
    }
    EXPECT_NEAR(crossings, 2000 * (out.size() - 201) / 8000.0, 4);

    // 6000 Hz is above the new Nyquist frequency: it must be filtered out,
    // not folded down to 2000 Hz.
    const auto high = sine(22050, 0.5, 6000, 0.5);
    ASSERT_TRUE(resampleMono16(high, 22050, 8000, out, error)) << error;
    EXPECT_LT(rmsDbfs(out), rmsDbfs(high) - 40.0);

    EXPECT_FALSE(resampleMono16(tone, 0, 8000, out, error));
    EXPECT_NE(error.find("0 Hz"), std::string::npos);
    EXPECT_TRUE(out.empty());
}

// ---------------------------------------------------------------- file names

TEST(SpeechFileName, UnsafeCharactersBecomeBlanks) {
    using namespace std::string_literals;
    const std::set<std::string> none;
    EXPECT_EQ(suggestSpeechFileName("Hello, world!", none), "Hello, world!.wav");
    EXPECT_EQ(suggestSpeechFileName("a/b\\c", none), "a b c.wav");
    EXPECT_EQ(suggestSpeechFileName("  x <>:\"|?* y  ", none), "x y.wav");
    EXPECT_EQ(suggestSpeechFileName("nul\0byte\x01\x7f"s, none), "nul byte.wav");
    EXPECT_EQ(suggestSpeechFileName("line\nbreak\ttab", none), "line break tab.wav");
    EXPECT_EQ(suggestSpeechFileName("..hidden", none), "hidden.wav");
    EXPECT_EQ(suggestSpeechFileName(". . end...", none), "end.wav");
    EXPECT_EQ(suggestSpeechFileName("bad\xFF\xFEutf", none), "bad utf.wav");
    EXPECT_EQ(suggestSpeechFileName("evil\xE2\x80\xAEvaw.exe", none), "evil vaw.exe.wav");
    EXPECT_EQ(suggestSpeechFileName("Привет, мир", none), "Привет, мир.wav");
    EXPECT_EQ(suggestSpeechFileName("", none), "speech.wav");
    EXPECT_EQ(suggestSpeechFileName("/ . /", none), "speech.wav");
    EXPECT_EQ(suggestSpeechFileName("CON", none), "CON_.wav");
    EXPECT_EQ(suggestSpeechFileName("com1", none), "com1_.wav");
    EXPECT_EQ(suggestSpeechFileName("console", none), "console.wav");
}

TEST(SpeechFileName, CutAtACharacterBoundary) {
    const std::set<std::string> none;
    std::string cyrillic;
    for (int i = 0; i < 40; ++i) cyrillic += "ж";  // 80 bytes
    const std::string name = suggestSpeechFileName(cyrillic, none);
    std::size_t chars = 0;
    EXPECT_TRUE(countUtf8Characters(name, chars));
    EXPECT_LE(name.size(), kMaxSuggestedNameBytes);
    EXPECT_EQ(name.size(), 60u);  // 28 letters fill the 56 bytes before ".wav"
    EXPECT_TRUE(name.ends_with(".wav"));

    // An odd start leaves room for 27 letters only (55 bytes).
    const std::string odd = suggestSpeechFileName("a" + cyrillic, none);
    EXPECT_TRUE(countUtf8Characters(odd, chars));
    EXPECT_EQ(odd.size(), 59u);
    EXPECT_EQ(chars, 1 + 27 + 4u);

    // A cut that ends in a blank or a dot drops it.
    const std::string spaced = std::string(55, 'x') + " y";
    EXPECT_EQ(suggestSpeechFileName(spaced, none), std::string(55, 'x') + ".wav");
}

TEST(SpeechFileName, CollisionsGetANumber) {
    EXPECT_EQ(suggestSpeechFileName("hello", {"hello.wav"}), "hello-2.wav");
    EXPECT_EQ(suggestSpeechFileName("hello", {"HELLO.WAV", "hello-2.wav"}), "hello-3.wav");
    EXPECT_EQ(suggestSpeechFileName("hello", {"hello-2.wav"}), "hello.wav");
    EXPECT_EQ(suggestSpeechFileName("", {"speech.wav"}), "speech-2.wav");

    // A long name shrinks to make room for its number.
    const std::string longText(70, 'x');
    std::set<std::string> taken;
    for (int i = 0; i < 12; ++i) {
        const std::string name = suggestSpeechFileName(longText, taken);
        EXPECT_LE(name.size(), kMaxSuggestedNameBytes) << name;
        EXPECT_EQ(taken.count(name), 0u) << name;
        taken.insert(name);
    }
    EXPECT_EQ(taken.count(std::string(53, 'x') + "-12.wav"), 1u);
}

}  // namespace
}  // namespace zadaravod
