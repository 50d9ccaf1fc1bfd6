#include "format/WavFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "format/ByteOrder.h"
#include "io/AtomicFile.h"

namespace zadaravod {

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

bool findWavChunks(const ByteReader& read, std::uint64_t size, WavHeader& out, std::string& error) {
    std::uint8_t head[12];
    if (size < 12 || !read(0, head, 12) || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    bool haveFormat = false;
    std::uint64_t pos = 12;
    while (pos + 8 <= size) {
        std::uint8_t chunk[8];
        if (!read(pos, chunk, 8)) break;
        const std::uint32_t chunkSize = le::get32(chunk + 4);
        const std::uint64_t body = pos + 8;
        const std::uint64_t left = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || chunkSize > left) {
                error = "the format chunk at offset " + std::to_string(pos) + " is truncated";
                return false;
            }
            std::uint8_t fmt[40] = {};
            const std::size_t n = chunkSize >= 40 ? 40 : 16;
            if (!read(body, fmt, n)) {
                error = "the format chunk at offset " + std::to_string(pos) + " cannot be read";
                return false;
            }
            out.formatTag = le::get16(fmt);
            out.channels = le::get16(fmt + 2);
            out.sampleRate = static_cast<int>(le::get32(fmt + 4));
            out.byteRate = le::get32(fmt + 8);
            out.blockAlign = le::get16(fmt + 12);
            out.bitsPerSample = le::get16(fmt + 14);
            // WAVE_FORMAT_EXTENSIBLE: the sub-format names the samples.
            if (out.formatTag == 0xFFFE && n == 40) out.formatTag = le::get16(fmt + 24);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "the data chunk comes before the format chunk";
                return false;
            }
            out.dataOffset = body;
            out.dataBytes = chunkSize > left ? left : chunkSize;
            return true;
        }
        // Chunks are padded to an even size.
        pos = body + chunkSize + (chunkSize & 1U);
    }
    error = haveFormat ? "the file has no data chunk" : "the file has no format chunk";
    return false;
}

bool readWavHeader(const std::filesystem::path& path, WavHeader& out, std::string& error) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream file(path, std::ios::binary);
    if (ec || !file) {
        error = path.string() + ": cannot be read";
        return false;
    }
    const ByteReader read = [&](std::uint64_t offset, std::uint8_t* to, std::size_t n) {
        file.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(
            file.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(n)));
    };
    if (!findWavChunks(read, size, out, error)) {
        error = path.string() + ": " + error;
        return false;
    }
    return true;
}

bool parseWav(const std::string& b, WavData& out, std::string& error) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(b.data());
    const ByteReader read = [&](std::uint64_t offset, std::uint8_t* to, std::size_t n) {
        if (offset + n > b.size()) return false;
        std::memcpy(to, bytes + offset, n);
        return true;
    };
    WavHeader h;
    if (!findWavChunks(read, b.size(), h, error)) return false;
    if (h.formatTag != 1) {
        error = "the samples are compressed (format tag " + std::to_string(h.formatTag) +
                "); only PCM WAV files can be used";
        return false;
    }
    if (h.channels != 1 && h.channels != 2) {
        error = "the file has " + std::to_string(h.channels) +
                " channels; only mono and stereo are supported";
        return false;
    }
    if (h.bitsPerSample != 8 && h.bitsPerSample != 16) {
        error = "the file has " + std::to_string(h.bitsPerSample) +
                " bits per sample; only 8 and 16 are supported";
        return false;
    }
    if (h.sampleRate <= 0) {
        error = "the sampling rate in the header is 0";
        return false;
    }
    out.channels = h.channels;
    out.sampleRate = h.sampleRate;
    out.bitsPerSample = h.bitsPerSample;
    const std::size_t bytesPerSample = static_cast<std::size_t>(h.bitsPerSample / 8);
    const std::size_t frameBytes = bytesPerSample * static_cast<std::size_t>(h.channels);
    const std::size_t count = static_cast<std::size_t>(h.dataBytes - h.dataBytes % frameBytes);
    const std::uint8_t* data = bytes + h.dataOffset;
    out.samples.resize(count / bytesPerSample);
    for (std::size_t i = 0; i < out.samples.size(); ++i) {
        out.samples[i] = bytesPerSample == 1 ? static_cast<std::int16_t>((data[i] - 128) * 256)
                                             : static_cast<std::int16_t>(le::get16(data + 2 * i));
    }
    return true;
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
    std::array<std::uint8_t, 44> h{};
    std::memcpy(h.data(), "RIFF", 4);
    le::put32(h.data() + 4, 36 + dataBytes);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    le::put32(h.data() + 16, 16);
    le::put16(h.data() + 20, 1);
    le::put16(h.data() + 22, static_cast<std::uint16_t>(channels));
    le::put32(h.data() + 24, static_cast<std::uint32_t>(sampleRate));
    le::put32(h.data() + 28, static_cast<std::uint32_t>(sampleRate * channels * 2));
    le::put16(h.data() + 32, static_cast<std::uint16_t>(channels * 2));
    le::put16(h.data() + 34, 16);
    std::memcpy(h.data() + 36, "data", 4);
    le::put32(h.data() + 40, dataBytes);
    return h;
}

std::vector<std::uint8_t> makeWav16(const std::vector<std::int16_t>& interleaved, int sampleRate,
                                    int channels) {
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    const auto header = wavHeader16(sampleRate, channels, dataBytes);
    std::vector<std::uint8_t> v(header.begin(), header.end());
    v.reserve(44 + dataBytes);
    for (std::int16_t s : interleaved) le::append16(v, static_cast<std::uint16_t>(s));
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
    for (std::size_t i = 0; i < count; ++i)
        le::append16(buffer_, static_cast<std::uint16_t>(samples[i]));
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
