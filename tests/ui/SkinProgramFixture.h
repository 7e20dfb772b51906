#pragma once

// The whole program's windows with the skin engine as the program starts it:
// no skin manager yet, and none left behind for the next test.
#include "MainWindowFixture.h"

#include "skin/SkinManage.h"
#include "ui/Startup.h"

#include <memory>

class SkinProgramTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        skin::FreeSkinManager();
    }
    void TearDown() override
    {
        program.reset();
        skin::FreeSkinManager();
        MainWindowTest::TearDown();
    }

    std::unique_ptr<ui::TProgramWindows> program;
};
