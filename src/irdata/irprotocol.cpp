#include "irprotocol.h"
