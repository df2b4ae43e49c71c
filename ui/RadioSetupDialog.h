#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class RadioLink;

// The radio's setup: model, port and baud rate, Connect/Disconnect and the link's
// state in words. Never modal, so the contest goes on while it is open.
class RadioSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit RadioSetupDialog(RadioLink &link, QWidget *parent = nullptr);

    // Shows the settings' radio and the link's state, and brings the dialog to the front.
    void showDialog();

    QComboBox *ECatModel, *ECatPort, *ECatBaud;
    QPushButton *BCatConnect, *BCatClose;
    QLabel *LCatStatus;

    void BCatConnectClick();
    // The Hamlib model the model box names, 0 for "No radio", -1 when it names none.
    int chosenModel() const;

private:
    void fillModels();
    void modelChosen();
    void showStatus();

    RadioLink &link_;
};
