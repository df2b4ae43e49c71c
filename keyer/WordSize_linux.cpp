#include "keyer/WordSize.h"

#include <cstring>
#include <sys/utsname.h>

std::string SystemWordSizeText()
{
    utsname name{};
    if (uname(&name) != 0)
        return {};
    // The kernel's machine name, not this program's pointer size, tells the system's word size.
    for (const char *wide : {"x86_64", "aarch64", "arm64", "ppc64", "s390x", "riscv64", "mips64", "sparc64",
                             "loongarch64", "ia64", "alpha"})
        if (std::strncmp(name.machine, wide, std::strlen(wide)) == 0)
            return " 64";
    return " 32";
}
