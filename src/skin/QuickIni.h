#pragma once

// Reads a skin description once into memory and answers lookups by
// section and key. Sections match without letter case, keys are kept in
// lower case; the first of repeated sections or keys wins.
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace skin {

class TQuickIni {
public:
    // Reads the rest of Stream as 8-bit text (code page 1252); without a
    // stream nothing changes.
    void LoadFromStream(QIODevice *Stream);
    // Index in Lines of the first header "[Name]", or -1.
    int SectionIndex(const QString &Name) const;
    QString ReadString(const QString &Section, const QString &Key, const QString &Default) const;
    // Decimal, or hexadecimal after "$", "0x" or "0X"; Default when the
    // text is no number.
    int ReadInteger(const QString &Section, const QString &Key, int Default) const;
    // Section names without brackets, in text order. Throws without a list.
    void ReadSections(QStringList *Strings) const;

    QStringList Lines;       // kept lines, trimmed
    QStringList Sections;    // header lines as written
    QList<int> SectionLines; // each header's index in Lines

    // The text to number rule of ReadInteger, on its own.
    static bool ToInteger(const QString &text, int &value);
};

} // namespace skin
