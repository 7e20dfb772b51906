#include "ui/Main.h"

#include <gtest/gtest.h>

TEST(MainWindow, IsTitledHarmonova)
{
    TFormMain w;
    EXPECT_EQ(w.windowTitle(), QString("Harmonova !"));
}
