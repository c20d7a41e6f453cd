#include "engine/arithmetic.h"
