#pragma once

// What the owner of a volume reader (the new-volume wizard) hears from it while it reads.
// The owner may call the reader's Cancel from inside Status: the reader pumps the message
// queue, so a Cancel button works mid-read, and the cancel is honoured at the next entry.

#include <QString>

class QObject;

class pReaderOwner {
 public:
  virtual ~pReaderOwner() = default;
  // A progress text of a few lines; an empty text clears it.
  virtual void Status(const QString& text) = 0;
  // The window whose input stays live while the read blocks every other command (the one
  // with the Cancel button); none by default.
  virtual QObject* AllowedWindow() { return nullptr; }
};
