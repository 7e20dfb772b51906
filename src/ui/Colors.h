#pragma once

#include <QColor>

#include <cstdint>

// Colours are stored as 32-bit $00BBGGRR values (red in the low byte), the
// form the settings and the window tables use. These two functions are the
// only place that converts between that form and QColor.
QColor ColorFromBgr(uint32_t bgr);
uint32_t BgrFromColor(const QColor &color);
