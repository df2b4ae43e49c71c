#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStyledItemDelegate>
#include <QValidator>

#include <exception>
#include <functional>
#include <string>

class QMainWindow;
class QMenu;
class QWidget;

// The window's menu of that title; made at the end of the menu bar when it has none.
QMenu *menuNamed(QMainWindow &window, const QString &title);

// "$00BBGGRR" as stored in the settings, to a colour.
QColor colorFromText(const std::string &text);

// Paints a widget's background (shapes, boxes) in a colour text.
void paintBackground(QWidget *widget, const std::string &colorText);

// The program's fonts by pixel size, with installed stand-ins for the Windows ones.
QFont sansFont(int pixelSize, bool bold = false);
QFont monoFont(int pixelSize, bool bold = false);

class QKeyEvent;
class QLabel;

// Text colour of a label or edit box.
void setTextColor(QWidget *widget, const QColor &color);

// Shows 8-bit text in a label, leaving out control bytes (the keyer's echo carries
// its revision and echo-test replies) that a label would draw as boxes.
void setTextIfChanged(QLabel *label, const std::string &text);
// The same for a line whose newest end matters: what does not fit loses its start.
void setTailIfChanged(QLabel *label, const std::string &text);

// The entry line's and command box's keys in the codes the keyer logic knows them by
// (Page Up, Page Down, T, F1..F12); 0 for any other key.
int entryKeyCode(const QKeyEvent *key);

// Runs an operator's action; a failure is shown in an error box instead of ending the program.
void guarded(QWidget *parent, const std::function<void()> &action);
void showError(QWidget *parent, const QString &message);
// Runs read on a thread of its own; meanwhile the window goes on painting and its timers run,
// while the operator's keys and clicks wait, in their order, until the read is done.
// Rethrows what the read threw.
void ReadAwayFromWindow(const std::function<void()> &read);
// Something the operator should know that did not fail: a warning box titled after its subject.
void showWarning(QWidget *parent, const QString &title, const QString &message);

// A confirmation: a question titled after the command, OK and Cancel; only OK proceeds.
// One that removes QSOs has Cancel for Enter.
enum class Confirm { Proceeds, RemovesQsos };
bool confirm(QWidget *parent, const QString &title, const QString &text, Confirm kind);

// Where a window of its size, frame included, shows whole on the screen nearest topLeft:
// a position stored on another desktop, or beside a window near the edge, is moved in.
QPoint KeptOnScreen(const QWidget *window, QPoint topLeft);

// The log grid's cells: edited upper case, as the entry line writes them.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A 5-digit serial in the narrow exchange and number columns: a smaller font, never a cut.
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The font made smaller, if need be, so text takes at most width pixels.
QFont FittedFont(QFont font, const QString &text, int width);

// Edit boxes that show everything upper case, as call signs are written.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// The entry line takes blanks, "/", digits and letters only, shown upper case.
class EntryLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
