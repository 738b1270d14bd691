#pragma once

// One row of a property list: a name and its value. Lists are vectors from index 0.

#include <QString>

struct PropItem {
  QString Name;
  QString Value;
};
