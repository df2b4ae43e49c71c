#include "ui/RateWindow.h"

#include "logging/Bands.h"
#include "logging/ScreenText.h"
#include "ui/GuiSupport.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {

QString rateText(const std::optional<double> &rate)
{
    return rate ? QString::number(*rate, 'f', 1) : QStringLiteral("-");
}

} // namespace

QColor BandColor(const std::string &band)
{
    // A band added to the table without a colour of its own is drawn grey.
    static const QColor colors[] = {QColor(120, 70, 20), QColor(200, 30, 30), QColor(235, 140, 0),
                                    QColor(30, 150, 40), QColor(30, 90, 210), QColor(140, 40, 170)};
    const int index = BandIndex(band);
    return index >= 0 && index < int(std::size(colors)) ? colors[index] : QColor(Qt::gray);
}

RateGraph::RateGraph(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GHours"));
    setMinimumSize(420, 160);
}

void RateGraph::showHours(std::vector<HourBar> hours)
{
    hours_ = std::move(hours);
    update();
}

void RateGraph::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QFontMetrics fm(font());
    const int legend = fm.height() + 4, axis = fm.height() + 2, left = fm.horizontalAdvance(QStringLiteral("000")) + 4;
    const QRect plot(left, legend, width() - left - 4, height() - legend - axis);
    // The legend: one swatch per band.
    int x = left;
    for (const ContestBand &band : ContestBands) {
        p.fillRect(x, 3, 10, fm.height() - 4, BandColor(std::string(band.name)));
        p.setPen(Qt::black);
        p.drawText(x + 13, fm.ascent() + 1, QString::fromLatin1(band.name.data(), qsizetype(band.name.size())));
        x += 14 + fm.horizontalAdvance(QStringLiteral("160")) + 8;
    }
    p.setPen(Qt::gray);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    if (hours_.empty() || plot.width() <= 0 || plot.height() <= 0)
        return;
    int most = 1;
    for (const HourBar &bar : hours_)
        most = std::max(most, bar.total());
    p.setPen(Qt::black);
    p.drawText(QRect(0, plot.top() - fm.ascent() / 2, left - 4, fm.height()), Qt::AlignRight, QString::number(most));
    const double step = double(plot.width()) / double(hours_.size());
    const int labelEvery = std::max(1, int(std::ceil(fm.horizontalAdvance(QStringLiteral("00 ")) / step)));
    for (size_t i = 0; i < hours_.size(); ++i) {
        const int x0 = plot.left() + int(double(i) * step), x1 = plot.left() + int(double(i + 1) * step);
        const int w = std::max(1, x1 - x0 - (step > 4 ? 1 : 0));
        int y = plot.bottom();
        for (const auto &[band, count] : hours_[i].bands) {
            const int h = int(double(count) * plot.height() / most + 0.5);
            p.fillRect(x0, y - h + 1, w, h, BandColor(band));
            y -= h;
        }
        if (i % size_t(labelEvery) == 0) {
            p.setPen(Qt::black);
            p.drawText(x0, height() - 2 - fm.descent(), toScreen(MinuteText(hours_[i].hour).substr(11, 2)));
        }
    }
}

RateWindow::RateWindow(QWidget *mainWindow) : QWidget(mainWindow, Qt::Window | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("fRate"));
    // Beside the entry line, never taking the keyboard from it: a click on a call is enough.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Rate"));
    setFont(sansFont(11));
    LRates = new QLabel(this);
    LRates->setObjectName(QStringLiteral("LRates"));
    LBands = new QLabel(this);
    LBands->setObjectName(QStringLiteral("LBands"));
    LOffTimes = new QLabel(this);
    LOffTimes->setObjectName(QStringLiteral("LOffTimes"));
    for (QLabel *l : {LRates, LBands, LOffTimes}) {
        l->setFont(monoFont(12));
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    GHours = new RateGraph(this);
    auto *grid = new QGridLayout(this);
    grid->addWidget(LRates, 0, 0);
    grid->addWidget(LBands, 0, 1);
    grid->addWidget(LOffTimes, 0, 2);
    grid->addWidget(GHours, 1, 0, 1, 3);
    grid->setRowStretch(1, 1);
    resize(600, 360);
}

void RateWindow::showFigures(const RateFigures &r)
{
    LRates->setText(QStringLiteral("Last 10:   %1/h\nLast 100:  %2/h\nLast 60 min: %3\nThis hour:   %4")
                        .arg(rateText(r.last10), rateText(r.last100))
                        .arg(r.lastHour)
                        .arg(r.sinceTopOfHour));
    QString bands = QStringLiteral("Band Mode  QSOs Dupes");
    for (const BandModeCount &c : r.byBandMode)
        bands += QStringLiteral("\n%1 %2 %3 %4")
                     .arg(toScreen(c.band), 4)
                     .arg(toScreen(c.mode), -4)
                     .arg(c.qsos, 5)
                     .arg(c.dupes, 5);
    LBands->setText(bands);
    QString off = QStringLiteral("Off times");
    for (const OffTime &gap : r.offTimes)
        off += QStringLiteral("\n%1-%2 %3 min")
                   .arg(toScreen(MinuteText(gap.from)), toScreen(MinuteText(gap.to).substr(11)))
                   .arg(gap.minutes());
    if (r.offTimes.empty())
        off += QStringLiteral("\nnone");
    LOffTimes->setText(off);
    GHours->showHours(r.hours);
}

void RateWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Only the operator's close counts: the program closes every window as it ends, and
    // one open then opens again at the next start.
    if (placeChanged_ && event->spontaneous())
        placeChanged_(false);
}

void RateWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (placeChanged_ && isVisible())
        placeChanged_(true);
}
