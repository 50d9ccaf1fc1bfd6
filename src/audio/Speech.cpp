#include "audio/Speech.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <array>
#include <mutex>

#include "audio/Resample.h"
#include "audio/Utf8Text.h"
#include "model/SamplingRates.h"

namespace zadaravod {

namespace {

// ---------------------------------------------------------------- the engine

/// The library's process-wide state as this file knows it. Guarded by
/// engineMutex(), like every call into the library.
struct Engine {
    bool tried = false;
    bool ready = false;
    std::string error;  ///< why the start failed
    int nativeRate = 0;
    std::vector<SpeechVoice> voices;  ///< in listing order
};

std::mutex& engineMutex() {
    static std::mutex m;
    return m;
}

Engine& engine() {
    static Engine e;
    return e;
}

/// Where the synthesis callback puts the samples of the running synthesis.
struct Collector {
    std::vector<std::int16_t> samples;
    std::size_t limit = 0;  ///< samples at the native rate
    bool overflow = false;
};
Collector* activeCollector = nullptr;  // guarded by engineMutex()

/// The library's synthesis callback (runs inside espeak_ng_Synthesize, so
/// under the lock). Returns 1 to stop the synthesis when the limit is hit.
int collectSamples(short* wav, int count, espeak_EVENT* /*events*/) {
    Collector* c = activeCollector;
    if (c == nullptr || wav == nullptr || count <= 0) return 0;
    const auto n = static_cast<std::size_t>(count);
    if (c->samples.size() + n > c->limit) {
        c->overflow = true;
        return 1;
    }
    c->samples.insert(c->samples.end(), wav, wav + n);
    return 0;
}

std::string statusText(espeak_ng_STATUS status) {
    std::array<char, 512> buf{};
    espeak_ng_GetStatusCodeMessage(status, buf.data(), buf.size());
    return buf.data();
}

bool hasLanguage(const std::string& language, std::string_view code) {
    return language == code || (language.size() > code.size() && language.starts_with(code) &&
                                language[code.size()] == '-');
}

/// 0 for Russian voices, 1 for English ones, 2 for the rest.
int languageGroup(const SpeechVoice& v) {
    if (hasLanguage(v.language, "ru")) return 0;
    if (hasLanguage(v.language, "en")) return 1;
    return 2;
}

std::vector<SpeechVoice> readVoices() {
    std::vector<SpeechVoice> voices;
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (std::size_t i = 0; list != nullptr && list[i] != nullptr; ++i) {
        const espeak_VOICE* v = list[i];
        SpeechVoice out;
        out.name = v->name != nullptr ? v->name : "";
        // The language list is pairs of a priority byte and a string; the
        // first string is the voice's preferred language.
        if (v->languages != nullptr && v->languages[0] != '\0') out.language = v->languages + 1;
        out.identifier = v->identifier != nullptr ? v->identifier : "";
        if (!out.identifier.empty()) voices.push_back(std::move(out));
    }
    std::stable_sort(voices.begin(), voices.end(), [](const SpeechVoice& a, const SpeechVoice& b) {
        const int ga = languageGroup(a), gb = languageGroup(b);
        if (ga != gb) return ga < gb;
        if (ga == 2) return false;  // the rest keep the library's order
        return a.language.size() < b.language.size();
    });
    return voices;
}

/// Starts the library on first use; the caller holds the lock.
bool startEngine(Engine& e) {
    if (e.tried) return e.ready;
    e.tried = true;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status == ENS_OK)
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK) {
        e.error = "The speech synthesizer cannot start (" + statusText(status) +
                  "); check that the espeak-ng-data package is installed";
        return false;
    }
    e.nativeRate = espeak_ng_GetSampleRate();
    if (e.nativeRate <= 0) {
        e.error = "The speech synthesizer reports no sampling rate";
        return false;
    }
    espeak_SetSynthCallback(collectSamples);
    e.voices = readVoices();
    if (e.voices.empty()) {
        e.error =
            "The speech synthesizer has no voices; check that the espeak-ng-data package is "
            "installed";
        return false;
    }
    e.ready = true;
    return true;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

/// The voice `wanted` names: an identifier, then a name, then a language,
/// then a language's regional voice (each without regard to ASCII letter
/// case); empty takes the first voice.
const SpeechVoice* findVoice(const std::vector<SpeechVoice>& voices, const std::string& wanted) {
    if (voices.empty()) return nullptr;
    if (wanted.empty()) return &voices.front();
    const std::string key = lowerAscii(wanted);
    for (auto field : {&SpeechVoice::identifier, &SpeechVoice::name, &SpeechVoice::language}) {
        for (const SpeechVoice& v : voices) {
            if (lowerAscii(v.*field) == key) return &v;
        }
    }
    // A language without its region ("en" for "en-gb"): the first regional voice.
    for (const SpeechVoice& v : voices) {
        if (hasLanguage(lowerAscii(v.language), key)) return &v;
    }
    return nullptr;
}

SpeechResult refused(SpeechFailure failure, std::string error) {
    SpeechResult r;
    r.failure = failure;
    r.error = std::move(error);
    return r;
}

/// "1 second", "90 seconds", "5 minutes".
std::string durationText(std::size_t seconds) {
    if (seconds >= 60 && seconds % 60 == 0) {
        const std::size_t minutes = seconds / 60;
        return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
    }
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

std::string rateList() {
    std::string text;
    for (int r : kSupportedRates) text += (text.empty() ? "" : ", ") + std::to_string(r);
    return text;
}

}  // namespace

// ---------------------------------------------------------------- public

bool listSpeechVoices(std::vector<SpeechVoice>& voices, std::string& error) {
    std::lock_guard lock(engineMutex());
    Engine& e = engine();
    if (!startEngine(e)) {
        error = e.error;
        voices.clear();
        return false;
    }
    voices = e.voices;
    return true;
}

SpeechResult synthesizeSpeech(const SpeechRequest& request) {
    std::size_t chars = 0;
    if (!countUtf8Characters(request.text, chars)) {
        return refused(SpeechFailure::BadText,
                       "The text is not valid UTF-8 or holds a NUL character; type it again or "
                       "paste it as plain text");
    }
    if (isBlankUtf8(request.text)) {
        return refused(SpeechFailure::EmptyText,
                       "There is no text to speak; type a word or a "
                       "sentence");
    }
    if (chars > kMaxSpeechTextChars) {
        return refused(SpeechFailure::TextTooLong,
                       "The text is too long to speak at once (" + std::to_string(chars) +
                           " characters, at most " + std::to_string(kMaxSpeechTextChars) +
                           "); split it into several sounds");
    }
    if (!isSupportedRate(request.sampleRate)) {
        return refused(SpeechFailure::BadSetting,
                       "The sampling rate " + std::to_string(request.sampleRate) +
                           " Hz cannot be used; choose one of " + rateList() + " Hz");
    }
    if (request.wordsPerMinute < kMinSpeechWordsPerMinute ||
        request.wordsPerMinute > kMaxSpeechWordsPerMinute) {
        return refused(SpeechFailure::BadSetting,
                       "The speed " + std::to_string(request.wordsPerMinute) +
                           " words per minute cannot be used; choose " +
                           std::to_string(kMinSpeechWordsPerMinute) + " to " +
                           std::to_string(kMaxSpeechWordsPerMinute));
    }
    if (request.pitch < 0 || request.pitch > 100) {
        return refused(SpeechFailure::BadSetting, "The pitch " + std::to_string(request.pitch) +
                                                      " cannot be used; choose 0 to 100");
    }

    Collector collector;
    int nativeRate = 0;
    std::string identifier;
    {
        std::lock_guard lock(engineMutex());
        Engine& e = engine();
        if (!startEngine(e)) return refused(SpeechFailure::Unavailable, e.error);
        const SpeechVoice* voice = findVoice(e.voices, request.voice);
        if (voice == nullptr || espeak_ng_SetVoiceByName(voice->identifier.c_str()) != ENS_OK) {
            return refused(SpeechFailure::NoVoice,
                           "There is no voice \"" + request.voice +
                               "\"; choose one of the listed voices, for example \"ru\" or "
                               "\"en\"");
        }
        identifier = voice->identifier;
        // The voice sets its own defaults, so speed and pitch come after it.
        espeak_ng_STATUS status = espeak_ng_SetParameter(espeakRATE, request.wordsPerMinute, 0);
        if (status == ENS_OK) status = espeak_ng_SetParameter(espeakPITCH, request.pitch, 0);
        if (status != ENS_OK) {
            return refused(SpeechFailure::SynthesisFailed,
                           "The speech settings are refused (" + statusText(status) + ")");
        }
        nativeRate = e.nativeRate;
        collector.limit = static_cast<std::size_t>(nativeRate) * kMaxSpeechSeconds;
        if (request.maxSeconds > 0 && request.maxSeconds < kMaxSpeechSeconds) {
            collector.limit =
                static_cast<std::size_t>(nativeRate) * static_cast<std::size_t>(request.maxSeconds);
        }
        activeCollector = &collector;
        status = espeak_ng_Synthesize(request.text.c_str(), request.text.size() + 1, 0,
                                      POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
        activeCollector = nullptr;
        if (collector.overflow) {
            // Drops what the stopped synthesis still holds, so the next one starts clean.
            espeak_ng_Cancel();
            const std::size_t seconds = collector.limit / static_cast<std::size_t>(nativeRate);
            return refused(SpeechFailure::OutputTooLong,
                           "The speech would last longer than " + durationText(seconds) +
                               "; split the text into several sounds");
        }
        if (status != ENS_OK) {
            return refused(SpeechFailure::SynthesisFailed,
                           "The speech synthesis failed (" + statusText(status) + ")");
        }
    }

    const bool audible = std::any_of(collector.samples.begin(), collector.samples.end(),
                                     [](std::int16_t s) { return s != 0; });
    if (!audible) {
        return refused(SpeechFailure::EmptyText,
                       "The text holds nothing that can be spoken; write it with letters or "
                       "digits");
    }
    SpeechResult result;
    std::string error;
    if (!resampleMono16(collector.samples, nativeRate, request.sampleRate, result.samples, error)) {
        return refused(SpeechFailure::SynthesisFailed, "The speech cannot be resampled: " + error);
    }
    result.ok = true;
    result.sampleRate = request.sampleRate;
    result.voiceIdentifier = identifier;
    return result;
}

}  // namespace zadaravod
