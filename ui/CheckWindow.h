#pragma once

#include "aids/CheckLists.h"

#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

// The calls the log and MASTER.SCP hold for the call being typed, beside the main window,
// so a busted call is caught before it is logged. A double click hands a call back.
class CheckWindow : public QWidget {
    Q_OBJECT
public:
    explicit CheckWindow(QWidget *mainWindow);
    ~CheckWindow() override;

    // Shows the lists of a look-up; folder names where MASTER.SCP belongs when it is missing.
    void showResult(const CheckResult &result, const std::string &folder);
    // The call history's exchange for the typed call; empty hides it.
    void showHint(const std::string &exchange);
    // Told the call the operator double-clicked.
    void setOnCallChosen(std::function<void(const std::string &)> chosen) { chosen_ = std::move(chosen); }
    // Told whether the window stays open when the operator closes it with its frame or moves it.
    void setOnPlaceChanged(std::function<void(bool open)> changed) { placeChanged_ = std::move(changed); }

    QLabel *LUnique, *LHistory;
    QListWidget *ELogCalls, *EScpCalls, *ENearCalls;

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void ListDoubleClick(QListWidgetItem *item);

    std::function<void(const std::string &)> chosen_;
    std::function<void(bool)> placeChanged_;
};
