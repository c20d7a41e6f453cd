#include "engine/engine.h"
