#pragma once

#include "keyer/KeyerLink.h"
#include "keyer/KeyerOptions.h"
#include "keyer/sim/WinKeyerSim.h"
#include "logging/Contest.h"
#include "logging/FakeMainView.h"
#include "logging/LogTable.h"
#include "serial/SerialPort.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// Stands in for the options window; a control set here runs its handler only when
// its value changes, as the window's controls do.
class FakeOptionsView : public OptionsView {
public:
    KeyerOptions *options = nullptr;
    std::string command;
    bool asci = false;
    bool edEnabled = true;
    int edSpeed = 20;
    bool esm = false;
    std::string tuneCaption = "TUNE";

    bool isShown() const override { return true; }
    void showWindow() override {}
    std::string commandText() const override { return command; }
    void setCommandText(const std::string &text) override { command = text; }
    void focusCommand() override {}
    bool asciChecked() const override { return asci; }
    bool edSpeedEnabled() const override { return edEnabled; }
    void showEdSpeed(int value) override
    {
        if (std::exchange(edSpeed, value) != value && options)
            options->speedChanged(value);
    }
    void showUpSpeed(int) override {}
    void selectSidetone(int) override {}
    void setEsmChecked(bool checked) override
    {
        if (std::exchange(esm, checked) != checked && options)
            options->esmClicked(checked);
    }
    void loadOptionsIntoWindow() override {}
    void displayChanged() override {}
    void enableEdSpeed(bool enabled) override { edEnabled = enabled; }
    void setEdSpeedStep(int) override {}
    void setTuneCaption(const std::string &caption) override { tuneCaption = caption; }
};

// The keyer side as the program wires it, with the simulator at the far end of the
// port and the link's fixed pauses recorded instead of slept.
struct KeyerRig {
    FixedClock clock;
    QTemporaryDir dir;
    std::string folder = dir.path().toStdString() + "/";
    ContestState st;
    LogTable table;
    Contest main{st, table, clock, folder};
    FakeMainView mainView{main};
    SerialPort port;
    KeyerLink link{main, port};
    WinKeyerSim sim;
    std::vector<int> pauses;

    // False with the reason when the simulator could not start.
    bool start(std::string *error)
    {
        if (!sim.start(error))
            return false;
        sim.setTimeScale(0);
        link.setPause([this](int ms) { pauses.push_back(ms); });
        ConfigureKeyerPort(port);
        port.SetPort(sim.slavePath());
        st.Mode = "CW";
        st.Speed = 20;
        st.SpeedUp = 5;
        st.SpeedMode = 1;
        st.SpeedStep = 1;
        return true;
    }

    bool received(const std::string &expected, int ms = 3000)
    {
        return waitUntil([&] { return sim.received() == expected; }, ms);
    }

    // The port opened without host mode, so the keyer's bytes come only when the test sends them.
    bool openPlainPort()
    {
        port.SetConnected(true);
        return port.Connected();
    }
};

// The rig started with the options window stand-in as the link's window; the port is
// opened by the test.
class KeyerRigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(rig.start(&error)) << error;
        rig.link.setWindow(&wk);
    }

    KeyerRig rig;
    FakeOptionsView wk;
};
