#include "logging/ErrorReport.h"

#include <cstdio>

namespace {
std::function<void(const std::string &)> &handler()
{
    static std::function<void(const std::string &)> h;
    return h;
}
} // namespace

void reportApplicationError(const std::string &message)
{
    if (handler())
        handler()(message);
    else
        std::fprintf(stderr, "Quillfeather: %s\n", message.c_str());
}

void setApplicationErrorHandler(std::function<void(const std::string &)> h)
{
    handler() = std::move(h);
}
