#pragma once

#include "keyer/KeyerOptions.h"

#include <QWidget>

#include <array>
#include <functional>

class KeyerLink;
class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The keyer options window: the keyer's settings, the message memories, the port
// and the link's indicators. Its decisions are KeyerOptions'; it lives for the
// whole run and is shown and hidden, never closed.
class KeyerWindow : public QWidget, public OptionsView {
    Q_OBJECT
public:
    explicit KeyerWindow(KeyerLink &link, QWidget *parent = nullptr);
    ~KeyerWindow() override;

    KeyerOptions &options() { return options_; }
    const std::string &windowsBits() const { return WindowsBits; }

    // WkView and OptionsView
    bool isShown() const override;
    void showWindow() override;
    std::string commandText() const override;
    void setCommandText(const std::string &text) override;
    void focusCommand() override;
    bool asciChecked() const override;
    bool edSpeedEnabled() const override;
    void showEdSpeed(int value) override;
    void showUpSpeed(int value) override;
    void selectSidetone(int position) override;
    void setEsmChecked(bool checked) override;
    void loadOptionsIntoWindow() override;
    void displayChanged() override;
    void enableEdSpeed(bool enabled) override;
    void setEdSpeedStep(int step) override;
    void setTuneCaption(const std::string &caption) override;

    void LoadOptionsIntoWindow();

    // Controls, named as the operator's manual names them; tests reach them too.
    QLineEdit *ECommand;
    QLabel *Label31, *Label33;
    QCheckBox *cASCI, *cMemo;

    QGroupBox *GroupCom;
    QPushButton *BSetupCom, *BOpenCom;
    QCheckBox *CBComAutoConnect;
    QFrame *ShapeCom;
    QLabel *LCCom, *LBCom, *LInfo, *LInfo1;

    QGroupBox *GroupMessages;
    std::array<QPushButton *, 9> BF;  // BF1 .. BF9
    std::array<QLineEdit *, 9> EdF;   // EdF1 .. EdF9, Run
    std::array<QLineEdit *, 9> EdFs;  // EdF1s .. EdF9s, S/P
    std::array<QLineEdit *, 9> EdFv;  // EdF1v .. EdF9v, visual
    QCheckBox *CBESM;
    QPushButton *BClose;

    QGroupBox *GroupSpeed;
    QSpinBox *EdSpeed, *UpSpeed;
    QLineEdit *ESpeedMin, *ESpeedMax;
    QPushButton *BSendSpeedRange;
    QRadioButton *SM1, *SM2, *SM3, *RB1, *RB2;

    QGroupBox *GroupPaddle;
    QComboBox *CBPaddleMode;
    QCheckBox *CBPaddleEcho, *CBPaddleSwap, *CBSerialEcho, *CBAutoSpace, *CBWordSpace, *CBPaddleWatchdog;

    QGroupBox *GroupSidetone;
    QComboBox *ESidetone;
    QCheckBox *CBSidetonePaddle;

    QGroupBox *GroupShort;
    QCheckBox *CBShort0T, *CBShort0O, *CBShort9N;

    QGroupBox *GroupDriver;
    QLabel *LWindowsVersion;
    QPushButton *BInstalCH;

    QGroupBox *GroupTune;
    QPushButton *BTune;
    QFrame *ShapePad, *ShapePTT;
    QLabel *LPad, *LTun, *LSpeedPaddle;

    std::array<QLabel *, 14> LegendLabels;  // Label17 .. Label30

    QGroupBox *GroupTiming;
    QLineEdit *ELead, *ETail, *EFirstCarExt, *EKeyComp, *ERatio;
    QComboBox *EHangTime;
    QPushButton *BWriteWK;

    // Handlers, named after their control and event.
    void BSetupComClick();
    void BOpenComClick();
    void BFClick(int number);
    void BCloseClick();
    void BSendSpeedRangeClick();
    void BInstalCHClick();
    void BTuneClick();
    void BWriteWKClick();
    void EdSpeedChange(int value);
    // True when the key was handled and must not reach the box's own editing.
    bool ECommandKeyDown(QKeyEvent *key);

    // The first showing puts the window where it was stored, on the screen, or
    // centres it on the main window when no position is stored.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void connectHandlers();
    void FormCreate();
    void FormShow();
    void timingChange(KeyerOptions::TimingField field, QLineEdit *box, const QString &text);
    void run(const std::function<void()> &action);

    KeyerLink &link_;
    KeyerOptions options_;
    std::string WindowsBits;
    bool placed_ = false;  // a stored position, used at the first showing
    bool shownOnce_ = false;
};
