#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zadaravod {

// Text to speech with the espeak-ng library, in-process. The library keeps
// one process-wide state: every function here takes one lock around it and
// starts the library on first use, so the functions may be called from any
// thread.

/// One voice the synthesizer offers.
struct SpeechVoice {
    std::string name;        ///< "Russian", "English (Great Britain)"
    std::string language;    ///< its preferred language code: "ru", "en-gb"
    std::string identifier;  ///< the voice file: "zle/ru", "gmw/en"
};

/// The longest text spoken at once, in characters (Unicode code points).
inline constexpr std::size_t kMaxSpeechTextChars = 2000;
/// The longest speech produced at once, in seconds.
inline constexpr int kMaxSpeechSeconds = 300;
/// Speaking speeds the synthesizer accepts, in words per minute.
inline constexpr int kMinSpeechWordsPerMinute = 80;
inline constexpr int kMaxSpeechWordsPerMinute = 450;
inline constexpr int kDefaultSpeechWordsPerMinute = 175;
/// Base pitch, 0..100; 50 is the voice's normal pitch.
inline constexpr int kDefaultSpeechPitch = 50;

/// Lists the voices, Russian ones first, then English ones (each group with
/// the plain language before its regional variants), then the rest in the
/// library's order. Returns false with a reason in `error` when the
/// synthesizer or its voice data cannot be started.
bool listSpeechVoices(std::vector<SpeechVoice>& voices, std::string& error);

/// What to say and how.
struct SpeechRequest {
    std::string text;  ///< UTF-8; at most kMaxSpeechTextChars characters
    /// A voice identifier ("zle/ru"), name ("Russian", any letter case) or
    /// language code ("ru", "en-us"; "en" takes the first listed regional
    /// English voice); empty takes the first listed voice.
    std::string voice;
    int wordsPerMinute = kDefaultSpeechWordsPerMinute;  ///< 80..450
    int pitch = kDefaultSpeechPitch;                    ///< 0..100
    int sampleRate = 16000;                             ///< the output rate: one of kSupportedRates
    /// The longest speech accepted, in seconds; 0 or less, or anything above
    /// kMaxSpeechSeconds means kMaxSpeechSeconds.
    int maxSeconds = kMaxSpeechSeconds;
};

/// Why a synthesis was refused or failed.
enum class SpeechFailure {
    None,
    EmptyText,      ///< nothing but blanks
    BadText,        ///< not valid UTF-8, or holds a NUL character
    TextTooLong,    ///< more than kMaxSpeechTextChars characters
    NoVoice,        ///< the voice is unknown
    BadSetting,     ///< speed, pitch or rate out of range
    OutputTooLong,  ///< the speech would last longer than the request's maxSeconds
    Unavailable,    ///< the synthesizer or its data cannot be started
    SynthesisFailed,
};

/// The outcome of a synthesis.
struct SpeechResult {
    bool ok = false;
    SpeechFailure failure = SpeechFailure::None;
    std::string error;                  ///< what went wrong and what to do; empty on success
    std::vector<std::int16_t> samples;  ///< 16-bit mono at sampleRate
    int sampleRate = 0;                 ///< Hz; the request's rate
    std::string voiceIdentifier;        ///< the voice that spoke
};

/// Speaks `request.text` with the chosen voice, speed and pitch into 16-bit
/// mono samples at the synthesizer's native rate and resamples them with the
/// soxr resampler to `request.sampleRate`. The output starts and ends as the
/// synthesizer delivers it (no trimming, no added pause at the end).
SpeechResult synthesizeSpeech(const SpeechRequest& request);

/// The longest file name suggestSpeechFileName returns, in bytes of UTF-8.
inline constexpr std::size_t kMaxSuggestedNameBytes = 60;

/// A WAV file name made from `text`: characters that a Linux or Windows file
/// system refuses or treats specially ('/', '\\', NUL, control characters,
/// <>:"|?*, invalid UTF-8) become blanks, runs of blanks one blank, leading
/// blanks and dots and trailing blanks and dots go; the result is cut at a
/// character boundary to at most kMaxSuggestedNameBytes bytes including
/// ".wav". A text with nothing usable gives "speech.wav", a Windows device
/// name ("con", "nul", "com1", ...) gets a "_". When the name is in `taken`
/// (compared without regard to ASCII letter case), "-2", "-3", ... is added
/// before ".wav" until it is free.
std::string suggestSpeechFileName(std::string_view text, const std::set<std::string>& taken);

}  // namespace zadaravod
