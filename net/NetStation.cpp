#include "net/NetStation.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

class NetStation::Follower : public LogTableListener {
public:
    explicit Follower(NetStation &station) : station_(station) {}
    void qsoCommitted(int row, QsoId) override { station_.follow(row); }
    void qsoDeleted(int row, QsoId) override { station_.follow(row); }
    void cellEdited(int row, int, QsoId) override { station_.follow(row); }
    void allReplaced() override { station_.follow(-1); }

private:
    NetStation &station_;
};

NetStation::NetStation(LogTable &ownLog, const NetSettings &settings, const std::string &ownCall,
                       const std::string &folder, QObject *parent)
    : QObject(parent),
      ownLog_(ownLog),
      settings_(settings),
      group_(GroupName(settings, ownCall)),
      folder_(folder),
      received_(folder + "net-" + group_ + "-received.jsonl")
{
    connect(&link_, &MqttLink::linkChanged, this, &NetStation::onLinkChanged);
    connect(&link_, &MqttLink::messagesArrived, this, &NetStation::onMessages);
}

NetStation::~NetStation() = default;

bool NetStation::start(std::string &error)
{
    MqttOptions options;
    if (!ParseBroker(settings_.Broker, options.host, options.port, error))
        return false;
    own_ = std::make_unique<OwnEventLog>(folder_ + "net-" + group_ + "-" + settings_.Station + ".jsonl",
                                         settings_.Station, settings_.Transmitter,
                                         static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()));
    for (const QsoEvent &event : own_->events())
        shared_.apply(event);
    // Enter waits for the log line on the disk, never for the journal's.
    writer_ = std::make_unique<JournalWriter>(own_->journalPath(), [this](std::vector<QsoEvent> events,
                                                                           const std::string &failure) {
        QMetaObject::invokeMethod(this, [this, events = std::move(events), failure] { written(events, failure); },
                                  Qt::QueuedConnection);
    });
    for (const QsoEvent &event : received_.load())
        if (event.station != settings_.Station) {
            shared_.apply(event);
            heard_[event.station].insert(event.seq);
        }
    // The others' events reach the disk off the window's thread too: a slow disk never holds
    // up the entry line while another position logs.
    receivedWriter_ = std::make_unique<JournalWriter>(received_.path(), [this](std::vector<QsoEvent>,
                                                                                const std::string &failure) {
        if (!failure.empty())
            QMetaObject::invokeMethod(this, [this, failure] { notKept(failure); }, Qt::QueuedConnection);
    });
    status_.qsos = shared_.liveCount(settings_.Station);
    status_.events = static_cast<int>(own_->events().size());

    follower_ = std::make_unique<Follower>(*this);
    subscription_ = ownLog_.subscribe(*follower_);
    follow(-1);

    options.clientId = "quillfeather-" + group_ + "-" + settings_.Station;
    options.user = settings_.User;
    options.password = settings_.Password;
    options.tls = settings_.Tls;
    options.caFile = settings_.CaFile;
    options.willTopic = StatusTopic(group_, settings_.Station);
    options.willPayload = statusPayload(false).toStdString();
    link_.subscribe(EventTopicFilter(group_));
    link_.subscribe(StatusTopicFilter(group_));
    return link_.start(options, error);
}

void NetStation::setStatus(const std::string &band, const std::string &mode, bool run)
{
    status_.band = band, status_.mode = mode, status_.run = run;
    const bool same = sent_.band == band && sent_.mode == mode && sent_.run == run && sent_.qsos == status_.qsos
                      && sent_.events == status_.events;
    if (!same || QDateTime::currentMSecsSinceEpoch() - statusSentMs_ >= StatusRefreshMs)
        publishStatus();
}

void NetStation::publishStatus()
{
    if (!link_.publish(StatusTopic(group_, settings_.Station), statusPayload(true), true))
        return;  // sent on the next connect
    sent_ = status_;
    statusSentMs_ = QDateTime::currentMSecsSinceEpoch();
}

int NetStation::heldEvents(const std::string &station) const
{
    if (station == settings_.Station)
        return own_ ? static_cast<int>(own_->events().size()) : 0;
    const auto it = heard_.find(station);
    return it == heard_.end() ? 0 : static_cast<int>(it->second.size());
}

std::vector<StationRow> NetStation::rows() const
{
    std::vector<StationRow> rows;
    for (const auto &[station, status] : stations_)
        rows.push_back(DescribeStation(station, status, heldEvents(station)));
    return rows;
}

std::string NetStation::dupeStation(const std::string &call, const std::string &band, const std::string &mode) const
{
    return shared_.dupeStation(call, band, mode, settings_.Station);
}

void NetStation::follow(int row)
{
    std::vector<QsoEvent> events = own_->follow(ownLog_, row);
    if (events.empty())
        return;
    for (const QsoEvent &event : events)
        shared_.apply(event);
    // Handed over once Enter's handling is done: the journal's write would only slow it.
    QMetaObject::invokeMethod(this, [this, events] { writer_->append(events); }, Qt::QueuedConnection);
    emit sharedLogChanged();
}

void NetStation::written(const std::vector<QsoEvent> &events, const std::string &failure)
{
    if (!failure.empty()) {
        // The box turns red as for a lost broker: the others do not get these QSOs, though the
        // own log file has them. The writer tries again every second; the same failure again
        // is no news.
        const std::string text = "Not shared yet: " + failure;
        if (!std::exchange(writeFailed_, true) || text != stateText_) {
            stateText_ = text;
            emit stateChanged(false, QString::fromStdString(stateText_));
        }
        return;
    }
    if (writeFailed_) {
        writeFailed_ = false;
        stateText_ = link_.stateText();
        emit stateChanged(link_.isUp(), QString::fromStdString(stateText_));
    }
    own_->written(events);
    tell(events);
}

void NetStation::tell(const std::vector<QsoEvent> &events)
{
    for (QsoEvent event : events) {
        event.row = -1;
        link_.publish(EventTopic(group_, event.station, event.seq), EncodeEvent(event), true);
    }
    status_.qsos = shared_.liveCount(settings_.Station);
    status_.events = static_cast<int>(own_->events().size());
}

void NetStation::onLinkChanged(bool up, const QString &text)
{
    if (up) {
        // Whatever the broker lost or never acknowledged is in the own journal; events it
        // has already are the same retained message again, which changes nothing anywhere.
        tell(own_->events());
        publishStatus();
    }
    if (writeFailed_)
        return;  // the journal's failure stays in view until a write succeeds
    stateText_ = text.toStdString();
    emit stateChanged(up, text);
}

void NetStation::refuse(const std::string &topic, const std::string &why)
{
    ++refused_;
    lastRefusal_ = topic + ": " + why;
}

void NetStation::onMessages()
{
    std::vector<QsoEvent> learned;
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    for (const MqttMessage &message : link_.takeMessages()) {
        if (message.payload.isEmpty())
            continue;  // a retained message being cleared
        if (message.topic.rfind(StatusTopic(group_, ""), 0) == 0) {
            const std::string station = message.topic.substr(StatusTopic(group_, "").size());
            const QJsonObject o = QJsonDocument::fromJson(message.payload.left(MaxEventBytes)).object();
            if (!IsTopicName(station) || o.value("station").toString().toStdString() != station) {
                refuse(message.topic, "not a station's status");
                continue;
            }
            StationStatus &s = stations_[station];
            s.online = o.value("online").toBool();
            if (!s.online)
                continue;  // its will, sent by the broker: what it last said of itself still holds
            s.band = o.value("band").toString().toStdString();
            s.mode = o.value("mode").toString().toStdString();
            s.run = o.value("run").toBool();
            s.qsos = o.value("qsos").toInt();
            s.events = o.value("events").toInt(-1);
            // A retained status is as old as its utc says; only one that came live tells the clock.
            const auto utc = static_cast<std::int64_t>(o.value("utc").toDouble());
            if (!message.retained) {
                s.heardMs = now;
                if (utc > 0)
                    s.clockOffsetMs = utc - now;
            } else if (utc > s.heardMs) {
                s.heardMs = utc;
            }
            continue;
        }
        const auto name = ParseEventTopic(group_, message.topic);
        if (!name) {
            refuse(message.topic, "not an event topic");
            continue;
        }
        if (name->station == settings_.Station)
            continue;  // the own events are known from the own journal
        std::string why;
        const auto event = DecodeEvent(message.payload, &why);
        if (!event) {
            refuse(message.topic, why);
        } else if (event->station != name->station || event->seq != name->seq) {
            refuse(message.topic, "the event's station or seq differs from its topic's");
        } else if (event->row >= 0) {
            refuse(message.topic, "a row is only in the station's own journal");
        } else {
            heard_[event->station].insert(event->seq);
            if (!message.retained)
                stations_[event->station].heardMs = now;
            if (shared_.apply(*event))
                learned.push_back(*event);
        }
    }
    if (learned.empty())
        return;
    receivedWriter_->append(std::move(learned));
    emit sharedLogChanged();
}

void NetStation::notKept(const std::string &failure)
{
    // The broker keeps them: the next start gets them again from there. The writer tries
    // again every second; the same failure again is no news.
    const std::string text = "Not kept on disk: " + failure;
    if (text == stateText_)
        return;
    stateText_ = text;
    emit stateChanged(link_.isUp(), QString::fromStdString(stateText_));
}

QByteArray NetStation::statusPayload(bool online) const
{
    QJsonObject o{{"station", QString::fromStdString(settings_.Station)}, {"online", online}};
    if (online) {
        o.insert("band", QString::fromStdString(status_.band));
        o.insert("mode", QString::fromStdString(status_.mode));
        o.insert("run", status_.run);
        o.insert("qsos", status_.qsos);
        o.insert("events", status_.events);
        o.insert("utc", static_cast<double>(QDateTime::currentMSecsSinceEpoch()));
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
