#include "skin/Skin.h"

#include "skin/BitmapHelpers.h"
#include "skin/QuickIni.h"
#include "skin/SkinReader.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace skin {

namespace {

// Limits for a picture: no skin needs more than 16 million pixels, and no
// bitmap codes more than 128 pixels in one byte.
constexpr qint64 MaxPicturePixels = 16 * 1024 * 1024;
constexpr qint64 PixelsPerByte = 128;

// A frame count below 1 would divide by zero in every painter; one above
// the largest extent leaves frames no pixel wide.
int32_t AtLeastOneFrame(int32_t frames)
{
    return std::clamp(frames, 1, MaxSkinExtent);
}

// Margins and heights: never below 0, never beyond the largest extent.
int32_t PixelSize(int32_t value)
{
    return std::clamp(value, 0, MaxSkinExtent);
}

// Offsets may point either way.
int32_t Offset(int32_t value)
{
    return std::clamp(value, -MaxSkinExtent, MaxSkinExtent);
}

// Our packer stores 24-bit pictures uncompressed and bottom-up behind the
// 40-byte header. Those are unpacked here in one pass, straight into the
// form and resolution Qt's reader would give them; reading them through Qt
// took most of the skin's loading time. Any other picture comes back null,
// for Qt's reader to take.
QImage PlainTwentyFourBit(QByteArrayView entry)
{
    constexpr qsizetype FileHeader = 14;
    constexpr qsizetype InfoHeader = 40;
    constexpr qsizetype Pixels = FileHeader + InfoHeader;
    if (entry.size() < Pixels)
        return {};
    const auto *bytes = reinterpret_cast<const uchar *>(entry.constData());
    const auto u16 = [bytes](int at) { return qFromLittleEndian<quint16>(bytes + at); };
    const auto u32 = [bytes](int at) { return qFromLittleEndian<quint32>(bytes + at); };
    const auto i32 = [bytes](int at) { return qFromLittleEndian<qint32>(bytes + at); };
    const qint32 width = i32(18);
    const qint32 height = i32(22);
    if (bytes[0] != 'B' || bytes[1] != 'M' || u32(10) != Pixels || u32(14) != InfoHeader || u16(26) != 1 ||
        u16(28) != 24 || u32(30) != 0 || u32(46) != 0 || width <= 0 || height <= 0 ||
        qint64(width) * height > MaxPicturePixels)
        return {};
    const qint64 stride = (qint64(width) * 3 + 3) & ~qint64(3);
    if (Pixels + stride * height > entry.size())
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const uchar *from = bytes + Pixels + stride * (height - 1 - y);
        auto *to = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, from += 3)
            to[x] = qRgb(from[2], from[1], from[0]);
    }
    image.setDotsPerMeterX(i32(38));
    image.setDotsPerMeterY(i32(42));
    return image;
}

class Loader {
public:
    Loader(TSkin &skin, const TQuickIni &ini, const TSkinReader &reader) : s(skin), ini(ini), reader(reader) {}

    void Run()
    {
        s.SkinName = String("TitlebarSkin", "SkinName");
        SideBorders();
        Colours();
        TitleButtons();
        MdiButtons();
        Buttons();
        Title();
        s.Progress = ProgressKind("Progress");
        MenuBar();
        s.GroupBoxEdge = Plain<TDataSkinObject>("GroupBoxEdge");
        s.GroupBox = BoxLabel("GroupBox");
        s.Toolbars = Plain<TDataSkinObject>("Toolbars");
        s.Tabs = Bordered("Tabs", "Border");
        s.StatusBarEdges = Plain<TDataSkinObject>("StatusBarEdges");
        s.ComboButton = Bordered("ComboButton", nullptr);
        if (s.ComboButton && !s.ComboButton->Image.isNull()) {
            s.ComboButton->Image2 = s.ComboButton->Image.convertToFormat(Bitmap24);
            MirrorBitmap(s.ComboButton->Image2);
        }
        s.SunkEdge = Plain<TDataSkinObject>("SunkEdge");
        s.ExtraImages = Plain<TDataSkinObject>("ExtraImages");
        s.Headerbar = Plain<TDataSkinObject>("Headerbar");
        s.MenuItem = Plain<TDataSkinObject>("MenuItem");
        s.MenuBackground = Plain<TDataSkinObject>("MenuBackground");
        s.Scrollbar = Plain<TDataSkinObject>("Scrollbar");
        s.HorzScroll = Plain<TDataSkinObject>("HorzScroll");
        s.VertScroll = Plain<TDataSkinObject>("VertScroll");
        s.HorzScrollThumb = Plain<TDataSkinObject>("HorzScrollThumb");
        s.VertScrollThumb = Plain<TDataSkinObject>("VertScrollThumb");
        s.TrackbarThumbHorz = Plain<TDataSkinObject>("Trackbar.ThumbHorz");
        s.TrackbarThumbVert = Plain<TDataSkinObject>("Trackbar.ThumbVert");
        s.TrackbarThumbLeft = Plain<TDataSkinObject>("Trackbar.ThumbLeft");
        s.TrackbarThumbRight = Plain<TDataSkinObject>("Trackbar.ThumbRight");
        s.TrackbarThumbUp = Plain<TDataSkinObject>("Trackbar.ThumbUp");
        s.TrackbarThumbDown = Plain<TDataSkinObject>("Trackbar.ThumbDown");
        s.UpDownHorz = Bordered("UpDown.Horz", "GlyphImage");
        s.UpDownVert = Bordered("UpDown.Vert", "GlyphImage");
        FrameCounts();
        s.FaceBrush = QBrush(ResolveColor(s.ButtonFaceColor));
    }

private:
    QString String(const QString &section, const QString &key, const QString &def = QString()) const
    {
        return ini.ReadString(section, key, def);
    }
    int Int(const QString &section, const QString &key, int def) const { return ini.ReadInteger(section, key, def); }
    // The numbers the painters add up, brought into their range as they are
    // read.
    int32_t Size(const QString &section, const QString &key, int def) const
    {
        return PixelSize(Int(section, key, def));
    }
    int32_t Shift(const QString &section, const QString &key, int def) const { return Offset(Int(section, key, def)); }
    TColor Colour(const QString &section, const QString &key, TColor def) const
    {
        return ColorFromText(String(section, key), def);
    }
    QImage Image(const QString &section, const QString &key) const
    {
        return LoadSkinImage(reader, String(section, key));
    }
    bool Has(const QString &section, const QString &key) const { return !String(section, key).isEmpty(); }

    void SideBorders()
    {
        const struct {
            TDataSkinBorder *border;
            const char *name;
            bool across; // top and bottom: the fixed ends lie left and right
        } sides[] = {{s.LeftBorder.get(), "Left", false},
                     {s.RightBorder.get(), "Right", false},
                     {s.TopBorder.get(), "Top", true},
                     {s.BottomBorder.get(), "Bottom", true}};
        for (const auto &side : sides) {
            TDataSkinBorder &b = *side.border;
            const QString n = QString::fromLatin1(side.name);
            b.Image = Image("Personality", n);
            b.FrameCount = Int("Personality", n + "Frame", 1);
            b.Tile = Int("Personality", n + "Stretch", 1);
            b.Trans = Int("Personality", n + "Trans", 1);
            const int first = Size("Personality", n + "TopHeight", 0);
            const int last = Size("Personality", n + "BotHeight", 0);
            b.LeftWidth = side.across ? first : 0;
            b.RightWidth = side.across ? last : 0;
            b.TopHeight = side.across ? 0 : first;
            b.BottomHeight = side.across ? 0 : last;
        }
    }

    void Colours()
    {
        const QString c = QStringLiteral("Colours");
        s.WindowTextColor = Colour(c, "WindowText", SystemColor(COLOR_WINDOWTEXT));
        s.ButtonFaceColor = Colour(c, "ButtonFace", SystemColor(COLOR_BTNFACE));
        s.ScrollbarColor = Colour(c, "Scrollbar", SystemColor(COLOR_SCROLLBAR));
        s.HilightTextColor = Colour(c, "HilightText", SystemColor(COLOR_HIGHLIGHTTEXT));
        s.HilightColor = Colour(c, "Hilight", SystemColor(COLOR_HIGHLIGHT));
        s.MenubarColor = Colour(c, "Menubar", s.ButtonFaceColor);
        s.MenuColor = Colour(c, "Menu", SystemColor(COLOR_MENU));
        s.MenuTextColor = Colour(c, "MenuText", SystemColor(COLOR_MENUTEXT));
        s.ButtonTextColor = Colour(c, "ButtonText", SystemColor(COLOR_BTNTEXT));
        s.ButtonHilightColor = Colour(c, "ButtonHilight", SystemColor(COLOR_BTNHIGHLIGHT));
        s.ButtonLightColor = Colour(c, "Buttonlight", SystemColor(COLOR_BTNHIGHLIGHT));
        s.ButtonShadowColor = Colour(c, "ButtonShadow", SystemColor(COLOR_BTNSHADOW));
        s.ButtonDkShadowColor = Colour(c, "ButtonDkShadow", SystemColor(COLOR_3DDKSHADOW));
        s.MenuBarTextColor = Colour(c, "MenuBarText", SystemColor(COLOR_MENUTEXT));
        s.TitleTextActiveColor = Colour(c, "TitleTextActive", SystemColor(COLOR_CAPTIONTEXT));
        s.TitleTextNoActiveColor = Colour(c, "TitleTextNoActive", SystemColor(COLOR_INACTIVECAPTIONTEXT));

        QStringList sections;
        ini.ReadSections(&sections);
        s.Colors.clear();
        for (const QString &section : sections) {
            const QString upper = section.toUpper();
            if (upper.startsWith(QLatin1String("COLOUR")) && upper != QLatin1String("COLOURS"))
                s.Colors.append(Colour(section, "color", SystemColor(COLOR_WINDOWTEXT)));
        }
        for (int i = 0; i < 10; ++i)
            s.CustomColors[i] = Colour("Customcolors", QStringLiteral("Color%1").arg(i), 0xFFFFFF);
    }

    void TitleButtons()
    {
        s.TitleButtons.clear();
        QStringList sections;
        ini.ReadSections(&sections);
        for (const QString &section : sections) {
            const QString name = section.toUpper();
            if (!name.startsWith(QLatin1String("BUTTON")) || name == QLatin1String("BUTTONS") ||
                name == QLatin1String("BUTTON.RADIO") || name == QLatin1String("BUTTON.CHECKBOX") ||
                name == QLatin1String("BUTTON"))
                continue;
            const int action = Int(name, "Action", 0);
            if (action == -1 && Int(name, "Visibility", -1) != 0)
                continue;
            auto b = std::make_unique<TDataSkinSysButton>(name);
            b->Action = action;
            b->Align = Int(name, "Align", 0);
            b->XCoord = Shift(name, "Xcoord", 0);
            b->YCoord = Shift(name, "Ycoord", 0);
            b->Visibility = Int(name, "Visibility", 0);
            b->Visibility1 = Int(name, "Visibility1", action == -1 ? -1 : 0);
            b->CombineOp = Int(name, "CombineOp", -1);
            b->FrameCount = Int(name, "frame", 0);
            b->Image = Image(name, "ButtonImage");
            if (b->FrameCount == 0) {
                b->FrameCount = 6;
                if (!b->Image.isNull())
                    b->FrameCount = double(b->Image.width()) / b->Image.height() <= 3.8 ? 3 : 6;
                if (b->Action < 0)
                    b->FrameCount = 6;
                if (b->Action == 3 || b->Action == 11)
                    b->Image = QImage(); // drawn from the window's own icon
            }
            b->FrameCount = AtLeastOneFrame(b->FrameCount);
            s.TitleButtons.push_back(std::move(b));
        }
    }

    // The minimise, restore and close buttons of a maximised child window:
    // the picture holds four frames for each, side by side.
    void MdiButtons()
    {
        const QImage source = Image("MDICONTROLS", "Image");
        for (int i = 0; i < 3; ++i) {
            auto b = std::make_unique<TDataSkinSysButton>(QStringLiteral("MDICONTROLS"));
            b->Action = 7 + i;
            b->Align = 100;
            b->Visibility = 100;
            b->Visibility1 = 100;
            b->FrameCount = 4;
            if (!source.isNull()) {
                const int a = source.width() / 12;
                if (a > 0)
                    b->Image = source.copy(4 * a * i, 0, 4 * a, source.height());
                b->XCoord = (a + 4) * (3 - i);
            }
            s.TitleButtons.push_back(std::move(b));
        }
    }

    void ReadMargins(TDataSkinObject &e, const QString &section)
    {
        e.LeftWidth = Size(section, "LeftWidth", 0);
        e.RightWidth = Size(section, "RightWidth", 0);
        e.TopHeight = Size(section, "TopHeight", 0);
        e.BottomHeight = Size(section, "BottomHeight", 0);
    }

    // The keys every plain element section may carry.
    void ReadPlain(TDataSkinObject &e, const QString &section, bool style)
    {
        if (style)
            e.Style = Int(section, "Style", 0);
        ReadMargins(e, section);
        e.Trans = Int(section, "Trans", 0);
        e.Tile = Int(section, "Tile", 0);
        e.NormalColour = Int(section, "NormalColour", -1);
        e.MouseOverColour = Int(section, "MouseOverColour", -1);
        e.PressedColour = Int(section, "PressedColour", -1);
        e.NormalColour2 = Colour(section, "NormalColour2", s.ButtonTextColor);
        e.MouseOverColour2 = Colour(section, "MouseOverColour2", s.ButtonTextColor);
        e.PressedColour2 = Colour(section, "PressedColour2", s.ButtonTextColor);
        if (e.Tile > 1)
            e.Tile = 0;
    }

    template <typename T> std::unique_ptr<T> Plain(const QString &section)
    {
        if (!Has(section, "Image"))
            return nullptr;
        auto e = std::make_unique<T>(section);
        e->Image = Image(section, "Image");
        ReadPlain(*e, section, true);
        return e;
    }

    std::unique_ptr<TDataSkinBoxLabel> BoxLabel(const QString &section)
    {
        auto e = Plain<TDataSkinBoxLabel>(section);
        if (e) {
            e->BackgroundAlignment = Int(section, "BackgroundAlignment", 0);
            e->BackgroundLeftShift = Shift(section, "BackgroundLeftShift", 0);
            e->BackgroundRightShift = Shift(section, "BackgroundRightShift", 0);
        }
        return e;
    }

    std::unique_ptr<TDataSkinBorder> Bordered(const QString &section, const char *secondKey)
    {
        if (!Has(section, "Image"))
            return nullptr;
        auto e = std::make_unique<TDataSkinBorder>(section);
        e->Image = Image(section, "Image");
        if (secondKey != nullptr && Has(section, secondKey))
            e->Image2 = Image(section, secondKey);
        ReadPlain(*e, section, false);
        return e;
    }

    std::unique_ptr<TDataSkinBorder> ProgressKind(const QString &section)
    {
        if (!Has(section, "Bitmap"))
            return nullptr;
        auto e = std::make_unique<TDataSkinBorder>(section);
        e->Image = Image(section, "Bitmap");
        if (Has(section, "Chunk"))
            e->Image2 = Image(section, "Chunk");
        e->Style = Int(section, "Style", 0);
        ReadMargins(*e, section);
        e->Trans = Int(section, "Trans", 0);
        e->Tile = Int(section, "Tile", 0);
        return e;
    }

    void Buttons()
    {
        const QString b = QStringLiteral("Buttons");
        TDataSkinButton &d = *s.ButtonData;
        ReadMargins(d, b);
        d.Trans = Int(b, "Trans", 0);
        d.Image = Image(b, "Bitmap");
        d.Tile = Int(b, "Tile", 0);
        d.CheckImage = Image(b, "CheckButton");
        d.RadioImage = Image(b, "RadioButton");
        d.NormalColour = Int(b, "NormalColour", -1);
        d.MouseOverColour = Int(b, "MouseOverColour", -1);
        d.PressedColour = Int(b, "PressedColour", -1);
        d.RadioButtonFrame = Int(b, "RadioButtonFrame", 0);
        d.CheckButtonFrame = Int(b, "CheckButtonFrame", 0);
        d.HasNormalColour2 = Has(b, "NormalColour2");
        d.HasMouseOverColour2 = Has(b, "MouseOverColour2");
        d.HasPressedColour2 = Has(b, "PressedColour2");
        d.NormalColour2 = Colour(b, "NormalColour2", s.ButtonTextColor);
        d.MouseOverColour2 = Colour(b, "MouseOverColour2", s.ButtonTextColor);
        d.PressedColour2 = Colour(b, "PressedColour2", s.ButtonTextColor);
    }

    // A caption text colour is given as three keys; it counts only when all
    // three are there.
    TColor TextColour(const QString &key) const
    {
        const int r = Int("Personality", key + "R", -1);
        const int g = Int("Personality", key + "G", -1);
        const int b = Int("Personality", key + "B", -1);
        if (r < 0 || g < 0 || b < 0)
            return NoColor;
        return RgbColor(r % 256, g % 256, b % 256);
    }

    void Title()
    {
        const QString p = QStringLiteral("Personality");
        TDataSkinTitle &t = *s.TitleData;
        t.Image = Image(p, "TextBack");
        t.TextShift() = Shift(p, "TextShift", 0);
        t.TextShiftVert() = Shift(p, "TextShiftVert", 0);
        t.TextRightClip() = Shift(p, "TextRightClip", 0);
        t.BottomHeight = 0;
        t.TextAlignment = Int(p, "TextAlignment", 0);
        t.Textbackground = Int(p, "Textbackground", 0);
        t.FontHeight = Size("Fonts", "FontHeight", 14);
        t.TXTBackleft = Size(p, "TXTBackleft", 0);
        t.TXTBackRight = Size(p, "TXTBackRight", 0);
        t.ActiveTextColor = TextColour("ActiveText");
        t.InActiveTextColor = TextColour("InActiveText");
    }

    void MenuBar()
    {
        if (!Has("Personality", "menuBar")) {
            s.MenuBar = nullptr;
            return;
        }
        s.MenuBar = std::make_unique<TDataSkinObject>(QStringLiteral("MenuBar"));
        s.MenuBar->Image = Image("Personality", "menuBar");
        s.MenuBar->Tile = Int("Personality", "TileMenu", 0);
        s.MenuBar->LeftWidth = Size("Personality", "TileLeftMenu", 1);
        s.MenuBar->RightWidth = Size("Personality", "TileRightMenu", 1);
    }

    // Radio and check pictures hold their states side by side, 13 or 16
    // pixels apiece by the picture's height.
    static int32_t MarkFrames(int32_t read, const QImage &image)
    {
        if (read != 0)
            return AtLeastOneFrame(read);
        const int cell = image.height() < 16 ? 13 : 16;
        return std::max(image.width() / cell, 4);
    }

    void FrameCounts()
    {
        const auto set = [](auto &element, int32_t frames) {
            if (element)
                element->FrameCount = frames;
        };
        s.ButtonData->FrameCount = 5;
        s.ButtonData->RadioButtonFrame = MarkFrames(s.ButtonData->RadioButtonFrame, s.ButtonData->RadioImage);
        s.ButtonData->CheckButtonFrame = MarkFrames(s.ButtonData->CheckButtonFrame, s.ButtonData->CheckImage);
        s.TitleData->FrameCount = 2;
        set(s.Progress, 2);
        set(s.MenuBar, 2);
        set(s.GroupBoxEdge, 2);
        set(s.StatusBarEdges, 3);
        for (auto *e : {&s.SunkEdge, &s.HorzScroll, &s.VertScroll})
            set(*e, 4);
        set(s.ComboButton, 4);
        set(s.Tabs, 5);
        for (auto *e :
             {&s.Toolbars, &s.ExtraImages, &s.Headerbar, &s.MenuItem, &s.TrackbarThumbHorz, &s.TrackbarThumbVert,
              &s.TrackbarThumbLeft, &s.TrackbarThumbRight, &s.TrackbarThumbUp, &s.TrackbarThumbDown})
            set(*e, 5);
        set(s.GroupBox, 1);
        set(s.MenuBackground, 1);
        set(s.UpDownHorz, 8);
        set(s.UpDownVert, 8);
        set(s.Scrollbar, 23);
        set(s.HorzScrollThumb, AtLeastOneFrame(Int("HorzScrollThumb", "FrameCount", 3)));
        set(s.VertScrollThumb, AtLeastOneFrame(Int("VertScrollThumb", "FrameCount", 3)));
        for (auto *b : {s.LeftBorder.get(), s.RightBorder.get(), s.TopBorder.get(), s.BottomBorder.get()})
            b->FrameCount = AtLeastOneFrame(b->FrameCount);
    }

    TSkin &s;
    const TQuickIni &ini;
    const TSkinReader &reader;
};

} // namespace

TSkin::TSkin()
    : LeftBorder(std::make_unique<TDataSkinBorder>(QStringLiteral("Left"))),
      RightBorder(std::make_unique<TDataSkinBorder>(QStringLiteral("Right"))),
      TopBorder(std::make_unique<TDataSkinBorder>(QStringLiteral("Top"))),
      BottomBorder(std::make_unique<TDataSkinBorder>(QStringLiteral("Bottom"))),
      ButtonData(std::make_unique<TDataSkinButton>(QStringLiteral("Buttons"))),
      TitleData(std::make_unique<TDataSkinTitle>(QStringLiteral("Title")))
{
}

void TSkin::LoadSkinElements(const TQuickIni &Ini, const TSkinReader &Reader)
{
    Loader(*this, Ini, Reader).Run();
}

void TSkin::TakeFrom(TSkin &&loaded)
{
    // Each lasting element of ours takes the loaded contents and stands in
    // the loaded skin's place, to come back with everything else.
    const auto keep = [](auto &ours, auto &theirs) {
        *ours = std::move(*theirs);
        theirs = std::move(ours);
    };
    keep(LeftBorder, loaded.LeftBorder);
    keep(RightBorder, loaded.RightBorder);
    keep(TopBorder, loaded.TopBorder);
    keep(BottomBorder, loaded.BottomBorder);
    keep(ButtonData, loaded.ButtonData);
    keep(TitleData, loaded.TitleData);
    *this = std::move(loaded);
}

TColor ColorFromText(const QString &text, TColor Default)
{
    const QString t = text.trimmed();
    if (text.isEmpty())
        return Default;
    int parts[3] = {0, 0, 0};
    int found = 0;
    int value = 0;
    bool inRun = false;
    for (qsizetype i = 0; i <= t.size() && found < 3; ++i) {
        const bool digit = i < t.size() && t[i] >= u'0' && t[i] <= u'9';
        if (digit) {
            // Modulo 256 as the digits come, so no run is too long.
            value = (value * 10 + (t[i].unicode() - u'0')) % 256;
            inRun = true;
            continue;
        }
        if (inRun) {
            const bool endsText = i == t.size();
            if (!endsText || found == 2)
                parts[found++] = value;
        }
        value = 0;
        inRun = false;
    }
    return RgbColor(parts[0], parts[1], parts[2]);
}

QImage LoadSkinImage(const TSkinReader &Reader, const QString &value)
{
    const qsizetype cut = std::max(value.lastIndexOf(u'\\'), value.lastIndexOf(u':'));
    const QString fileName = value.mid(cut + 1);
    if (fileName.isEmpty() || !fileName.endsWith(QLatin1String(".bmp")))
        return {};
    const QByteArrayView view = Reader.EntryView(fileName);
    if (view.isEmpty())
        return {};
    if (QImage plain = PlainTwentyFourBit(view); !plain.isNull())
        return plain;
    QByteArray entry = view.toByteArray();
    // A damaged header may claim a picture far larger than its bytes could
    // fill; such a picture is refused before anything is allocated for it.
    QBuffer buffer(&entry);
    buffer.open(QIODevice::ReadOnly);
    QImageReader bmp(&buffer, "BMP");
    bmp.setAutoDetectImageFormat(false);
    const QSize size = bmp.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    if (!size.isValid() || pixels > MaxPicturePixels || pixels > PixelsPerByte * entry.size())
        return {};
    QImage image;
    if (!bmp.read(&image))
        return {};
    return image;
}

} // namespace skin
