#include "radio/RadioModels.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <mutex>
#include <strings.h>

void PrepareHamlib()
{
    // Hamlib's backends register themselves into one global table: fill it once,
    // before the radio's thread and the setup dialog look into it.
    static std::once_flag once;
    std::call_once(once, [] {
        rig_set_debug(RIG_DEBUG_NONE);
        rig_load_all_backends();
        // A rigctld that goes away mid-write must fail that write, not end the program.
        std::signal(SIGPIPE, SIG_IGN);
        // Opening a radio, Hamlib keeps the LC_NUMERIC name setlocale returned, switches
        // to "C" and restores the kept name, which glibc freed on the switch unless it
        // was "C" already: an operator's own locale (sl_SI.UTF-8) made that a use after
        // free. Numbers from radios and files are read with a decimal point anyway.
        std::setlocale(LC_NUMERIC, "C");
    });
}

const std::vector<RadioModel> &RadioModels()
{
    static const std::vector<RadioModel> models = [] {
        PrepareHamlib();
        std::vector<RadioModel> list;
        rig_list_foreach(
            [](const rig_caps *caps, rig_ptr_t data) {
                auto *out = static_cast<std::vector<RadioModel> *>(data);
                out->push_back({static_cast<int>(caps->rig_model), caps->mfg_name ? caps->mfg_name : "",
                                caps->model_name ? caps->model_name : ""});
                return 1;  // go on
            },
            &list);
        std::sort(list.begin(), list.end(), [](const RadioModel &a, const RadioModel &b) {
            if (const int m = strcasecmp(a.maker.c_str(), b.maker.c_str()); m != 0)
                return m < 0;
            if (const int n = strcasecmp(a.name.c_str(), b.name.c_str()); n != 0)
                return n < 0;
            return a.number < b.number;
        });
        return list;
    }();
    return models;
}

std::string RadioModelName(int number)
{
    for (const RadioModel &m : RadioModels())
        if (m.number == number)
            return m.maker + " " + m.name;
    return "radio model " + std::to_string(number);
}
