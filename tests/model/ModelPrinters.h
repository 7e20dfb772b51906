#pragma once

// Readable failure messages for the model's Qt values. Internal linkage, so
// other test files are free to print QString their own way.
#include <QString>

#include <ostream>

[[maybe_unused]] static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
