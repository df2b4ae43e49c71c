#include "ui/NetworkWindow.h"

#include "logging/ContestState.h"
#include "logging/ScreenText.h"
#include "net/NetStation.h"
#include "ui/GuiSupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <iterator>

namespace {

const QStringList kColumns = {QStringLiteral("Station"), QStringLiteral("Online"), QStringLiteral("Band"),
                              QStringLiteral("Mode"),    QStringLiteral("Run or S/P"), QStringLiteral("QSOs"),
                              QStringLiteral("Last heard UTC"), QStringLiteral("Have all"), QStringLiteral("Clock")};

} // namespace

NetworkWindow::NetworkWindow(const NetStation *net, QWidget *parent) : QWidget(parent, Qt::Window), net_(net)
{
    setObjectName(QStringLiteral("NetworkWindow"));
    setWindowTitle(QStringLiteral("Network"));
    setFont(sansFont(11));
    resize(680, 260);

    LNetLink = new QLabel(this);
    LNetLink->setObjectName(QStringLiteral("LNetLink"));
    LNetLink->setWordWrap(true);
    GStations = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    GStations->setObjectName(QStringLiteral("GStations"));
    GStations->setHorizontalHeaderLabels(kColumns);
    GStations->verticalHeader()->hide();
    GStations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GStations->setSelectionMode(QAbstractItemView::NoSelection);
    GStations->setFocusPolicy(Qt::NoFocus);
    GStations->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GStations->horizontalHeader()->setStretchLastSection(true);
    GStations->horizontalHeaderItem(7)->setToolTip(
        QStringLiteral("Whether this position has every event the station says it published"));
    GStations->horizontalHeaderItem(8)->setToolTip(
        QStringLiteral("The station's clock against this computer's, shown when more than 2 s off"));
    LNetRefused = new QLabel(this);
    LNetRefused->setObjectName(QStringLiteral("LNetRefused"));
    LNetRefused->setWordWrap(true);
    LNetRefused->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *all = new QVBoxLayout(this);
    all->addWidget(LNetLink);
    all->addWidget(GStations, 1);
    all->addWidget(LNetRefused);

    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &NetworkWindow::refresh);
}

void NetworkWindow::showWindow()
{
    show();
    refresh();
    timer_.start();
    raise();
    activateWindow();
}

void NetworkWindow::refresh()
{
    if (isHidden()) {
        timer_.stop();
        return;
    }
    if (!net_) {
        LNetLink->setText(QStringLiteral("The log is not shared with other positions. Switch it on in "
                                         "Setup, \"Setup Network\", and start the program again."));
        GStations->setRowCount(0);
        LNetRefused->clear();
        return;
    }
    LNetLink->setText(QStringLiteral("This position: %1 in group %2. %3")
                          .arg(toScreen(net_->station()), toScreen(net_->group()), toScreen(net_->stateText())));
    const std::vector<StationRow> rows = net_->rows();
    GStations->setRowCount(static_cast<int>(rows.size()));
    const QColor red = colorFromText(Colors::ColorRed);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const StationRow &row = rows[static_cast<std::size_t>(r)];
        const QString cells[] = {toScreen(row.station),
                                 row.online ? QStringLiteral("online") : QStringLiteral("offline"),
                                 toScreen(row.band),
                                 toScreen(row.mode),
                                 toScreen(row.runOrSp),
                                 QString::number(row.qsos),
                                 toScreen(row.lastHeard),
                                 toScreen(row.held),
                                 toScreen(row.clock)};
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if ((c == 1 && !row.online) || (c == 7 && !row.complete) || (c == 8 && !row.clock.empty()))
                item->setBackground(red);
            GStations->setItem(r, c, item);
        }
    }
    LNetRefused->setText(net_->refusedCount() == 0
                             ? QStringLiteral("No messages refused.")
                             : QStringLiteral("Messages refused: %1; the last: %2")
                                   .arg(net_->refusedCount())
                                   .arg(toScreen(net_->lastRefusal())));
}
