#include "engine/functions.h"
