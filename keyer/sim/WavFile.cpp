#include "keyer/sim/WavFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

void put(std::string &out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string header(int rate, uint64_t samples)
{
    const auto data = static_cast<uint32_t>(std::min<uint64_t>(samples * 2, 0xFFFFFFF0u));
    std::string h = "RIFF";
    put(h, 36 + data, 4);
    h += "WAVEfmt ";
    put(h, 16, 4);
    put(h, 1, 2);  // PCM
    put(h, 1, 2);  // mono
    put(h, static_cast<uint32_t>(rate), 4);
    put(h, static_cast<uint32_t>(rate) * 2, 4);
    put(h, 2, 2);
    put(h, 16, 2);
    h += "data";
    put(h, data, 4);
    return h;
}

} // namespace

WavFile::~WavFile() { close(); }

std::string WavFile::open(const std::string &path, int sampleRate)
{
    close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return std::strerror(errno);
    rate_ = sampleRate;
    samples_ = sinceLengths_ = 0;
    const std::string h = header(rate_, 0);
    std::fwrite(h.data(), 1, h.size(), file_);
    return {};
}

void WavFile::write(const float *samples, size_t count)
{
    if (!file_)
        return;
    std::vector<char> bytes(count * 2);
    for (size_t i = 0; i < count; ++i) {
        const auto v = static_cast<int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767));
        bytes[2 * i] = static_cast<char>(v & 0xFF);
        bytes[2 * i + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    samples_ += count;
    sinceLengths_ += count;
    if (sinceLengths_ >= static_cast<uint64_t>(rate_)) {
        writeLengths();
        sinceLengths_ = 0;
    }
}

void WavFile::writeLengths()
{
    const std::string h = header(rate_, samples_);
    std::fseek(file_, 0, SEEK_SET);
    std::fwrite(h.data(), 1, h.size(), file_);
    std::fseek(file_, 0, SEEK_END);
    std::fflush(file_);
}

void WavFile::close()
{
    if (!file_)
        return;
    writeLengths();
    std::fclose(file_);
    file_ = nullptr;
}
