#include "ui/Keys.h"

TKeyTable KeyTable;
