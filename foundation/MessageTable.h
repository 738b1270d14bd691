#pragma once

// The program's message and SQL string table, looked up by number.

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>

// The raw text of a table entry; a number the table lacks raises error 326.
QString LoadResString(int32_t id);

// True when the table has an entry of that number.
bool HasResString(int32_t id);

// Fills the "##" placeholders of text in order, one per value. Each value takes the first "##"
// after what was put in before it, so a "##" inside a value is never taken; a nullopt keeps its
// "##" and the next value goes on to the one after it.
QString FillPlaceholders(QString text, std::initializer_list<std::optional<QString>> values);
