#include "model/Declare.h"
