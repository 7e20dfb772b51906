#include "skin/SkinDraw.h"

#include <QObject>
#include <gtest/gtest.h>

namespace enumtest {

class Lamp : public QObject {
    Q_OBJECT
    Q_PROPERTY(TColour Colour MEMBER Colour)
    Q_PROPERTY(TParts Parts READ parts WRITE setParts)
    Q_PROPERTY(int Brightness MEMBER Brightness)
public:
    enum TColour { lcRed, lcGreen, lcAmber };
    Q_ENUM(TColour)
    enum TPart { lpBulb = 1, lpGlass = 2 };
    Q_DECLARE_FLAGS(TParts, TPart)
    Q_FLAG(TParts)

    TColour Colour = lcRed;
    TParts Parts;
    TParts parts() const { return Parts; }
    void setParts(TParts parts) { Parts = parts; }
    int Brightness = 5;
};

} // namespace enumtest

namespace {

using enumtest::Lamp;

TEST(SetEnumProperty, SetsAnEnumerationByTheNameOfItsValue)
{
    Lamp lamp;
    skin::SetEnumProperty(&lamp, "Colour", "lcAmber");
    EXPECT_EQ(lamp.Colour, Lamp::lcAmber);
    skin::SetEnumProperty(&lamp, "Colour", "lcGreen");
    EXPECT_EQ(lamp.Colour, Lamp::lcGreen);
}

TEST(SetEnumProperty, AValueTheEnumerationLacksIsAnError)
{
    Lamp lamp;
    lamp.Colour = Lamp::lcGreen;
    for (const char *value : {"lcBlue", "", "lcred", "1"}) {
        EXPECT_THROW(skin::SetEnumProperty(&lamp, "Colour", value), skin::EPropertyError) << value;
        EXPECT_EQ(lamp.Colour, Lamp::lcGreen);
    }
}

TEST(SetEnumProperty, AnythingElseIsLeftAlone)
{
    Lamp lamp;
    EXPECT_NO_THROW(skin::SetEnumProperty(nullptr, "Colour", "lcAmber"));
    EXPECT_NO_THROW(skin::SetEnumProperty(&lamp, "Shade", "lcAmber"));
    EXPECT_NO_THROW(skin::SetEnumProperty(&lamp, "Brightness", "lcAmber"));
    EXPECT_NO_THROW(skin::SetEnumProperty(&lamp, "Parts", "lpGlass"));
    EXPECT_EQ(lamp.Colour, Lamp::lcRed);
    EXPECT_EQ(lamp.Brightness, 5);
    EXPECT_EQ(lamp.Parts, Lamp::TParts());
}

} // namespace

#include "SetEnumPropertyTest.moc"
