#pragma once

#include "serial/SerialPort.h"

#include <QComboBox>

#include <string>

class QLabel;

enum PortProperty { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };

// The choice a combo holds until it is applied to its port.
struct PortChoice {
    std::string Port;
    TBaudRate BaudRate = brCustom;
    TDataBits DataBits = dbFive;
    TStopBits StopBits = sbOneStopBit;
    TParityBits Parity = prNone;
    TFlowControl FlowControl = fcHardware;
};

// A drop-down list bound to one setting of one serial port.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PortComboBox(QWidget *parent = nullptr);
    ~PortComboBox() override;

    SerialPort *ComPort() const { return comPort_; }
    void SetComPort(SerialPort *port);
    PortProperty ComProperty() const { return comProperty_; }
    void SetComProperty(PortProperty property);
    bool AutoApply() const { return autoApply_; }
    void SetAutoApply(bool value) { autoApply_ = value; }
    // The selected item's text, empty when nothing is selected; setting a text not in the list changes nothing.
    std::string Text() const;
    void SetText(const std::string &text);

    // Selects the bound port's current value.
    void UpdateSettings();
    // Writes the pending choice through the port's setter.
    void ApplySelection();
    const PortChoice &Pending() const { return pending_; }

protected:
    // A long port name shows its end, which tells the ports apart.
    void paintEvent(QPaintEvent *event) override;

private:
    void ComboActivated(int index);
    void TakeItem(int index);
    std::string CurrentValueText() const;
    void Unbind();

    SerialPort *comPort_ = nullptr;
    int notificationId_ = 0;
    PortProperty comProperty_ = cpNone;
    bool autoApply_ = false;
    PortChoice pending_;
};

// Shows a port name in a label too narrow for it: as much of its end as fits, the whole
// name in the label's tip.
void ShowPortName(QLabel *label, const std::string &name);
