#include "platformchoice.h"

#include <gtest/gtest.h>

// Wine on a Wayland or X11 desktop passes their displays on: Windows' own
// platform is kept all the same.
TEST(PlatformChoice, WindowsKeepsItsOwnPlatform) {
    EXPECT_EQ(kavinto::platformChoice("", "wayland-0", ":0"), QByteArray());
    EXPECT_EQ(kavinto::platformChoice("", "wayland-0", ""), QByteArray());
    EXPECT_EQ(kavinto::platformChoice("", "", ":0"), QByteArray());
}
