#include "ui/Main.h"

TFormMain::TFormMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("FormMain");
    setWindowTitle("Harmonova !");
}
