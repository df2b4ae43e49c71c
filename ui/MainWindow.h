#pragma once

#include "logging/Contest.h"
#include "logging/MainView.h"
#include "logging/QsoTableModel.h"

#include <QMainWindow>
#include <QTimer>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class LogCheckWindow;

// The operator's working surface: header, log grid, entry line and status labels.
// Decisions are the Contest's; this window passes the operator's actions to it
// and shows what it decided.
class MainWindow : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit MainWindow(Contest &contest, QWidget *parent = nullptr);
    ~MainWindow() override;

    Contest &core() { return c_; }

    // MainView
    std::string entryText() const override;
    void setEntryText(const std::string &text) override;
    void caretToEnd() override;
    void focusEntry() override;
    bool entryVisible() const override;
    void focusMyCall() override;
    bool setupVisible() const override;
    void showSetup(bool shown) override;
    void showGridRow(int row) override;
    void displayChanged() override;

    // Controls, named as the operator's manual names them; tests reach them too.
    QLabel *LCall, *LTest, *LClock, *LSecond, *LSpeed, *LSpeed1, *LSpeedPaddle, *LQSO, *LMemo, *LRun;
    QLabel *LInfo, *LInfo1, *LESM, *LTransmit, *LDouble;
    QLabel *Lcwtx, *LcwtxB, *LcwtxBB, *Lsptx, *LsptxB, *LsptxBB;
    QLineEdit *ECall, *BMode, *EMyCall, *EExchange, *EWinkeyer, *EDate;
    QLineEdit *ECAT;  // "Setup CAT"
    QLineEdit *ENet;  // "Setup Network"
    QLabel *LNet;     // the link to the station's broker, shown only when the log is shared
    QComboBox *EMode, *EBand;
    QCheckBox *cbExchange, *cbNumber;
    QPushButton *BCancel;
    QFrame *ShapeCall, *ShapeExchange, *Pdata, *PWork, *Panel2;
    QTableView *Log;
    QAction *ClearMenu, *DeleteLastQSO, *Log1, *SaveCBRMenu, *OdpriLog1, *ExitMenu, *SetupMenu;
    QAction *ManMenu, *SendLogMenu, *UraTidewatch1, *By;
    QAction *SaveAdifMenu, *CheckLogMenu;
    LogCheckWindow *fCheck = nullptr;  // made at the first "Check Log"
    QTimer TimerStart, TimerTime;

    void ExitMenuClick();
    // Saves the settings as "Close" does; for every other way the program ends.
    void FormClose();
    // Shows the box of the shared log's link: green while up, red with the reason otherwise.
    void showNetState(bool up, const QString &text);

signals:
    void networkSetupClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void buildMenu();
    // A menu closed by Esc or a click outside gives the keyboard back to the line the operator types in.
    void keyboardBackFromMenu();
    void buildSetupPanel(QWidget *parent);
    void FormCreate();
    void FormShow();
    void LoadSettings();
    void SaveSettings();

    void ECallChange(const QString &text);
    bool ECallKeyDown(QKeyEvent *key);
    bool ECallKeyPress(QKeyEvent *key);
    void EBandSelect(int index);
    void EModeSelect(int index);
    void EMyCallChange(const QString &text);
    void EExchangeChange(const QString &text);
    void EWinkeyerClick();
    void ECATClick();
    void showBandAndFrequency();
    void BCancelClick();
    void BModeClick();
    void LogExit();

    void ClearMenuClick();
    void DeleteLastQSOClick();
    void Log1Click();
    // What Save CBR and Save ADIF write: the own log, or a networked station's whole log.
    std::vector<StationQso> exportedQsos() const;
    void SaveCBRMenuClick();
    void SaveAdifMenuClick();
    void CheckLogMenuClick();
    void selectCheckedRow(int row);
    void OdpriLog1Click();
    void SetupMenuClick();
    void ManMenuClick();
    void SendLogMenuClick();
    void UraTidewatch1Click();
    void ByClick();

    void TimerStartTimer();
    void TimerTimeTimer();

    void reportSkippedLines(const std::vector<int> &lines, const std::string &path);
    void reportSkippedImport(const std::vector<int> &lines, const std::string &path);
    bool isMenuShortcut(const QKeyEvent *key) const;
    bool followOwnCall();

    Contest &c_;
    QsoTableModel model_;
    bool shown_ = false;
    bool firstStart_ = false;  // no settings file: the setup panel opens on the own call
    bool closing_ = false;
};
