#pragma once

#include <functional>
#include <string>
#include <vector>

// Fills List with the installed serial ports, sorted without regard to letter case,
// character by character. When the system's list cannot be read, List stays as it is.
void ListComPorts(std::vector<std::string> &List);

// The same, from a given tty class folder (/sys/class/tty) and by-id folder (/dev/serial/by-id).
void ListComPortsFrom(const std::string &ttyClassDir, const std::string &serialByIdDir,
                      std::vector<std::string> &List);

// Replaces the system's list (a keyer simulator's pseudo-terminal, tests); empty restores it.
void SetComPortLister(std::function<void(std::vector<std::string> &)> lister);

// Sorting of the port list: letter case ignored, so "/dev/ttyS10" comes before "/dev/ttyS2".
bool ComPortNameLess(const std::string &a, const std::string &b);

// The one form a port name is kept and shown in: the full path of its device. A bare
// name ("ttyUSB0", as older files store it) lives under /dev/; the keyer's original
// platform's "COM1", "COM2", ... are the PC's serial ports /dev/ttyS0, /dev/ttyS1, ...
std::string PortDevicePath(const std::string &name);
// Whether two names stand for the same port; letter case is not looked at.
bool SamePortName(const std::string &a, const std::string &b);

// Who may open a port device: its owning user and group by name, and whether the group
// may read and write it. Empty names when the device cannot be looked at.
struct PortDeviceAccess {
    std::string user;
    std::string group;
    bool groupMayUse = false;
};
PortDeviceAccess PortDeviceAccessOf(const std::string &devicePath);
