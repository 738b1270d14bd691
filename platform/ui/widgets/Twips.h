#pragma once

// Kept for code that still includes the old place; the conversions live in platform/ui.
#include "platform/ui/Twips.h"
