#pragma once

// Small shared routines of the skins: in-place picture transforms and the
// text routines the painters use.
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace skin {

// The pixel form the transforms leave behind: three colour bytes a pixel.
constexpr QImage::Format Bitmap24 = QImage::Format_RGB888;

void GrayBitmap(QImage &bitmap);   // each pixel becomes the mean of its three colours
void MirrorBitmap(QImage &bitmap); // left to right
void FlipBitmap(QImage &bitmap);   // top to bottom
void RotateLeft(QImage &bitmap);   // a quarter turn counter-clockwise
void RotateRight(QImage &bitmap);  // a quarter turn clockwise

// Skin texts are 8-bit in code page 1252.
QString AnsiToWide(const QByteArray &text);
// Names and keys compare in lower case, ASCII letters only.
QString AsciiLower(const QString &text);
// The same comparison without making lower-case copies.
bool AsciiEqualNoCase(QStringView a, QStringView b);
// The text of a zero-terminated buffer, at most n characters unless n is -1.
QString WideCopy(const char16_t *buffer, int n);

// Drawing formats for SkinDrawText, with the values the painters pass.
enum TSkinTextFormat : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_END_ELLIPSIS = 0x8000,
};

// Draws Text in Rect with the painter's font and pen. An "&" marks the
// next letter as the accelerator (underlined; "&&" is one "&") unless
// DT_NOPREFIX is given. With DT_CALCRECT nothing is drawn: Rect keeps its
// top-left corner and takes the text's size. Returns the text's height.
int SkinDrawText(QPainter &Painter, const QString &Text, QRect &Rect, unsigned Format);

} // namespace skin
