#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string>

// One change of one station's own log, as the stations of a group share it. (station, seq)
// names the event; qso names the QSO for as long as the contest lasts ("RUN1-17": its
// station and the seq of the event that added it), so every event of a QSO comes from
// the station that logged it. Texts are the log's 8-bit bytes.
struct QsoEvent {
    enum class Op { Add, Edit, Delete };

    std::string station;
    std::uint64_t seq = 0;
    std::string qso;
    Op op = Op::Add;
    std::string date;      // yyyy-mm-dd
    std::string time;      // hhmm
    std::string call;
    std::string exchange;
    std::string band;
    std::string mode;
    std::string number;
    int transmitter = 0;
    // The own log's row the QSO is in: kept in the station's own journal, never published.
    int row = -1;

    bool operator==(const QsoEvent &) const = default;
};

// The largest payload a station takes: far above any event, far below what could hurt.
inline constexpr qsizetype MaxEventBytes = 64 * 1024;

const char *OpName(QsoEvent::Op op);
std::string QsoName(const std::string &station, std::uint64_t seq);

// The event as one line of compact JSON (UTF-8), row included only when it is 0 or more.
QByteArray EncodeEvent(const QsoEvent &event);

// The event a payload carries, or nothing with the reason when it is not one of ours:
// not JSON, a field missing or of the wrong type, a band, mode, call, date or time the log
// could not hold, a QSO that is not the station's own, or more than MaxEventBytes.
std::optional<QsoEvent> DecodeEvent(const QByteArray &payload, std::string *why = nullptr);

// Topics of a group: quillfeather/<group>/qso/<station>/<seq> for each event (retained,
// so the broker's store is the shared log) and quillfeather/<group>/status/<station>.
std::string EventTopic(const std::string &group, const std::string &station, std::uint64_t seq);
std::string EventTopicFilter(const std::string &group);
std::string StatusTopic(const std::string &group, const std::string &station);
std::string StatusTopicFilter(const std::string &group);

// The station and seq an event topic of the group names; nothing for any other topic.
struct EventTopicName {
    std::string station;
    std::uint64_t seq = 0;
};
std::optional<EventTopicName> ParseEventTopic(const std::string &group, const std::string &topic);
