#pragma once

#include "aids/Rate.h"

#include <QWidget>

#include <functional>

class QLabel;

// QSOs per clock hour as bars coloured by band, the whole log at a glance.
class RateGraph : public QWidget {
    Q_OBJECT
public:
    explicit RateGraph(QWidget *parent);
    void showHours(std::vector<HourBar> hours);
    const std::vector<HourBar> &hours() const { return hours_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<HourBar> hours_;
};

// The rate figures beside the main window: rates over the last 10 and 100 QSOs, the last
// hour, QSOs and dupes by band and mode, the off times, and the graph.
class RateWindow : public QWidget {
    Q_OBJECT
public:
    explicit RateWindow(QWidget *mainWindow);

    void showFigures(const RateFigures &figures);
    // Told whether the window stays open when the operator closes it with its frame or moves it.
    void setOnPlaceChanged(std::function<void(bool open)> changed) { placeChanged_ = std::move(changed); }

    QLabel *LRates, *LBands, *LOffTimes;
    RateGraph *GHours;

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    std::function<void(bool)> placeChanged_;
};

// The colour a band's QSOs have in the graph.
QColor BandColor(const std::string &band);
