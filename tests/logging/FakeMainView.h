#pragma once

#include "logging/Contest.h"
#include "logging/MainView.h"

#include "support/TestSupport.h"

#include <string>
#include <vector>

// Stands in for the main window: holds the entry line and records what was asked of it.
class FakeMainView : public MainView {
public:
    explicit FakeMainView(Contest &contest) : c_(contest) { c_.setView(this); }
    ~FakeMainView() override { c_.setView(nullptr); }

    std::string entry;
    bool setup = false;
    int currentRow = -1;

    // Typing one character at a time, as the operator does.
    void type(const std::string &text)
    {
        for (char ch : text)
            setEntryText(entry + ch);
    }
    void backspace() { setEntryText(entry.substr(0, entry.empty() ? 0 : entry.size() - 1)); }

    std::string entryText() const override { return entry; }
    void setEntryText(const std::string &text) override
    {
        if (text == entry)
            return;  // an unchanged line raises no change, as in the window
        entry = text;
        c_.entry.changed(text);
    }
    void caretToEnd() override {}
    void focusEntry() override {}
    bool entryVisible() const override { return !setup; }
    void focusMyCall() override {}
    bool setupVisible() const override { return setup; }
    void showSetup(bool shown) override { setup = shown; }
    void showGridRow(int row) override { currentRow = row; }
    void displayChanged() override {}

private:
    Contest &c_;
};

// A contest in a folder of its own, with the window stood in for, as the program starts it.
class ContestFixture : public ::testing::Test {
protected:
    TestFolder dir;
    ContestState st;
    LogTable table;
    FixedClock clock;
    Contest c{st, table, clock, dir.path()};
    FakeMainView view{c};

    ContestFixture()
    {
        st.MyCall = "S5ABC";
        st.Mode = "CW";
        st.Band = "80";
    }
    void start()
    {
        c.formCreate();
        c.formShow();
        c.startTimerTick();
    }
    void log(const std::string &line)
    {
        view.setEntryText("");
        view.type(line);
        c.keys.enter();
    }
};
