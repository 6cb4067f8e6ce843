#include "platformchoice.h"

#include <gtest/gtest.h>

TEST(PlatformChoice, XWaylandOnAWaylandSessionUnlessChosen) {
    EXPECT_EQ(kavinto::platformChoice("", "wayland-0", ":0"), QByteArray("xcb"));
    EXPECT_EQ(kavinto::platformChoice("wayland", "wayland-0", ":0"),
              QByteArray());  // the user's choice stands
    EXPECT_EQ(kavinto::platformChoice("", "wayland-0", ""),
              QByteArray());                                         // no XWayland: Qt chooses
    EXPECT_EQ(kavinto::platformChoice("", "", ":0"), QByteArray());  // X11 already
}
