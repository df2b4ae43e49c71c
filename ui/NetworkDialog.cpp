#include "ui/NetworkDialog.h"

#include "net/NetSettings.h"
#include "logging/ScreenText.h"
#include "settings/ProfileFile.h"
#include "ui/GuiSupport.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const char *const kNextStart = "Changes take effect at the next start of the program.";

} // namespace

NetworkDialog::NetworkDialog(std::string folder, QWidget *parent) : QDialog(parent), folder_(std::move(folder))
{
    setObjectName(QStringLiteral("NetworkDialog"));
    setWindowTitle(QStringLiteral("Network"));
    setModal(false);
    setFont(sansFont(11));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const auto line = [this](const char *name, const QString &tip) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(tip);
        return e;
    };
    ENetEnabled = new QCheckBox(QStringLiteral("Share the log with the station's other positions"), this);
    ENetEnabled->setObjectName(QStringLiteral("ENetEnabled"));
    ENetBroker = line("ENetBroker", QStringLiteral("host:port of the station's MQTT broker (mosquitto)"));
    ENetStation = line("ENetStation", QStringLiteral("This position's name: 1 to 12 letters and digits, e.g. RUN1"));
    ENetStation->setValidator(new UpperCaseValidator(ENetStation));
    ENetTransmitter = new QSpinBox(this);
    ENetTransmitter->setObjectName(QStringLiteral("ENetTransmitter"));
    ENetTransmitter->setRange(0, 9);
    ENetTransmitter->setToolTip(QStringLiteral("The transmitter id of this position's QSO lines in the Cabrillo file"));
    ENetGroup = line("ENetGroup", QStringLiteral("The same at every position of the contest; empty: the own call"));
    ENetUser = line("ENetUser", QStringLiteral("The broker's user name; empty: no login"));
    ENetPassword = line("ENetPassword", QStringLiteral("The broker's password"));
    ENetPassword->setEchoMode(QLineEdit::Password);
    ENetTls = new QCheckBox(QStringLiteral("TLS"), this);
    ENetTls->setObjectName(QStringLiteral("ENetTls"));
    ENetCaFile = line("ENetCaFile", QStringLiteral("The broker's CA certificate (a PEM file), for TLS"));

    LNetNote = new QLabel(QString::fromLatin1(kNextStart), this);
    LNetNote->setObjectName(QStringLiteral("LNetNote"));
    LNetNote->setWordWrap(true);
    LNetNote->setMinimumHeight(36);

    BNetSave = new QPushButton(QStringLiteral("Save"), this);
    BNetSave->setObjectName(QStringLiteral("BNetSave"));
    BNetSave->setDefault(true);
    connect(BNetSave, &QPushButton::clicked, this, &NetworkDialog::BNetSaveClick);
    BNetClose = new QPushButton(QStringLiteral("Close"), this);
    BNetClose->setObjectName(QStringLiteral("BNetClose"));
    connect(BNetClose, &QPushButton::clicked, this, &QDialog::hide);

    auto *form = new QFormLayout;
    form->addRow(ENetEnabled);
    form->addRow(QStringLiteral("Broker"), ENetBroker);
    form->addRow(QStringLiteral("Station"), ENetStation);
    form->addRow(QStringLiteral("Transmitter"), ENetTransmitter);
    form->addRow(QStringLiteral("Group"), ENetGroup);
    form->addRow(QStringLiteral("User"), ENetUser);
    form->addRow(QStringLiteral("Password"), ENetPassword);
    form->addRow(ENetTls);
    form->addRow(QStringLiteral("CA file"), ENetCaFile);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BNetSave);
    buttons->addWidget(BNetClose);
    auto *all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(LNetNote);
    all->addLayout(buttons);
}

void NetworkDialog::showDialog()
{
    NetSettings s;
    LoadNetSettings(s, folder_);
    ENetEnabled->setChecked(s.Enabled);
    ENetBroker->setText(toScreen(s.Broker));
    ENetStation->setText(toScreen(s.Station));
    ENetTransmitter->setValue(s.Transmitter);
    ENetGroup->setText(toScreen(s.Group));
    ENetUser->setText(toScreen(s.User));
    ENetPassword->setText(toScreen(s.Password));
    ENetTls->setChecked(s.Tls);
    ENetCaFile->setText(toScreen(s.CaFile));
    LNetNote->setText(QString::fromLatin1(kNextStart));
    show();
    raise();
    activateWindow();
}

void NetworkDialog::BNetSaveClick()
{
    NetSettings s;
    s.Enabled = ENetEnabled->isChecked();
    s.Broker = fromScreen(ENetBroker->text().trimmed());
    s.Station = fromScreen(ENetStation->text().trimmed());
    s.Transmitter = ENetTransmitter->value();
    s.Group = fromScreen(ENetGroup->text().trimmed());
    s.User = fromScreen(ENetUser->text());
    s.Password = fromScreen(ENetPassword->text());
    s.Tls = ENetTls->isChecked();
    s.CaFile = fromScreen(ENetCaFile->text().trimmed());
    std::string host, error;
    int port = 0;
    if (!IsTopicName(s.Station)) {
        LNetNote->setText(QStringLiteral("Station must be 1 to 12 letters and digits, e.g. RUN1. Not saved."));
        return;
    }
    if (!ParseBroker(s.Broker, host, port, error)) {
        LNetNote->setText(QStringLiteral("Broker: ") + toScreen(error) + QStringLiteral(". Not saved."));
        return;
    }
    try {
        SaveNetSettings(s, folder_);
    } catch (const ProfileWriteError &e) {
        LNetNote->setText(toScreen(e.what()) + QStringLiteral(". Not saved."));
        return;
    }
    hide();
}
