// A fresh simulated Windows and launcher state for each test.
#pragma once

#include <gtest/gtest.h>

#include "launcher/launcher.h"
#include "platform/sim/sim.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSim();
        ResetLauncherState();
    }

    static SimWindows& sim() { return Sim(); }

    // A medium at D:\ that the launcher accepts: a runtime folder, both
    // installers, disk 1, platform id "2000" (accepted on either Windows).
    static void AddTypicalMedium(const std::string& root = "D:\\")
    {
        SimAddFolder(root + "stage\\Components\\tamvex.jdk");
        SimAddFile(root + "install\\win32\\setup.exe", "MZ32");
        SimAddFile(root + "install\\win64\\setup.exe", "MZ64");
        SimAddFile(root + "stage\\disk.label", "[General]\nNumber=1\n");
        SimAddFile(root + "stage\\shiphomeproperties.xml",
                   "<?xml version=\"1.0\"?>\n<shiphome>\n  <platform>\n"
                   "     <id for=\"platform\">2000    </id>\n"
                   "        <name for=\"platform\" value=\"Windows\"/> <!-- required -->\n");
    }

    static int RunLauncher(const std::string& commandLine)
    {
        Sim().commandLine = commandLine;
        return WinMain(nullptr, nullptr, nullptr, 1);
    }
};
