#pragma once

// The reminder shown at start while no MIDI output device is chosen: nothing
// would be heard. Its check box lets the user stop it for later starts.
#include <QDialog>

class QCheckBox;
class QLabel;

class TFrmNoMidi : public QDialog {
    Q_OBJECT
public:
    explicit TFrmNoMidi(QWidget *parent = nullptr);

    // The texts of the configured language, then the check box from the setting.
    void FormCreate();
    // Stores the check box in the registry for the next start; the running
    // program keeps the setting it loaded. Throws when the value cannot be written.
    void FormClose();

    QLabel *Label1 = nullptr;
    QCheckBox *RemindMe = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
