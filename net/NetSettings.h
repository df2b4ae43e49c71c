#pragma once

#include <string>

// The shared log's section [NET] of the main settings file: how this position reaches
// the station's broker and under which names it logs there.
struct NetSettings {
    bool Enabled = false;
    std::string Broker = "localhost:1883";
    std::string Station = "RUN1";  // letters and digits: it is a piece of every topic
    int Transmitter = 0;           // 0 to 9, the transmitter id of the Cabrillo QSO lines
    std::string Group;             // empty: the own call
    std::string User;
    std::string Password;
    bool Tls = false;
    std::string CaFile;
};

// Reads [NET] with the current values as defaults; a missing file or key changes nothing.
// A station name that is not letters and digits, or a transmitter outside 0 to 9, keeps
// the current value.
void LoadNetSettings(NetSettings &settings, const std::string &folder);
// Writes [NET] in one rewrite; throws ProfileWriteError when the file cannot be written.
void SaveNetSettings(const NetSettings &settings, const std::string &folder);

// True for 1 to 12 letters and digits: a name that cannot break a topic.
bool IsTopicName(const std::string &name);

// The group the topics use: Group, else the own call, with what a topic cannot hold
// ('/', '+', '#', spaces) left out; "QUILLFEATHER" when nothing is left.
std::string GroupName(const NetSettings &settings, const std::string &ownCall);

// Broker as host and port: "host", "host:port" or "[v6 address]:port"; the port is
// 1883 when absent. False, with the reason, when the port is not 1 to 65535 or the host empty.
bool ParseBroker(const std::string &broker, std::string &host, int &port, std::string &error);
