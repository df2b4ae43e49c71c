#include "net/NetSettings.h"

#include "settings/MainSettings.h"
#include "settings/ProfileFile.h"

#include <cctype>

namespace {

constexpr const char *Section = "NET";

} // namespace

bool IsTopicName(const std::string &name)
{
    if (name.empty() || name.size() > 12)
        return false;
    for (const unsigned char c : name)
        if (c > 127 || !std::isalnum(c))
            return false;
    return true;
}

void LoadNetSettings(NetSettings &settings, const std::string &folder)
{
    const ProfileText file = ProfileFile(MainSettingsFile(folder)).read();
    settings.Enabled = file.readBool(Section, "Enabled", settings.Enabled);
    settings.Broker = file.readString(Section, "Broker", settings.Broker);
    const std::string station = file.readString(Section, "Station", settings.Station);
    if (IsTopicName(station))
        settings.Station = station;
    const int transmitter = file.readInteger(Section, "Transmitter", settings.Transmitter);
    if (transmitter >= 0 && transmitter <= 9)
        settings.Transmitter = transmitter;
    settings.Group = file.readString(Section, "Group", settings.Group);
    settings.User = file.readString(Section, "User", settings.User);
    settings.Password = file.readString(Section, "Password", settings.Password);
    settings.Tls = file.readBool(Section, "Tls", settings.Tls);
    settings.CaFile = file.readString(Section, "CaFile", settings.CaFile);
}

void SaveNetSettings(const NetSettings &settings, const std::string &folder)
{
    ProfileFile(MainSettingsFile(folder)).write([&](ProfileText &file) {
        file.writeBool(Section, "Enabled", settings.Enabled);
        file.writeString(Section, "Broker", settings.Broker);
        file.writeString(Section, "Station", settings.Station);
        file.writeInteger(Section, "Transmitter", settings.Transmitter);
        file.writeString(Section, "Group", settings.Group);
        file.writeString(Section, "User", settings.User);
        file.writeString(Section, "Password", settings.Password);
        file.writeBool(Section, "Tls", settings.Tls);
        file.writeString(Section, "CaFile", settings.CaFile);
    });
}

std::string GroupName(const NetSettings &settings, const std::string &ownCall)
{
    std::string group;
    for (const unsigned char c : settings.Group.empty() ? ownCall : settings.Group)
        if (c > ' ' && c < 127 && c != '/' && c != '+' && c != '#')
            group += static_cast<char>(c);
    return group.empty() ? "QUILLFEATHER" : group;
}

bool ParseBroker(const std::string &broker, std::string &host, int &port, std::string &error)
{
    std::string rest = broker;
    std::string portText;
    bool hasPort = false;
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos) {
            error = "Broker \"" + broker + "\": the address lacks its ']'";
            return false;
        }
        host = rest.substr(1, close - 1);
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':') {
                error = "Broker \"" + broker + "\": a ':' and the port must follow the ']'";
                return false;
            }
            portText = rest.substr(close + 2);
            hasPort = true;
        }
    } else {
        const size_t colon = rest.rfind(':');
        host = rest.substr(0, colon);
        if (colon != std::string::npos) {
            portText = rest.substr(colon + 1);
            hasPort = true;
        }
    }
    port = 1883;
    if (hasPort) {
        port = 0;
        for (const char c : portText) {
            if (c < '0' || c > '9' || port > 65535) {
                port = 0;
                break;
            }
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535) {
            error = "Broker \"" + broker + "\": the port must be a number from 1 to 65535";
            return false;
        }
    }
    if (host.empty()) {
        error = "Broker \"" + broker + "\": no host named (write it as host:port, such as localhost:1883)";
        return false;
    }
    return true;
}
