#pragma once

#include "keyer/WkView.h"

#include <QTimer>
#include <QWidget>

class KeyerLink;
class QLabel;
class QLineEdit;
class QPushButton;

// The small panel beside the main window that reminds the operator what each
// function key sends, shows Run or S/P and ESM, and has a tune button.
class MessagePanel : public QWidget, public MemoView {
    Q_OBJECT
public:
    MessagePanel(KeyerLink &link, QWidget *mainWindow);
    ~MessagePanel() override;

    // MemoView
    bool isShown() const override { return isVisible(); }
    void setPanelVisible(bool shown) override { setVisible(shown); }
    void showRun(bool run) override;
    void showEsm(bool shown) override;
    void setTuneCaption(const std::string &caption) override;

    QLineEdit *EF[9];
    QLabel *LMemoRun, *LMemoESM, *Label15;
    QPushButton *BTune;
    QTimer TimerStart;

protected:
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void placeBesideMain(int height);
    void BTuneClick();
    void TimerStartTimer();

    KeyerLink &link_;
    QWidget *main_;
};
