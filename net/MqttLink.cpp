#include "net/MqttLink.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <mosquitto.h>
#include <mqtt_protocol.h>

namespace {

constexpr int KeepAliveSeconds = 10;
// A lost link is tried again after 1 s, then at most every 5 s: a broker restarted
// mid-contest is back in use within seconds.
constexpr unsigned ReconnectDelay = 1, ReconnectDelayMax = 5;

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string where(const MqttOptions &o)
{
    return o.host + ":" + std::to_string(o.port);
}

} // namespace

MqttLink::MqttLink(QObject *parent) : QObject(parent)
{
    initLibrary();
}

MqttLink::~MqttLink()
{
    if (!mosq_)
        return;
    if (started_) {
        // Reason 4 asks the broker to send the will, so the others see this station leave.
        mosquitto_disconnect_v5(mosq_, MQTT_RC_DISCONNECT_WITH_WILL_MSG, nullptr);
        mosquitto_loop_stop(mosq_, false);
    }
    mosquitto_destroy(mosq_);
}

bool MqttLink::start(const MqttOptions &options, std::string &error)
{
    options_ = options;
    mosq_ = mosquitto_new(options.clientId.empty() ? nullptr : options.clientId.c_str(), true, this);
    if (!mosq_) {
        error = "The network client could not be made (out of memory)";
        return false;
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    // A position joining late is sent every retained event at once; what the broker cannot
    // have in flight to it waits in a queue it cuts at 1000 by default, and the rest would be
    // lost. Taking as many in flight as MQTT allows keeps a contest's events out of that queue.
    mosquitto_int_option(mosq_, MOSQ_OPT_RECEIVE_MAXIMUM, 65535);
    mosquitto_connect_callback_set(mosq_, &MqttLink::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttLink::onDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttLink::onMessage);
    mosquitto_reconnect_delay_set(mosq_, ReconnectDelay, ReconnectDelayMax, true);
    if (!options.user.empty())
        mosquitto_username_pw_set(mosq_, options.user.c_str(), options.password.empty() ? nullptr : options.password.c_str());
    if (options.tls) {
        if (!QFileInfo(QString::fromStdString(options.caFile)).isReadable()) {
            error = "The CA file \"" + options.caFile + "\" cannot be read; name the broker's CA certificate in CaFile";
            return false;
        }
        const int rc = mosquitto_tls_set(mosq_, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = std::string("TLS could not be set up: ") + mosquitto_strerror(rc);
            return false;
        }
    }
    if (!options.willTopic.empty())
        mosquitto_will_set(mosq_, options.willTopic.c_str(), static_cast<int>(options.willPayload.size()),
                           options.willPayload.data(), 1, true);
    const int rc = mosquitto_connect_async(mosq_, options.host.c_str(), options.port, KeepAliveSeconds);
    setState(false, rc == MOSQ_ERR_SUCCESS ? "Reaching the broker " + where(options) + "..."
                                           : "The broker " + where(options) + " is not reached ("
                                                 + (rc == MOSQ_ERR_ERRNO ? std::string(strerror(errno)) : mosquitto_strerror(rc))
                                                 + "); trying again");
    const int loop = mosquitto_loop_start(mosq_);
    if (loop != MOSQ_ERR_SUCCESS) {
        error = std::string("The network thread could not start: ") + mosquitto_strerror(loop);
        return false;
    }
    started_ = true;
    return true;
}

void MqttLink::subscribe(const std::string &filter)
{
    {
        std::lock_guard lock(mutex_);
        filters_.push_back(filter);
    }
    if (mosq_)
        mosquitto_subscribe(mosq_, nullptr, filter.c_str(), 1);
}

bool MqttLink::publish(const std::string &topic, const QByteArray &payload, bool retain)
{
    return mosq_ && up_
           && mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.constData(), 1,
                                retain)
                  == MOSQ_ERR_SUCCESS;
}

std::vector<MqttMessage> MqttLink::takeMessages()
{
    std::lock_guard lock(mutex_);
    inboxPosted_ = false;
    return std::exchange(inbox_, {});
}

void MqttLink::setState(bool up, std::string text)
{
    up_ = up;
    stateText_ = std::move(text);
    emit linkChanged(up_, QString::fromStdString(stateText_));
}

void MqttLink::onConnect(mosquitto *mosq, void *self, int rc)
{
    auto *link = static_cast<MqttLink *>(self);
    link->refused_ = rc != 0;
    if (rc == 0) {
        std::vector<std::string> filters;
        {
            std::lock_guard lock(link->mutex_);
            filters = link->filters_;
        }
        for (const std::string &filter : filters)
            mosquitto_subscribe(mosq, nullptr, filter.c_str(), 1);
    }
    const std::string text = rc == 0 ? "Connected to the broker " + where(link->options_)
                                     : "The broker " + where(link->options_) + " refused the connection ("
                                           + mosquitto_reason_string(rc) + "); check User and Password";
    QMetaObject::invokeMethod(link, [link, rc, text] { link->setState(rc == 0, text); }, Qt::QueuedConnection);
}

void MqttLink::onDisconnect(mosquitto *, void *self, int rc)
{
    auto *link = static_cast<MqttLink *>(self);
    if (std::exchange(link->refused_, false))
        return;  // the refusal stays in view; a later loss is news again
    const std::string text = "The link to the broker " + where(link->options_) + " is lost ("
                             + (rc == MOSQ_ERR_ERRNO ? std::string(strerror(errno)) : mosquitto_strerror(rc))
                             + "); trying again";
    QMetaObject::invokeMethod(link, [link, text] { link->setState(false, text); }, Qt::QueuedConnection);
}

void MqttLink::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *link = static_cast<MqttLink *>(self);
    bool post = false;
    {
        std::lock_guard lock(link->mutex_);
        link->inbox_.push_back({message->topic ? message->topic : "",
                                QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                                message->retain});
        post = !std::exchange(link->inboxPosted_, true);
    }
    if (post)
        QMetaObject::invokeMethod(link, [link] { emit link->messagesArrived(); }, Qt::QueuedConnection);
}
