#pragma once

// Qt's own texts in the program's language: the file dialogs, the standard
// buttons of its dialogs, its file and picture error texts. They follow the
// language as it changes, like the windows' own texts.
#include <QTranslator>

namespace ui {

class TQtTranslation {
public:
    TQtTranslation() = default;
    TQtTranslation(const TQtTranslation &) = delete;
    TQtTranslation &operator=(const TQtTranslation &) = delete;

    // French for Language 2, else Qt's own English. Without Qt's French
    // catalogue on the system the texts stay English.
    void Apply(int language);

private:
    QTranslator FFrench;
    bool FInstalled = false;
};

} // namespace ui
