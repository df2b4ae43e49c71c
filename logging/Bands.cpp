#include "logging/Bands.h"

const ContestBand *FindBand(std::string_view name)
{
    for (const ContestBand &band : ContestBands)
        if (band.name == name)
            return &band;
    return nullptr;
}

int BandIndex(std::string_view name)
{
    const ContestBand *band = FindBand(name);
    return band ? static_cast<int>(band - ContestBands.data()) : -1;
}

std::string BandNamesText()
{
    std::string text;
    for (size_t i = 0; i < ContestBands.size(); ++i) {
        if (i > 0)
            text += i + 1 == ContestBands.size() ? " or " : ", ";
        text += ContestBands[i].name;
    }
    return text;
}
