#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The practice stream as a WAV file (16-bit mono PCM), for listening later or looking at
// its spectrum. Its lengths are brought up to date every second, so the file reads
// whole even when the program is stopped hard.
class WavFile {
public:
    WavFile() = default;
    ~WavFile();
    WavFile(const WavFile &) = delete;
    WavFile &operator=(const WavFile &) = delete;

    // Empty on success, else what failed.
    std::string open(const std::string &path, int sampleRate);
    void write(const float *samples, size_t count);
    void close();
    bool isOpen() const { return file_ != nullptr; }

private:
    void writeLengths();

    std::FILE *file_ = nullptr;
    int rate_ = 0;
    uint64_t samples_ = 0;
    uint64_t sinceLengths_ = 0;
};
