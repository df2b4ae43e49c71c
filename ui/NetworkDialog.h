#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The shared log's settings ([NET]): how this position reaches the station's broker and
// under which names. Saved to the settings file; the program uses them from its next start,
// so a contest under way is never cut from its broker by a half-typed address.
class NetworkDialog : public QDialog {
    Q_OBJECT
public:
    explicit NetworkDialog(std::string folder, QWidget *parent = nullptr);

    // Shows what the settings file holds and brings the dialog to the front.
    void showDialog();

    QCheckBox *ENetEnabled, *ENetTls;
    QLineEdit *ENetBroker, *ENetStation, *ENetGroup, *ENetUser, *ENetPassword, *ENetCaFile;
    QSpinBox *ENetTransmitter;
    QPushButton *BNetSave, *BNetClose;
    QLabel *LNetNote;

    // Saves and closes; a name a topic cannot hold, a bad broker or a file that cannot be
    // written keeps the dialog open with the reason.
    void BNetSaveClick();

private:
    std::string folder_;
};
