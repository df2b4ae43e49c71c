#include "ui/PortSetupDialog.h"

#include "logging/ScreenText.h"

#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <memory>

PortSetupDialog::PortSetupDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle("Setup");
    setFont(QFont("MS Sans Serif", 8));
    setFixedSize(231, 216);  // a dialog border: not resizable
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Button1 = new QPushButton("OK", this);
    Button1->setGeometry(70, 184, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    Button2 = new QPushButton("Cancel", this);
    Button2->setGeometry(150, 184, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    GroupBox1 = new QGroupBox(" Settings ", this);
    GroupBox1->setGeometry(8, 8, 217, 169);
    QLabel **labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6};
    const char *captions[] = {"Port", "Baud rate", "Data bits", "Stop bits", "Parity", "Flow control"};
    for (int i = 0; i < 6; ++i) {
        *labels[i] = new QLabel(captions[i], GroupBox1);
        (*labels[i])->move(8, 24 + 24 * i);
        (*labels[i])->adjustSize();
    }
    auto combo = [this](PortProperty property, int top) {
        auto *c = new PortComboBox(GroupBox1);
        c->setGeometry(80, top, 129, 21);
        c->SetComProperty(property);
        return c;
    };
    Combo2 = combo(cpBaudRate, 40);
    Combo3 = combo(cpDataBits, 64);
    Combo4 = combo(cpStopBits, 88);
    Combo5 = combo(cpParity, 112);
    Combo6 = combo(cpFlowControl, 136);
    Combo1 = combo(cpPort, 16);

    setTabOrder(Combo1, Combo2);
    setTabOrder(Combo2, Combo3);
    setTabOrder(Combo3, Combo4);
    setTabOrder(Combo4, Combo5);
    setTabOrder(Combo5, Combo6);
    setTabOrder(Combo6, Button1);
    setTabOrder(Button1, Button2);
}

void PortSetupDialog::showEvent(QShowEvent *event)
{
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void RunSetupDialog(SerialPort &ComPort)
{
    auto dialog = std::make_unique<PortSetupDialog>();
    PortComboBox *const combos[] = {dialog->Combo1, dialog->Combo2, dialog->Combo3,
                                    dialog->Combo4, dialog->Combo5, dialog->Combo6};
    for (PortComboBox *c : combos)
        c->SetComPort(&ComPort);
    for (PortComboBox *c : combos)
        c->UpdateSettings();
    if (dialog->exec() != QDialog::Accepted)
        return;
    ComPort.BeginUpdate();
    try {
        for (PortComboBox *c : combos)
            c->ApplySelection();
    } catch (...) {
        try {
            ComPort.EndUpdate();
        } catch (...) {
            // The first failure is the one the operator needs to see.
        }
        throw;
    }
    ComPort.EndUpdate();
}

void ShowPortOpenFailure(QWidget *parent, const std::string &port, const std::string &reason)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Open Com"),
                                messageToScreen("Port " + port + " did not open.\n\n" + reason), QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
