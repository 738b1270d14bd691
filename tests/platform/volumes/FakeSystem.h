#pragma once

// A fake sysfs, /dev, fstab and mount table in a temporary folder.

#include "platform/volumes/VolumeSystem.h"

#include <QString>

namespace fakesys {

// Builds the tree once per call in a fresh folder and returns roots that point into it.
volumes::SystemRoots build();

inline constexpr const char* kRootUuid = "0f3c5e2a-1b2c-4d5e-8f90-123456789abc";

}  // namespace fakesys
