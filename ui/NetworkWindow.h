#pragma once

#include <QTimer>
#include <QWidget>

class NetStation;
class QLabel;
class QTableWidget;

// The station's positions as this one hears them through the broker: each one's band,
// mode, QSOs, when it was last heard, whether this position has all its events and whether
// its clock is off; and the messages refused. Refreshed every second while open.
class NetworkWindow : public QWidget {
    Q_OBJECT
public:
    // net: the shared log, or nullptr when the log is not shared.
    explicit NetworkWindow(const NetStation *net, QWidget *parent = nullptr);

    void showWindow();
    void refresh();

    QTableWidget *GStations;
    QLabel *LNetLink, *LNetRefused;

private:
    const NetStation *net_;
    QTimer timer_;
};
