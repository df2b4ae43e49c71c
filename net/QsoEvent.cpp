#include "net/QsoEvent.h"

#include "logging/Bands.h"
#include "logging/QsoTime.h"
#include "logging/ScreenText.h"
#include "net/NetSettings.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// JSON numbers are doubles: integers above this lose their last digits.
constexpr double MaxExactInteger = 9007199254740992.0;

bool fail(std::string *why, const std::string &reason)
{
    if (why)
        *why = reason;
    return false;
}

bool allOf(const std::string &text, bool (*ok)(unsigned char))
{
    for (const unsigned char c : text)
        if (!ok(c))
            return false;
    return true;
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isCallChar(unsigned char c) { return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/'; }
bool isPrintable(unsigned char c) { return c >= ' ' && c != 127; }

bool parseSeq(const std::string &text, std::uint64_t &seq)
{
    if (text.empty() || text.size() > 15 || !allOf(text, isDigit) || text[0] == '0')
        return false;
    seq = std::stoull(text);
    return true;
}

// The log's own readers: an event carries no day or minute the log file would refuse.
bool validDate(const std::string &date) { return date.empty() || ReadQsoDate(date); }
bool validTime(const std::string &time) { return time.empty() || ReadQsoTime(time); }

bool validFields(const QsoEvent &e, std::string *why)
{
    if (!IsTopicName(e.station))
        return fail(why, "station is not 1 to 12 letters and digits");
    if (e.seq < 1)
        return fail(why, "seq is not a whole number from 1");
    const size_t dash = e.qso.rfind('-');
    std::uint64_t qsoSeq = 0;
    if (dash == std::string::npos || e.qso.substr(0, dash) != e.station || !parseSeq(e.qso.substr(dash + 1), qsoSeq)
        || qsoSeq > e.seq)
        return fail(why, "qso is not one of the station's own");
    if (e.op == QsoEvent::Op::Add && qsoSeq != e.seq)
        return fail(why, "an added QSO is named by its own event");
    if (!validDate(e.date))
        return fail(why, "date is not yyyy-mm-dd");
    if (!validTime(e.time))
        return fail(why, "time is not hhmm");
    if (e.call.size() > 20 || !allOf(e.call, isCallChar))
        return fail(why, "call is not letters, digits and '/'");
    if (e.exchange.size() > 60 || !allOf(e.exchange, isPrintable))
        return fail(why, "exchange is too long or holds control characters");
    if (!e.band.empty() && !FindBand(e.band))
        return fail(why, "band is not one of " + BandNamesText());
    if (!e.mode.empty() && e.mode != "CW" && e.mode != "SSB")
        return fail(why, "mode is not CW or SSB");
    if (e.number.size() > 6 || !allOf(e.number, isDigit))
        return fail(why, "number is not a serial number");
    if (e.transmitter < 0 || e.transmitter > 9)
        return fail(why, "transmitter is not 0 to 9");
    return true;
}

bool readText(const QJsonObject &o, const char *key, std::string &out, std::string *why)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return fail(why, std::string(key) + " is not a text");
    out = fromScreen(v.toString());
    return true;
}

bool readInteger(const QJsonObject &o, const char *key, double &out, std::string *why)
{
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(-1);
    if (!v.isDouble() || d < 0 || d > MaxExactInteger || d != static_cast<double>(static_cast<std::uint64_t>(d)))
        return fail(why, std::string(key) + " is not a whole number");
    out = d;
    return true;
}

} // namespace

const char *OpName(QsoEvent::Op op)
{
    switch (op) {
    case QsoEvent::Op::Add: return "add";
    case QsoEvent::Op::Edit: return "edit";
    case QsoEvent::Op::Delete: return "delete";
    }
    return "";
}

std::string QsoName(const std::string &station, std::uint64_t seq)
{
    return station + "-" + std::to_string(seq);
}

QByteArray EncodeEvent(const QsoEvent &e)
{
    QJsonObject o{
        {"station", toScreen(e.station)},
        {"seq", static_cast<double>(e.seq)},
        {"qso", toScreen(e.qso)},
        {"op", QLatin1String(OpName(e.op))},
        {"date", toScreen(e.date)},
        {"time", toScreen(e.time)},
        {"call", toScreen(e.call)},
        {"exchange", toScreen(e.exchange)},
        {"band", toScreen(e.band)},
        {"mode", toScreen(e.mode)},
        {"number", toScreen(e.number)},
        {"transmitter", e.transmitter},
    };
    if (e.row >= 0)
        o.insert("row", e.row);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<QsoEvent> DecodeEvent(const QByteArray &payload, std::string *why)
{
    if (payload.size() > MaxEventBytes) {
        fail(why, "larger than " + std::to_string(MaxEventBytes) + " bytes");
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        fail(why, "not a JSON object");
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    QsoEvent e;
    std::string op;
    double seq = 0, transmitter = 0;
    if (!readText(o, "station", e.station, why) || !readInteger(o, "seq", seq, why) || !readText(o, "qso", e.qso, why)
        || !readText(o, "op", op, why) || !readText(o, "date", e.date, why) || !readText(o, "time", e.time, why)
        || !readText(o, "call", e.call, why) || !readText(o, "exchange", e.exchange, why)
        || !readText(o, "band", e.band, why) || !readText(o, "mode", e.mode, why)
        || !readText(o, "number", e.number, why) || !readInteger(o, "transmitter", transmitter, why))
        return std::nullopt;
    e.seq = static_cast<std::uint64_t>(seq);
    e.transmitter = transmitter > 9 ? -1 : static_cast<int>(transmitter);
    if (op == "add")
        e.op = QsoEvent::Op::Add;
    else if (op == "edit")
        e.op = QsoEvent::Op::Edit;
    else if (op == "delete")
        e.op = QsoEvent::Op::Delete;
    else {
        fail(why, "op is not add, edit or delete");
        return std::nullopt;
    }
    if (o.contains("row")) {
        double row = 0;
        if (!readInteger(o, "row", row, why) || row > 10'000'000)
            return std::nullopt;
        e.row = static_cast<int>(row);
    }
    if (!validFields(e, why))
        return std::nullopt;
    return e;
}

std::string EventTopic(const std::string &group, const std::string &station, std::uint64_t seq)
{
    return "quillfeather/" + group + "/qso/" + station + "/" + std::to_string(seq);
}

std::string EventTopicFilter(const std::string &group)
{
    return "quillfeather/" + group + "/qso/#";
}

std::string StatusTopic(const std::string &group, const std::string &station)
{
    return "quillfeather/" + group + "/status/" + station;
}

std::string StatusTopicFilter(const std::string &group)
{
    return "quillfeather/" + group + "/status/+";
}

std::optional<EventTopicName> ParseEventTopic(const std::string &group, const std::string &topic)
{
    const std::string prefix = "quillfeather/" + group + "/qso/";
    if (topic.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string rest = topic.substr(prefix.size());
    const size_t slash = rest.find('/');
    EventTopicName name;
    if (slash == std::string::npos || !parseSeq(rest.substr(slash + 1), name.seq))
        return std::nullopt;
    name.station = rest.substr(0, slash);
    if (!IsTopicName(name.station))
        return std::nullopt;
    return name;
}
