#pragma once

// The program's message and SQL string table, looked up by number.

#include <QString>

#include <cstdint>

// The raw text of a table entry; a number the table lacks raises error 326.
QString LoadResString(int32_t id);

// True when the table has an entry of that number.
bool HasResString(int32_t id);
