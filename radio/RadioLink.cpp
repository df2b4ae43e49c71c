#include "radio/RadioLink.h"

#include "logging/Contest.h"
#include "radio/RadioBands.h"
#include "radio/RadioModels.h"

#include <hamlib/rig.h>

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdlib>

namespace {

bool isNetwork(const RadioConfig &c)
{
    return c.model == RadioModelNetRigctl;
}

// " on /dev/ttyUSB0", " at localhost:4532", nothing for the radio inside the program.
std::string whereText(const RadioConfig &c)
{
    if (c.model == RadioModelDummy)
        return {};
    return (isNetwork(c) ? " at " : " on ") + c.port;
}

// Hamlib's error in the words of the place it happened.
std::string errorWords(int err, const RadioConfig &c, bool opening)
{
    switch (std::abs(err)) {
    case RIG_ETIMEOUT:
        return "no answer in time";
    case RIG_EIO:
        if (isNetwork(c))
            return opening ? "no connection" : "the connection was closed";
        return opening ? "the port is missing or in use" : "the port failed; unplugged?";
    case RIG_EPROTO:
        return "an answer that made no sense";
    default: {
        std::string text = rigerror2(std::abs(err));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }
    }
}

} // namespace

// Lives on the radio's thread: every Hamlib call happens here.
class RadioPoller : public QObject {
    Q_OBJECT
public:
    RadioPoller() : timer_(this)
    {
        timer_.setInterval(RadioLink::PollMs);
        connect(&timer_, &QTimer::timeout, this, &RadioPoller::tick);
        clock_.start();
    }
    ~RadioPoller() override { close(); }

    void start(int session, const RadioConfig &config)
    {
        close();
        session_ = session;
        config_ = config;
        retryAt_ = 0;
        timer_.start();
        tick();
    }

    void stop()
    {
        timer_.stop();
        close();
    }

signals:
    void reading(int session, double hz, const QString &mode);
    void status(int session, int state, const QString &text);

private:
    void report(RadioLink::State state, const std::string &text)
    {
        emit status(session_, static_cast<int>(state), QString::fromStdString(text));
    }

    void tick()
    {
        if (!rig_) {
            // A radio that is not there is tried again now and then, never in a tight loop.
            if (clock_.elapsed() < retryAt_)
                return;
            if (!open()) {
                retryAt_ = clock_.elapsed() + RadioLink::RetryMs;
                return;
            }
        }
        freq_t hz = 0;
        rmode_t mode = RIG_MODE_NONE;
        pbwidth_t width = 0;
        int err = rig_get_freq(rig_, RIG_VFO_CURR, &hz);
        if (err == RIG_OK)
            err = rig_get_mode(rig_, RIG_VFO_CURR, &mode, &width);
        if (err != RIG_OK) {
            // A radio busy changing band may miss an answer; a lost connection fails at once,
            // and so does a radio that never answered (switched off, wrong model or baud rate).
            if (++failures_ < 3 && std::abs(err) == RIG_ETIMEOUT && sent_)
                return;
            const std::string why = " (" + errorWords(err, config_, false) + ").";
            const std::string text = isNetwork(config_) && std::abs(err) == RIG_EIO
                ? "rigctld" + whereText(config_) + " stopped answering" + why
                      + " Is it still running? Trying again every 3 s."
                : "The radio" + std::string(isNetwork(config_) ? " behind rigctld" : "") + whereText(config_)
                      + " does not answer" + why
                      + " Check that it is on and that its model and baud rate are right. Trying again every 3 s.";
            close();
            retryAt_ = clock_.elapsed() + RadioLink::RetryMs;
            report(RadioLink::State::Failing, text);
            return;
        }
        failures_ = 0;
        if (!sent_)
            report(RadioLink::State::Connected,
                   "Connected to " + RadioModelName(config_.model) + whereText(config_) + ".");
        const QString modeName = QString::fromLatin1(rig_strrmode(mode));
        if (!sent_ || hz != lastHz_ || modeName != lastMode_) {
            sent_ = true;
            lastHz_ = hz;
            lastMode_ = modeName;
            emit reading(session_, hz, modeName);
        }
    }

    bool open()
    {
        PrepareHamlib();
        const std::string name = RadioModelName(config_.model);
        rig_ = rig_init(static_cast<rig_model_t>(config_.model));
        if (!rig_) {
            report(RadioLink::State::Failing, "Hamlib knows no radio model " + std::to_string(config_.model)
                                                  + ". Choose the radio again in Setup CAT.");
            return false;
        }
        setConf("rig_pathname", config_.port);
        if (config_.baudRate > 0)
            setConf("serial_speed", std::to_string(config_.baudRate));
        // This thread does the polling; Hamlib's own poll thread and its cache would only add delay.
        setConf("poll_interval", "0");
        setConf("cache_timeout", "0");
        const int err = rig_open(rig_);
        if (err != RIG_OK) {
            rig_cleanup(rig_);
            rig_ = nullptr;
            report(RadioLink::State::Failing,
                   isNetwork(config_)
                       ? "Cannot reach rigctld" + whereText(config_) + " (" + errorWords(err, config_, true)
                             + "). Start rigctld, or correct the address in Setup CAT. Trying again every 3 s."
                       : "Cannot open " + name + whereText(config_) + " (" + errorWords(err, config_, true)
                             + "). Check that it is plugged in and the port is right. Trying again every 3 s.");
            return false;
        }
        failures_ = 0;
        sent_ = false;  // connected once the radio has answered
        report(RadioLink::State::Connecting, "Waiting for " + name + whereText(config_) + " to answer ...");
        return true;
    }

    void setConf(const char *name, const std::string &value)
    {
        // A setting the model does not have is left to the model's default.
        if (const auto token = rig_token_lookup(rig_, name); token != RIG_CONF_END)
            rig_set_conf(rig_, token, value.c_str());
    }

    void close()
    {
        if (!rig_)
            return;
        rig_close(rig_);
        rig_cleanup(rig_);
        rig_ = nullptr;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    RIG *rig_ = nullptr;
    RadioConfig config_;
    int session_ = 0;
    qint64 retryAt_ = 0;
    int failures_ = 0;
    bool sent_ = false;
    double lastHz_ = 0;
    QString lastMode_;
};

RadioLink::RadioLink(Contest &main) : main_(main), thread_(new QThread), poller_(new RadioPoller)
{
    thread_->setObjectName(QStringLiteral("radio"));
    poller_->moveToThread(thread_);
    connect(thread_, &QThread::finished, poller_, &QObject::deleteLater);
    connect(poller_, &RadioPoller::reading, this, &RadioLink::takeReading, Qt::QueuedConnection);
    connect(poller_, &RadioPoller::status, this, &RadioLink::takeStatus, Qt::QueuedConnection);
    thread_->start();
    main_.setRadio(this);
}

RadioLink::~RadioLink()
{
    main_.setRadio(nullptr);
    disconnect(poller_, nullptr, this, nullptr);
    thread_->quit();
    // The poller closes the radio as the thread ends. A radio call that never returns
    // must not keep the program from ending: its thread is then left to the process's end.
    if (thread_->wait(2000))
        delete thread_;
}

RadioConfig RadioLink::configFromSettings() const
{
    return {main_.st.CatModel, main_.st.CatPort, main_.st.CatBaudRate};
}

void RadioLink::start(const RadioConfig &config)
{
    // Hamlib is loaded when a radio is first asked for, not at every start of the program,
    // and here on the window's thread, before the poller's thread touches it.
    PrepareHamlib();
    config_ = config;
    ++session_;
    haveReading_ = false;
    state_ = State::Connecting;
    statusText_ = "Connecting to " + RadioModelName(config.model) + whereText(config) + " ...";
    QMetaObject::invokeMethod(poller_, [p = poller_, s = session_, config] { p->start(s, config); },
                              Qt::QueuedConnection);
    showStatusInMain();
    emit statusChanged();
}

void RadioLink::stop()
{
    if (state_ == State::Off)
        return;
    ++session_;
    haveReading_ = false;
    state_ = State::Off;
    statusText_ = "Not connected.";
    QMetaObject::invokeMethod(poller_, &RadioPoller::stop, Qt::QueuedConnection);
    showStatusInMain();
    emit statusChanged();
}

std::string RadioLink::status() const
{
    if (state_ == State::Connected && haveReading_)
        return statusText_ + " " + FrequencyText(hz_) + ", " + mode_ + ".";
    return statusText_;
}

void RadioLink::follow(bool on)
{
    if (!on) {
        stop();
        return;
    }
    const RadioConfig wanted = configFromSettings();
    if (wanted.model == RadioModelNone)
        return;
    if (state_ == State::Off || config_ != wanted)
        start(wanted);
    else
        applyReading();
}

void RadioLink::showSetup()
{
    if (opener_)
        opener_();
}

void RadioLink::takeReading(int session, double hz, const QString &mode)
{
    if (session != session_)
        return;
    hz_ = hz;
    mode_ = mode.toStdString();
    haveReading_ = true;
    applyReading();
    emit statusChanged();
}

void RadioLink::applyReading()
{
    if (!haveReading_)
        return;
    try {
        main_.radioTuned(FrequencyText(hz_), BandForFrequency(hz_), ModeForRadioMode(mode_));
    } catch (const std::exception &e) {
        // The keyer link failed to follow a mode change: said here, never in a box mid-contest.
        statusText_ = std::string("The keyer could not follow the radio's mode: ") + e.what();
        emit statusChanged();
    }
}

void RadioLink::takeStatus(int session, int state, const QString &text)
{
    if (session != session_)
        return;
    state_ = static_cast<State>(state);
    statusText_ = text.toStdString();
    if (state_ != State::Connected)
        haveReading_ = false;
    showStatusInMain();
    emit statusChanged();
}

void RadioLink::showStatusInMain()
{
    main_.radioStatus(state_ == State::Connected, state_ == State::Failing, status());
}

#include "RadioLink.moc"
