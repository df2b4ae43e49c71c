#pragma once

#include <QObject>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct mosquitto;
struct mosquitto_message;

// How to reach the broker and what it tells the others when this client is gone.
struct MqttOptions {
    std::string host = "localhost";
    int port = 1883;
    std::string clientId;
    std::string user, password;  // no login when user is empty
    bool tls = false;
    std::string caFile;
    std::string willTopic, willPayload;  // retained, sent by the broker when the link is lost
};

// A message as it came from the broker.
struct MqttMessage {
    std::string topic;
    QByteArray payload;
    bool retained = false;
};

// A client of an MQTT broker (libmosquitto) that talks on a thread of its own and
// reconnects by itself, so no call of the window's thread waits for the network.
// What happens there reaches this object's thread through queued signals.
class MqttLink : public QObject {
    Q_OBJECT

public:
    explicit MqttLink(QObject *parent = nullptr);
    ~MqttLink() override;  // leaves the broker with the will sent, as a lost link would
    MqttLink(const MqttLink &) = delete;
    MqttLink &operator=(const MqttLink &) = delete;

    // Starts reaching the broker and keeps at it until destroyed. False, with the reason,
    // only when the options cannot work at all (a CA file that cannot be read); a broker
    // out of reach is reported through linkChanged and tried again.
    bool start(const MqttOptions &options, std::string &error);

    // Subscribed now and again after every reconnect.
    void subscribe(const std::string &filter);
    // Queued for the broker at QoS 1; false when the link is down (the caller sends it
    // again on the next connect).
    bool publish(const std::string &topic, const QByteArray &payload, bool retain);

    bool isUp() const { return up_; }
    const std::string &stateText() const { return stateText_; }

    // What arrived since the last call, in the order it came.
    std::vector<MqttMessage> takeMessages();

signals:
    // The link came up (connected) or went down; text says which, with the reason.
    void linkChanged(bool up, const QString &text);
    void messagesArrived();

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);
    void setState(bool up, std::string text);

    mosquitto *mosq_ = nullptr;
    MqttOptions options_;
    bool up_ = false;
    std::string stateText_;
    bool started_ = false;
    // The disconnect that follows a refused login is no news, and would hide the reason (a
    // wrong password) behind "protocol error". Both callbacks run on the network thread.
    bool refused_ = false;

    std::mutex mutex_;  // guards what the network thread hands over
    std::vector<std::string> filters_;
    std::vector<MqttMessage> inbox_;
    bool inboxPosted_ = false;
};
