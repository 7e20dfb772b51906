#include "model/Declare.h"

#include <gtest/gtest.h>

TEST(ModelSmoke, Links) { SUCCEED(); }
