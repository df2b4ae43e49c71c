#include "net/StationRow.h"

#include <QDateTime>

StationRow DescribeStation(const std::string &station, const StationStatus &status, int held)
{
    StationRow row;
    row.station = station;
    row.online = status.online;
    row.band = status.band, row.mode = status.mode;
    if (status.online)
        row.runOrSp = status.run ? "Run" : "S/P";
    row.qsos = status.qsos;
    if (status.heardMs > 0)
        row.lastHeard = QDateTime::fromMSecsSinceEpoch(status.heardMs, Qt::UTC).toString("HH:mm:ss").toStdString();
    if (status.events < 0) {
        row.held = "?";
    } else if (held >= status.events) {
        row.held = "yes";
    } else {
        row.complete = false;
        row.held = "lacks " + std::to_string(status.events - held) + " of " + std::to_string(status.events);
    }
    if (status.clockOffsetMs && (*status.clockOffsetMs > ClockToleranceMs || *status.clockOffsetMs < -ClockToleranceMs)) {
        const std::int64_t seconds = (*status.clockOffsetMs + (*status.clockOffsetMs < 0 ? -500 : 500)) / 1000;
        row.clock = "clock off by " + std::string(seconds > 0 ? "+" : "") + std::to_string(seconds) + " s";
    }
    return row;
}
