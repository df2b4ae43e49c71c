#pragma once

#include <string>

// What the contest logic asks of the main window beyond showing MainDisplay.
class MainView {
public:
    virtual ~MainView() = default;

    // The entry line. Setting its text runs the entry change handling, as typing does.
    virtual std::string entryText() const = 0;
    virtual void setEntryText(const std::string &text) = 0;
    virtual void caretToEnd() = 0;
    virtual void focusEntry() = 0;  // with the caret at the end
    virtual bool entryVisible() const = 0;

    virtual void focusMyCall() = 0;  // own call of the setup panel, caret at the end
    virtual bool setupVisible() const = 0;
    virtual void showSetup(bool shown) = 0;  // the entry line is shown exactly when the panel is not

    // Brings a grid row into view as the current row.
    virtual void showGridRow(int row) = 0;

    // MainDisplay changed; copy it onto the controls.
    virtual void displayChanged() = 0;
};

// A view that shows nothing, for logic that runs before a window exists.
class NullMainView : public MainView {
public:
    std::string entryText() const override { return {}; }
    void setEntryText(const std::string &) override {}
    void caretToEnd() override {}
    void focusEntry() override {}
    bool entryVisible() const override { return true; }
    void focusMyCall() override {}
    bool setupVisible() const override { return false; }
    void showSetup(bool) override {}
    void showGridRow(int) override {}
    void displayChanged() override {}
};
