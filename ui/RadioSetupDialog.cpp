#include "ui/RadioSetupDialog.h"

#include "logging/Contest.h"
#include "radio/RadioLink.h"
#include "radio/RadioModels.h"
#include "serial/ListComPorts.h"
#include "ui/GuiSupport.h"

#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const int kBaudRates[] = {0, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
const char *const kDefaultRigctld = "localhost:4532";

} // namespace

RadioSetupDialog::RadioSetupDialog(RadioLink &link, QWidget *parent) : QDialog(parent), link_(link)
{
    setObjectName(QStringLiteral("RadioSetupDialog"));
    setWindowTitle(QStringLiteral("Setup CAT"));
    setModal(false);
    setFont(sansFont(11));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    ECatModel = new QComboBox(this);
    ECatModel->setObjectName(QStringLiteral("ECatModel"));
    ECatModel->setEditable(true);
    ECatModel->setInsertPolicy(QComboBox::NoInsert);
    ECatModel->setMinimumWidth(260);
    ECatModel->lineEdit()->setPlaceholderText(QStringLiteral("type part of the maker or model"));

    ECatPort = new QComboBox(this);
    ECatPort->setObjectName(QStringLiteral("ECatPort"));
    ECatPort->setEditable(true);
    ECatPort->setInsertPolicy(QComboBox::NoInsert);
    ECatPort->setToolTip(QStringLiteral("The radio's serial port, or host:port of a rigctld"));

    ECatBaud = new QComboBox(this);
    ECatBaud->setObjectName(QStringLiteral("ECatBaud"));
    for (int rate : kBaudRates)
        ECatBaud->addItem(rate ? QString::number(rate) : QStringLiteral("Radio's default"), rate);

    BCatConnect = new QPushButton(QStringLiteral("Connect"), this);
    BCatConnect->setObjectName(QStringLiteral("BCatConnect"));
    BCatConnect->setDefault(true);
    connect(BCatConnect, &QPushButton::clicked, this, &RadioSetupDialog::BCatConnectClick);
    BCatClose = new QPushButton(QStringLiteral("Close"), this);
    BCatClose->setObjectName(QStringLiteral("BCatClose"));
    connect(BCatClose, &QPushButton::clicked, this, &QDialog::hide);

    LCatStatus = new QLabel(this);
    LCatStatus->setObjectName(QStringLiteral("LCatStatus"));
    LCatStatus->setWordWrap(true);
    LCatStatus->setMinimumHeight(48);
    LCatStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LCatStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Radio"), ECatModel);
    form->addRow(QStringLiteral("Port"), ECatPort);
    form->addRow(QStringLiteral("Baud rate"), ECatBaud);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BCatConnect);
    buttons->addWidget(BCatClose);
    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(LCatStatus);
    all->addLayout(buttons);

    connect(&link_, &RadioLink::statusChanged, this, &RadioSetupDialog::showStatus);
}

void RadioSetupDialog::fillModels()
{
    if (ECatModel->count() > 0)
        return;
    ECatModel->addItem(QStringLiteral("No radio"), RadioModelNone);
    for (const RadioModel &m : RadioModels())
        ECatModel->addItem(QStringLiteral("%1 %2 (%3)")
                               .arg(QString::fromLatin1(m.maker.c_str()), QString::fromLatin1(m.name.c_str()))
                               .arg(m.number),
                           m.number);
    // Typing any part of the maker, model or number offers the radios that match.
    auto *completer = new QCompleter(ECatModel->model(), ECatModel);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(12);
    ECatModel->setCompleter(completer);
    connect(completer, qOverload<const QString &>(&QCompleter::activated), this, &RadioSetupDialog::modelChosen);
    connect(ECatModel, &QComboBox::activated, this, &RadioSetupDialog::modelChosen);
}

void RadioSetupDialog::showDialog()
{
    const ContestState &st = link_.main().st;
    fillModels();
    const int modelIndex = ECatModel->findData(st.CatModel);
    ECatModel->setCurrentIndex(modelIndex >= 0 ? modelIndex : 0);

    std::vector<std::string> ports;
    ListComPorts(ports);
    ECatPort->clear();
    for (const std::string &p : ports)
        ECatPort->addItem(QString::fromStdString(p));
    ECatPort->setEditText(QString::fromStdString(st.CatPort));

    const int baudIndex = ECatBaud->findData(st.CatBaudRate);
    ECatBaud->setCurrentIndex(baudIndex >= 0 ? baudIndex : 0);
    showStatus();
    show();
    raise();
    activateWindow();
    ECatModel->setFocus();
}

int RadioSetupDialog::chosenModel() const
{
    const int index = ECatModel->findText(ECatModel->currentText().trimmed(), Qt::MatchFixedString);
    return index >= 0 ? ECatModel->itemData(index).toInt() : -1;
}

void RadioSetupDialog::modelChosen()
{
    // rigctld is reached by address, every other radio through a port.
    const bool network = chosenModel() == RadioModelNetRigctl;
    const bool address = ECatPort->currentText().contains(QLatin1Char(':'));
    if (network && !address)
        ECatPort->setEditText(QString::fromLatin1(kDefaultRigctld));
    else if (!network && address)
        ECatPort->setEditText(ECatPort->count() > 0 ? ECatPort->itemText(0) : QString());
}

void RadioSetupDialog::BCatConnectClick()
{
    if (link_.state() != RadioLink::State::Off) {
        link_.stop();
        return;
    }
    const int model = chosenModel();
    if (model < 0) {
        LCatStatus->setText(QStringLiteral("Choose the radio from the list: type part of its maker or model name."));
        return;
    }
    RadioConfig config{model, ECatPort->currentText().trimmed().toStdString(), ECatBaud->currentData().toInt()};
    if (model == RadioModelNetRigctl && config.port.empty())
        config.port = kDefaultRigctld;
    if (model != RadioModelNone && model != RadioModelDummy && config.port.empty()) {
        LCatStatus->setText(QStringLiteral("Choose the port the radio is on."));
        return;
    }
    ContestState &st = link_.main().st;
    st.CatModel = config.model;
    st.CatPort = config.port;
    st.CatBaudRate = config.baudRate;
    if (model == RadioModelNone) {
        LCatStatus->setText(QStringLiteral("No radio set up."));
        return;
    }
    link_.start(config);
}

void RadioSetupDialog::showStatus()
{
    LCatStatus->setText(QString::fromStdString(link_.status()));
    setTextColor(LCatStatus, link_.state() == RadioLink::State::Failing ? QColor(0xc0, 0, 0) : QColor(Qt::black));
    BCatConnect->setText(link_.state() == RadioLink::State::Off ? QStringLiteral("Connect")
                                                                : QStringLiteral("Disconnect"));
}
