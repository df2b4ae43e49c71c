#include "keyer/sim/SoundCard.h"

#include "keyer/sim/PracticeStation.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr int BlockMs = 5;
constexpr int BufferMs = 30;  // what the card holds ahead: the sidetone's delay

QAudioFormat wantedFormat(const QAudioDevice &device)
{
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(format))
        return format;
    format = device.preferredFormat();
    if (format.sampleFormat() != QAudioFormat::Float)
        format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

// Qt's sound back end says why it found no server, or lost it, in its own words and more
// than once; the operator is told once, in ours.
void quietly(const std::function<void()> &probe)
{
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    probe();
    qInstallMessageHandler(previous);
}

void onlyFailures(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int SoundCard::probeSampleRate(std::string *why)
{
    QAudioDevice device;
    quietly([&] { device = QMediaDevices::defaultAudioOutput(); });
    if (device.isNull()) {
        if (why)
            *why = "no sound device";
        return 0;
    }
    return wantedFormat(device).sampleRate();
}

SoundCard::SoundCard(PracticeStation &station) : station_(station) {}

SoundCard::~SoundCard()
{
    if (thread_) {
        thread_->quit();
        thread_->wait();
    }
}

bool SoundCard::start(std::function<void(const std::string &)> onFailure, std::string *why)
{
    QAudioDevice device;
    quietly([&] { device = QMediaDevices::defaultAudioOutput(); });
    if (device.isNull()) {
        if (why)
            *why = "no sound device";
        return false;
    }
    const QAudioFormat format = wantedFormat(device);
    if (format.sampleRate() != station_.sampleRate()) {
        if (why)
            *why = "the sound device changed its rate";
        return false;
    }
    auto opened = std::make_shared<std::atomic<int>>(0);  // 1 playing, -1 failed to open
    auto reason = std::make_shared<std::string>();
    qInstallMessageHandler(onlyFailures);  // while it plays, and for the rest of the session
    thread_.reset(QThread::create([this, device, format, onFailure, opened, reason] {
        QAudioSink sink(device, format);
        sink.setBufferSize(format.bytesForDuration(BufferMs * 1000));
        QIODevice *io = sink.start();
        if (!io || sink.error() != QAudio::NoError) {
            *reason = "the sound device did not open";
            *opened = -1;
            return;
        }
        *opened = 1;
        const int channels = format.channelCount();
        const auto frames = static_cast<size_t>(format.sampleRate() * BlockMs / 1000);
        std::vector<float> block(frames);
        QByteArray bytes;
        bool failed = false;
        QTimer feed;
        QObject::connect(&feed, &QTimer::timeout, [&] {
            // Underruns are the card waiting for us; anything else means it is gone.
            if (failed || (sink.error() != QAudio::NoError && sink.error() != QAudio::UnderrunError)) {
                if (!failed && onFailure)
                    onFailure("the sound device stopped");
                failed = true;
                QThread::currentThread()->quit();
                return;
            }
            const qsizetype frameBytes = format.bytesPerFrame();
            while (sink.bytesFree() >= static_cast<qsizetype>(frames) * frameBytes) {
                station_.advance(block.data(), frames);
                bytes.resize(static_cast<qsizetype>(frames) * frameBytes);
                for (size_t i = 0; i < frames; ++i)
                    for (int ch = 0; ch < channels; ++ch) {
                        const size_t at = i * static_cast<size_t>(channels) + static_cast<size_t>(ch);
                        if (format.sampleFormat() == QAudioFormat::Float)
                            reinterpret_cast<float *>(bytes.data())[at] = block[i];
                        else
                            reinterpret_cast<int16_t *>(bytes.data())[at] = static_cast<int16_t>(block[i] * 32767);
                    }
                io->write(bytes);
            }
        });
        feed.start(BlockMs / 2 + 1);
        QEventLoop loop;
        loop.exec();
        sink.stop();
    }));
    thread_->start();
    while (*opened == 0 && thread_->isRunning())
        QThread::msleep(5);
    if (*opened == 1)
        return true;
    thread_->wait();
    thread_.reset();
    if (why)
        *why = reason->empty() ? "the sound device did not open" : *reason;
    return false;
}
