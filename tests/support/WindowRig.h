#pragma once

#include "logging/Contest.h"
#include "logging/LogTable.h"
#include "support/FixedClock.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// The file's bytes; none when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// While it lives, hands every modal window of type T to the action, as the operator answers
// it; one the action leaves open is rejected, so that a failed check never hangs the test.
template <typename T>
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(T &)> action)
    {
        QObject::connect(&poll_, &QTimer::timeout, [action] {
            if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget())) {
                action(*modal);
                if (modal->isVisible())
                    modal->reject();
            }
        });
        poll_.start(5);
    }

private:
    QTimer poll_;
};

// Answers every message box with the button, or closes one that lacks it, and keeps what they said.
struct BoxAnswerer {
    QMessageBox::StandardButton button;
    QStringList texts;
    ModalAnswerer<QMessageBox> answerer{[this](QMessageBox &box) {
        texts << box.text();
        if (QAbstractButton *b = box.button(button))
            b->click();
        else
            box.close();
    }};
    explicit BoxAnswerer(QMessageBox::StandardButton b = QMessageBox::Ok) : button(b) {}
};

// A message box or dialog that no answerer takes would hold a test until its time limit:
// one left open for 3 s is rejected and fails the test with what it said.
class StrandedModalCloser {
public:
    StrandedModalCloser()
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (modal != seen_) {
                seen_ = modal;
                since_.start();
            } else if (modal && since_.elapsed() > 3000) {
                const auto *box = qobject_cast<QMessageBox *>(modal);
                const QString said = box ? box->text() : modal->windowTitle();
                modal->reject();
                QTest::qFail(qPrintable("nobody answered this window in 3 s: " + said), __FILE__, __LINE__);
            }
        });
        poll_.start(100);
    }

private:
    QTimer poll_;
    QPointer<QDialog> seen_;
    QElapsedTimer since_;
};

// The main window as the program builds it, on a fresh folder (kept on the disk when the test
// fails) and a clock fixed at 07:12:30 UTC on 2013-04-14, driven as an operator drives it.
// A test calls newContest() in init(), may set the state, calls showWindow(), and endContest()
// in cleanup() after ending whatever it built on the window.
class WindowTest : public QObject {
protected:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ContestState> st;
    std::unique_ptr<LogTable> table;
    FixedClock clock;
    std::unique_ptr<Contest> contest;
    std::unique_ptr<MainWindow> w;
    StrandedModalCloser strandedModals;

    // An operator's program starts on a settings file; firstStart leaves it out.
    void newContest(const char *myCall, const char *mode, const char *band, bool firstStart = false)
    {
        // Qt skips cleanup() after a failed init(): what that one built goes first.
        w.reset();
        contest.reset();
        dir = std::make_unique<QTemporaryDir>();
        if (!firstStart)
            writeBytes(dir->filePath(QStringLiteral("Quillfeatherini.ini")), {});
        st = std::make_unique<ContestState>();
        st->MyCall = myCall;
        st->Mode = mode;
        st->Band = band;
        table = std::make_unique<LogTable>();
        contest = std::make_unique<Contest>(*st, *table, clock, dir->path().toStdString() + "/");
    }
    // Builds the window unless the test has, and waits until the entry line takes keys.
    bool showWindow()
    {
        if (!w)
            w = std::make_unique<MainWindow>(*contest);
        w->show();
        return QTest::qWaitForWindowExposed(w.get()) && QTest::qWaitFor([this] { return w->ECall->hasFocus(); });
    }
    void endContest()
    {
        w.reset();
        contest.reset();
        if (QTest::currentTestFailed())
            dir->setAutoRemove(false);
    }

    // The log by default.
    QString logText(const QString &name = {}) const
    {
        const QString file = name.isEmpty() ? QString::fromStdString(st->MyCall) + ".log" : name;
        return QString::fromLatin1(fileBytes(dir->filePath(file)));
    }
    void type(const QString &text) { QTest::keyClicks(w->ECall, text); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(w->ECall, k, mods); }
    void enter() { key(Qt::Key_Return); }
    void enterLines(const QStringList &lines)
    {
        for (const QString &line : lines) {
            type(line);
            enter();
        }
    }
    QString cell(int row, int col) const { return w->Log->model()->index(row, col).data().toString(); }
};
