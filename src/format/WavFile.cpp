#include "format/WavFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "io/AtomicFile.h"

namespace zadaravod {

namespace {

std::uint32_t le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t le16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}
void put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}

}  // namespace

std::vector<std::int16_t> WavData::mono() const {
    if (channels <= 1) return samples;
    std::vector<std::int16_t> out;
    const std::size_t frames = frameCount();
    out.reserve(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        const int l = samples[f * static_cast<std::size_t>(channels)];
        const int r = samples[f * static_cast<std::size_t>(channels) + 1];
        out.push_back(static_cast<std::int16_t>((l + r) / 2));
    }
    return out;
}

bool parseWav(const std::string& b, WavData& out, std::string& error) {
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    bool haveFormat = false;
    std::size_t pos = 12;
    int format = 0;
    while (pos + 8 <= b.size()) {
        const std::string id = b.substr(pos, 4);
        const std::uint32_t size = le32(b, pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t left = b.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > left) {
                error = "the format chunk at offset " + std::to_string(pos) + " is truncated";
                return false;
            }
            format = le16(b, body);
            out.channels = le16(b, body + 2);
            out.sampleRate = static_cast<int>(le32(b, body + 4));
            out.bitsPerSample = le16(b, body + 14);
            if (format == 0xFFFE && size >= 40) {
                format = le16(b, body + 24);  // WAVE_FORMAT_EXTENSIBLE sub-format
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                error = "the data chunk comes before the format chunk";
                return false;
            }
            if (format != 1) {
                error = "the samples are compressed (format tag " + std::to_string(format) +
                        "); only PCM WAV files can be used";
                return false;
            }
            if (out.channels != 1 && out.channels != 2) {
                error = "the file has " + std::to_string(out.channels) +
                        " channels; only mono and stereo are supported";
                return false;
            }
            if (out.bitsPerSample != 8 && out.bitsPerSample != 16) {
                error = "the file has " + std::to_string(out.bitsPerSample) +
                        " bits per sample; only 8 and 16 are supported";
                return false;
            }
            if (out.sampleRate <= 0) {
                error = "the sampling rate in the header is 0";
                return false;
            }
            // A data size larger than the file is common in streamed WAVs:
            // take what is there rather than refusing the file.
            std::size_t bytes = size > left ? left : size;
            const std::size_t bytesPerSample = static_cast<std::size_t>(out.bitsPerSample / 8);
            const std::size_t frameBytes = bytesPerSample * static_cast<std::size_t>(out.channels);
            bytes -= bytes % frameBytes;
            out.samples.resize(bytes / bytesPerSample);
            for (std::size_t i = 0; i < out.samples.size(); ++i) {
                if (bytesPerSample == 1) {
                    const int u = static_cast<unsigned char>(b[body + i]);
                    out.samples[i] = static_cast<std::int16_t>((u - 128) * 256);
                } else {
                    out.samples[i] = static_cast<std::int16_t>(le16(b, body + 2 * i));
                }
            }
            return true;
        }
        // Chunks are padded to an even size.
        const std::uint64_t next = static_cast<std::uint64_t>(body) + size + (size & 1U);
        if (next > b.size()) break;
        pos = static_cast<std::size_t>(next);
    }
    error = haveFormat ? "the file has no data chunk" : "the file has no format chunk";
    return false;
}

bool readWav(const std::filesystem::path& path, WavData& out, std::string& error) {
    std::string bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    if (!parseWav(bytes, out, error)) {
        error = path.string() + ": " + error;
        return false;
    }
    return true;
}

std::array<std::uint8_t, 44> wavHeader16(int sampleRate, int channels, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> v;
    v.reserve(44);
    v.insert(v.end(), {'R', 'I', 'F', 'F'});
    put32(v, 36 + dataBytes);
    v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(v, 16);
    put16(v, 1);
    put16(v, static_cast<std::uint16_t>(channels));
    put32(v, static_cast<std::uint32_t>(sampleRate));
    put32(v, static_cast<std::uint32_t>(sampleRate * channels * 2));
    put16(v, static_cast<std::uint16_t>(channels * 2));
    put16(v, 16);
    v.insert(v.end(), {'d', 'a', 't', 'a'});
    put32(v, dataBytes);
    std::array<std::uint8_t, 44> header{};
    std::copy(v.begin(), v.end(), header.begin());
    return header;
}

std::vector<std::uint8_t> makeWav16(const std::vector<std::int16_t>& interleaved, int sampleRate,
                                    int channels) {
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    const auto header = wavHeader16(sampleRate, channels, dataBytes);
    std::vector<std::uint8_t> v(header.begin(), header.end());
    v.reserve(44 + dataBytes);
    for (std::int16_t s : interleaved) put16(v, static_cast<std::uint16_t>(s));
    return v;
}

std::string writeWav16(const std::filesystem::path& path,
                       const std::vector<std::int16_t>& interleaved, int sampleRate, int channels) {
    return writeFileAtomically(path, makeWav16(interleaved, sampleRate, channels));
}

WavWriter::WavWriter(const std::filesystem::path& path, int sampleRate)
    : pending_(path), rate_(sampleRate) {
    error_ = pending_.error();
    if (!error_.empty()) return;
    file_.open(pending_.temporaryPath(), std::ios::binary | std::ios::trunc);
    const auto h = wavHeader16(rate_, 1, 0);
    file_.write(reinterpret_cast<const char*>(h.data()), h.size());
    if (!file_) error_ = "Cannot write " + path.string();
}

bool WavWriter::write(const std::int16_t* samples, std::size_t count) {
    constexpr std::uint64_t kMaxData = std::numeric_limits<std::uint32_t>::max() - 36;
    if (!error_.empty()) return false;
    if ((written_ + count) * 2 > kMaxData) {
        error_ = pending_.targetPath().string() + ": too long for a WAV file (4 GiB at most)";
        return false;
    }
    buffer_.clear();
    buffer_.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) put16(buffer_, static_cast<std::uint16_t>(samples[i]));
    file_.write(reinterpret_cast<const char*>(buffer_.data()),
                static_cast<std::streamsize>(buffer_.size()));
    if (!file_) {
        error_ = pending_.targetPath().string() + ": cannot be written (disk full?)";
        return false;
    }
    written_ += count;
    return true;
}

std::string WavWriter::finish() {
    if (!error_.empty()) return error_;
    const auto h = wavHeader16(rate_, 1, static_cast<std::uint32_t>(written_ * 2));
    file_.seekp(0);
    file_.write(reinterpret_cast<const char*>(h.data()), h.size());
    file_.flush();
    const bool good = file_.good();
    file_.close();
    if (!good || file_.fail()) {
        return pending_.targetPath().string() + ": cannot be written (disk full?)";
    }
    return pending_.commit();
}

}  // namespace zadaravod
