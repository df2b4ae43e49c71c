#include "ui/PortComboBox.h"

#include "logging/ScreenText.h"
#include "serial/ListComPorts.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>
#include <vector>

PortComboBox::PortComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);  // a list to choose from, no free typing
    connect(this, &QComboBox::activated, this, &PortComboBox::ComboActivated);
    connect(this, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { setToolTip(comProperty_ == cpPort ? text : QString()); });
}

PortComboBox::~PortComboBox()
{
    Unbind();
}

void PortComboBox::Unbind()
{
    if (comPort_ && notificationId_ != 0)
        comPort_->RemoveFreeNotification(notificationId_);
    comPort_ = nullptr;
    notificationId_ = 0;
}

void PortComboBox::SetComPort(SerialPort *port)
{
    if (port == comPort_)
        return;
    Unbind();
    if (!port)
        return;
    comPort_ = port;
    notificationId_ = port->AddFreeNotification([this] {
        comPort_ = nullptr;
        notificationId_ = 0;
        if (count() > 0)
            setCurrentIndex(0);
    });
    UpdateSettings();
}

void PortComboBox::SetComProperty(PortProperty property)
{
    comProperty_ = property;
    clear();
    std::vector<std::string> items;
    switch (property) {
    case cpNone:
        break;
    case cpPort:
        ListComPorts(items);
        break;
    case cpBaudRate:
        for (int i = brCustom; i <= br256000; ++i)
            items.push_back(BaudRateText(static_cast<TBaudRate>(i)));
        break;
    case cpDataBits:
        for (int i = dbFive; i <= dbEight; ++i)
            items.push_back(DataBitsText(static_cast<TDataBits>(i)));
        break;
    case cpStopBits:
        for (int i = sbOneStopBit; i <= sbTwoStopBits; ++i)
            items.push_back(StopBitsText(static_cast<TStopBits>(i)));
        break;
    case cpParity:
        for (int i = prNone; i <= prSpace; ++i)
            items.push_back(ParityText(static_cast<TParityBits>(i)));
        break;
    case cpFlowControl:
        for (int i = fcHardware; i <= fcCustom; ++i)
            items.push_back(FlowControlText(static_cast<TFlowControl>(i)));
        break;
    }
    int widest = 0;
    for (const std::string &item : items) {
        addItem(toScreen(item));
        widest = std::max(widest, fontMetrics().horizontalAdvance(toScreen(item)));
    }
    // The open list is as wide as its longest name (a by-id name is long).
    view()->setMinimumWidth(widest + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 24);
    if (count() == 0)
        return;
    if (comPort_)
        UpdateSettings();
    else
        setCurrentIndex(0);
}

std::string PortComboBox::Text() const
{
    return currentIndex() < 0 ? std::string() : fromScreen(currentText());
}

void PortComboBox::SetText(const std::string &text)
{
    const int index = findText(toScreen(text), Qt::MatchExactly);
    if (index >= 0)
        setCurrentIndex(index);
}

std::string PortComboBox::CurrentValueText() const
{
    switch (comProperty_) {
    case cpPort: return comPort_->Port();
    case cpBaudRate: return BaudRateText(comPort_->BaudRate());
    case cpDataBits: return DataBitsText(comPort_->DataBits());
    case cpStopBits: return StopBitsText(comPort_->StopBits());
    case cpParity: return ParityText(comPort_->Parity().Bits());
    case cpFlowControl: return FlowControlText(comPort_->FlowControl().FlowControl());
    case cpNone: break;
    }
    return std::string();
}

void PortComboBox::UpdateSettings()
{
    if (!comPort_ || comProperty_ == cpNone)
        return;
    // Letter case is ignored, as port names and stored texts come in either case.
    int index = findText(toScreen(CurrentValueText()), Qt::MatchFixedString);
    for (int i = 0; comProperty_ == cpPort && index < 0 && i < count(); ++i)
        if (SamePortName(fromScreen(itemText(i)), comPort_->Port()))
            index = i;
    setCurrentIndex(index);
    if (index >= 0)
        TakeItem(index);
}

void PortComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideLeft, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void ShowPortName(QLabel *label, const std::string &name)
{
    const QString full = toScreen(name);
    const QString shown = label->fontMetrics().elidedText(full, Qt::ElideLeft, label->contentsRect().width());
    if (label->text() != shown)
        label->setText(shown);
    label->setToolTip(shown == full ? QString() : full);
}

void PortComboBox::TakeItem(int index)
{
    const std::string text = fromScreen(itemText(index));
    switch (comProperty_) {
    case cpPort: pending_.Port = text; break;
    case cpBaudRate: pending_.BaudRate = StrToBaudRate(text); break;
    case cpDataBits: pending_.DataBits = StrToDataBits(text); break;
    case cpStopBits: pending_.StopBits = StrToStopBits(text); break;
    case cpParity: pending_.Parity = StrToParity(text); break;
    case cpFlowControl: pending_.FlowControl = StrToFlowControl(text); break;
    case cpNone: break;
    }
}

void PortComboBox::ComboActivated(int index)
{
    if (index < 0)
        return;
    TakeItem(index);
    if (autoApply_)
        ApplySelection();
}

void PortComboBox::ApplySelection()
{
    if (!comPort_)
        return;
    switch (comProperty_) {
    case cpPort:
        // No selection (the stored port is not plugged in): keep the name rather than
        // empty it, so the keyer opens again once the operator plugs it back.
        if (currentIndex() >= 0 && !pending_.Port.empty())
            comPort_->SetPort(pending_.Port);
        break;
    case cpBaudRate: comPort_->SetBaudRate(pending_.BaudRate); break;
    case cpDataBits: comPort_->SetDataBits(pending_.DataBits); break;
    case cpStopBits: comPort_->SetStopBits(pending_.StopBits); break;
    case cpParity: comPort_->Parity().SetBits(pending_.Parity); break;
    case cpFlowControl: comPort_->FlowControl().SetFlowControl(pending_.FlowControl); break;
    case cpNone: break;
    }
}
