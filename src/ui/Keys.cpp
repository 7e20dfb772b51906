#include "ui/Keys.h"

TKeyTable KeyTable;
TAnalyserKeys AnalyserKeys;
