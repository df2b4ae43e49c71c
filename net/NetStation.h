#pragma once

#include "logging/LogTable.h"
#include "net/JournalWriter.h"
#include "net/MqttLink.h"
#include "net/NetSettings.h"
#include "net/OwnEventLog.h"
#include "net/SharedLog.h"
#include "net/StationRow.h"

#include <QObject>

#include <map>
#include <memory>
#include <set>
#include <string>

// One position of a networked station: tells the broker every change of the own log,
// and builds the whole station's log from what every position tells. Its journals in the
// program folder keep both across restarts, so a broker out of reach loses nothing.
// Lives on the window's thread; the network is handled off it.
class NetStation : public QObject {
    Q_OBJECT

public:
    // ownCall names the group when the settings do not.
    NetStation(LogTable &ownLog, const NetSettings &settings, const std::string &ownCall, const std::string &folder,
               QObject *parent = nullptr);
    ~NetStation() override;

    // Reads the journals, follows the own log (telling what changed while the program was
    // not running) and starts reaching the broker. False, with the reason, when that cannot
    // begin at all; a broker out of reach is not such a case.
    bool start(std::string &error);

    // What this position tells the others of itself besides its QSOs: sent when it changes,
    // and every StatusRefreshMs besides, so the others hear its clock while nothing changes.
    void setStatus(const std::string &band, const std::string &mode, bool run);

    const SharedLog &sharedLog() const { return shared_; }
    // The other position that logged this call on this band and mode, or empty.
    std::string dupeStation(const std::string &call, const std::string &band, const std::string &mode) const;
    const std::map<std::string, StationStatus> &stations() const { return stations_; }
    // The station's events this position has: all its own, or those heard of another.
    int heldEvents(const std::string &station) const;
    // The Network window's lines, one per station heard of, by name.
    std::vector<StationRow> rows() const;
    static constexpr std::int64_t StatusRefreshMs = 10000;

    bool isUp() const { return link_.isUp(); }
    // The link's state in words, or the last failure to write a journal.
    const std::string &stateText() const { return stateText_; }
    // Messages on the group's topics that were no event of ours, and why the last was refused.
    int refusedCount() const { return refused_; }
    const std::string &lastRefusal() const { return lastRefusal_; }

    const std::string &station() const { return settings_.Station; }
    const std::string &group() const { return group_; }

signals:
    void sharedLogChanged();
    void stateChanged(bool up, const QString &text);

private:
    class Follower;
    void follow(int row);
    void written(const std::vector<QsoEvent> &events, const std::string &failure);
    void notKept(const std::string &failure);
    void tell(const std::vector<QsoEvent> &events);
    void onLinkChanged(bool up, const QString &text);
    void onMessages();
    void refuse(const std::string &topic, const std::string &why);
    QByteArray statusPayload(bool online) const;
    void publishStatus();

    LogTable &ownLog_;
    NetSettings settings_;
    std::string group_;
    std::string folder_;
    std::unique_ptr<OwnEventLog> own_;
    EventJournal received_;
    SharedLog shared_;
    MqttLink link_;
    std::unique_ptr<Follower> follower_;
    LogTable::Subscription subscription_;
    std::map<std::string, StationStatus> stations_;
    StationStatus status_, sent_;
    std::int64_t statusSentMs_ = 0;
    std::map<std::string, std::set<std::uint64_t>> heard_;  // seqs of the others' events
    std::string stateText_;
    bool writeFailed_ = false;
    int refused_ = 0;
    std::string lastRefusal_;
    // Last: they are stopped first, finishing their writes.
    std::unique_ptr<JournalWriter> writer_, receivedWriter_;
};
