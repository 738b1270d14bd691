#pragma once

// Opens files and addresses through the desktop (QDesktopServices, xdg-open for a working folder).

#include "platform/ui/ShellOpen.h"

namespace ui {

class QtShellOpener : public ShellOpener {
 public:
  int open(const ShellOpenRequest& request) override;
};

}  // namespace ui
