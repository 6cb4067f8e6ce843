// Console output on Windows goes through the console's UTF-16 calls a line
// at a time: a character split between two writes arrives whole.
#include "linedevice.h"

#include <QTextStream>

#include <gtest/gtest.h>

using namespace kavinto;

TEST(LineDevice, WholeLinesDecodedAndTheRestAtTheEnd) {
    QStringList handed;
    {
        LineDevice device([&](QStringView text) { handed << text.toString(); });
        device.write("Motiv\xC3");  // "á" split over two writes
        EXPECT_TRUE(handed.isEmpty());
        device.write(
            "\xA1"
            "ci\xC3\xB3\nline 2\nno end");
        device.write(" yet");
        QTextStream stream(&device);
        stream << QStringLiteral(", Őszi séta");
    }
    EXPECT_EQ(handed, QStringList({QStringLiteral("Motiváció\nline 2\n"),
                                   QStringLiteral("no end yet, Őszi séta")}));
}
