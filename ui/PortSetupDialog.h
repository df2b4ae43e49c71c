#pragma once

#include "ui/PortComboBox.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

// The modal dialog in which the operator picks the keyer port's name and line settings.
class PortSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortSetupDialog(QWidget *parent = nullptr);

    QPushButton *Button1;  // OK
    QPushButton *Button2;  // Cancel
    QGroupBox *GroupBox1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    PortComboBox *Combo2, *Combo3, *Combo4, *Combo5, *Combo6, *Combo1;

protected:
    void showEvent(QShowEvent *event) override;
};

// Shows the setup dialog for the port; OK applies all six choices in one batch
// (a failure to apply reaches the caller as SerialPortError), Cancel applies nothing.
void RunSetupDialog(SerialPort &ComPort);

// Tells the operator why the port did not open, in full (the options window's label
// has room for the first line only). Does not wait for the answer.
void ShowPortOpenFailure(QWidget *parent, const std::string &port, const std::string &reason);
