#include "ui/MessagePanel.h"

#include "keyer/KeyerLink.h"
#include "logging/Contest.h"
#include "ui/GuiSupport.h"
#include "logging/ScreenText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Colour numbers are 00BBGGRR, as the settings write colours.
const char *const kYellow = "$00AFFFFF";  // 11534335, as the matching message boxes of the options window
const char *const kBlue = "$00FFEEAA";    // 16772778, own call and other call

} // namespace

MessagePanel::MessagePanel(KeyerLink &link, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint), link_(link), main_(mainWindow)
{
    setObjectName(QStringLiteral("fMemo"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(sansFont(11));
    setAutoFillBackground(true);

    const int rowHeight = 23;
    const auto rowLabel = [this](const QString &text, int row) {
        auto *l = new QLabel(text, this);
        l->setGeometry(4, 6 + row * rowHeight, 36, 20);
        l->setFont(sansFont(11, true));
        return l;
    };
    for (int i = 0; i < 9; ++i) {
        rowLabel(QStringLiteral("F%1").arg(i + 1), i);
        QLineEdit *e = EF[i] = new QLineEdit(this);
        e->setObjectName(QStringLiteral("EF%1").arg(i + 1));
        e->setGeometry(40, 6 + i * rowHeight, 100, 20);
        e->setFrame(false);
        e->setValidator(new UpperCaseValidator(e));
        e->setFocusPolicy(Qt::ClickFocus);
        if (i == 3 || i == 4) {
            e->setReadOnly(true);
            paintBackground(e, kBlue);
        } else if (i == 1 || i == 5 || i == 7 || i == 8) {
            paintBackground(e, kYellow);
        }
    }
    rowLabel(QStringLiteral("F10"), 9);
    LMemoRun = new QLabel(QStringLiteral("Run"), this);
    LMemoRun->setObjectName(QStringLiteral("LMemoRun"));
    LMemoRun->setGeometry(40, 6 + 9 * rowHeight, 100, 20);
    LMemoRun->setFont(sansFont(11, true));
    setTextColor(LMemoRun, Qt::red);

    rowLabel(QStringLiteral("F11"), 10);
    LMemoESM = new QLabel(QStringLiteral("ESM"), this);
    LMemoESM->setObjectName(QStringLiteral("LMemoESM"));
    LMemoESM->setGeometry(40, 6 + 10 * rowHeight, 100, 20);
    LMemoESM->setFont(sansFont(11, true));
    setTextColor(LMemoESM, Qt::red);
    LMemoESM->hide();

    rowLabel(QStringLiteral("F12"), 11);
    Label15 = new QLabel(QString::fromUtf8("WIPE-Briše znak"), this);
    Label15->setObjectName(QStringLiteral("Label15"));
    Label15->setGeometry(40, 6 + 11 * rowHeight, 100, 20);
    Label15->setFont(sansFont(11, true));

    rowLabel(QStringLiteral("Ctrl-T"), 12);
    BTune = new QPushButton(QStringLiteral("TUNE"), this);
    BTune->setObjectName(QStringLiteral("BTune"));
    BTune->setGeometry(40, 4 + 12 * rowHeight, 100, 23);
    BTune->setToolTip(QStringLiteral("Ctrl+T or Ctrl+F12 vklopi ali izklopi Tune, izklop tudi z ESC"));
    BTune->setFocusPolicy(Qt::NoFocus);
    connect(BTune, &QPushButton::clicked, this, &MessagePanel::BTuneClick);

    rowLabel(QStringLiteral("Esc"), 13);


    TimerStart.setSingleShot(true);
    TimerStart.setInterval(200);
    connect(&TimerStart, &QTimer::timeout, this, &MessagePanel::TimerStartTimer);

    placeBesideMain(338);
    link_.setMemo(this);
}

MessagePanel::~MessagePanel()
{
    link_.setMemo(nullptr);
}

void MessagePanel::placeBesideMain(int height)
{
    setGeometry(main_->x() + 466, main_->y() + 198, 145, height);
    move(KeptOnScreen(this, pos()));
}

void MessagePanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const ContestState &st = link_.main().st;
    for (int i = 0; i < 9; ++i)
        EF[i]->setText(toScreen(st.FText[static_cast<size_t>(i)]));
    if (!st.RunMode)
        showRun(false);
    if (st.EnterSendMsg)
        LMemoESM->show();
    TimerStart.start();
}

void MessagePanel::mouseDoubleClickEvent(QMouseEvent *)
{
    // Puts the panel back beside the main window after either has moved.
    placeBesideMain(340);
}

void MessagePanel::TimerStartTimer()
{
    // The panel never keeps the keyboard: the operator types into the entry line.
    if (link_.main().view().entryVisible())
        link_.main().view().focusEntry();
}

void MessagePanel::showRun(bool run)
{
    LMemoRun->setText(run ? QStringLiteral("RUN") : QStringLiteral("S/P"));
    setTextColor(LMemoRun, run ? Qt::red : Qt::black);
}

void MessagePanel::showEsm(bool shown)
{
    LMemoESM->setVisible(shown);
}

void MessagePanel::setTuneCaption(const std::string &caption)
{
    BTune->setText(toScreen(caption));
}

void MessagePanel::BTuneClick()
{
    guarded(this, [&] {
        const std::optional<std::string> caption = link_.toggleTune();
        if (!caption)
            return;
        setTuneCaption(*caption);
        if (link_.main().view().entryVisible())
            link_.main().view().focusEntry();
    });
}
