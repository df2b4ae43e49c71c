#include "serial/ListComPorts.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::function<void(std::vector<std::string> &)> &lister()
{
    static std::function<void(std::vector<std::string> &)> l;
    return l;
}

// The serial core lists every possible built-in UART; type 0 means no chip answers there.
bool builtInPortAbsent(const fs::path &entry)
{
    std::ifstream type(entry / "type");
    int value = -1;
    return type && (type >> value) && value == 0;
}

bool equalIgnoringCase(const std::string &a, const std::string &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace

bool ComPortNameLess(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}

void ListComPortsFrom(const std::string &ttyClassDir, const std::string &serialByIdDir,
                      std::vector<std::string> &List)
{
    std::vector<std::string> names;
    bool readable = false;
    std::error_code ec;
    // Devices of the tty class that sit on real hardware (USB adapters, UARTs) have a
    // "device" link; consoles and pseudo-terminals have none.
    for (fs::directory_iterator it(ttyClassDir, ec), end; !ec && it != end; it.increment(ec)) {
        readable = true;
        const fs::path entry = it->path();
        std::error_code linkError;
        if (!fs::exists(entry / "device", linkError) || builtInPortAbsent(entry))
            continue;
        names.push_back("/dev/" + entry.filename().string());
    }
    ec.clear();
    // The by-id names stay the same when the keyer is plugged into another USB socket.
    for (fs::directory_iterator it(serialByIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        readable = true;
        names.push_back((fs::path("/dev/serial/by-id") / it->path().filename()).string());
    }
    if (!readable)
        return;
    std::sort(names.begin(), names.end(), ComPortNameLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    List = std::move(names);
}

void ListComPorts(std::vector<std::string> &List)
{
    if (lister()) {
        std::vector<std::string> names = List;
        lister()(names);
        std::sort(names.begin(), names.end(), ComPortNameLess);
        List = std::move(names);
        return;
    }
    ListComPortsFrom("/sys/class/tty", "/dev/serial/by-id", List);
}

std::string PortDevicePath(const std::string &name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return name;
    const std::string digits = name.size() > 3 ? name.substr(3) : std::string();
    const bool com = equalIgnoringCase(name.substr(0, 3), "COM") && !digits.empty() && digits.size() <= 3
                     && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (com && std::stoi(digits) >= 1)
        return "/dev/ttyS" + std::to_string(std::stoi(digits) - 1);
    return "/dev/" + name;
}

bool SamePortName(const std::string &a, const std::string &b)
{
    return equalIgnoringCase(PortDevicePath(a), PortDevicePath(b));
}

void SetComPortLister(std::function<void(std::vector<std::string> &)> l)
{
    lister() = std::move(l);
}

PortDeviceAccess PortDeviceAccessOf(const std::string &devicePath)
{
    PortDeviceAccess access;
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0)
        return access;
    const passwd *user = ::getpwuid(st.st_uid);
    const group *grp = ::getgrgid(st.st_gid);
    access.user = user ? user->pw_name : std::to_string(st.st_uid);
    access.group = grp ? grp->gr_name : std::to_string(st.st_gid);
    access.groupMayUse = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
    return access;
}
