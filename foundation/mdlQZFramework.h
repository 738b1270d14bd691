#pragma once

// Writing a text into a file and reading the mouse position.

#include <QString>
#include <QtGlobal>

#include <cstdint>

// Writes data (UTF-8) into the file at path. Position 0 replaces the file's whole content,
// which needs overwrite when the file exists (else message 513); position 1 or more writes at
// that byte (1 = first byte) of an existing file, keeping the bytes around it and extending the
// file when needed, or creates a missing file at position 1 (a missing file at a later position
// gives message 514, as does a negative position). The new content goes to a temporary file in
// the same folder that replaces the old file only when complete, so a failure never loses the
// old file. A read-only file loses its read-only state when it is replaced. Raises on failure.
void File_Put(const QString& path, const QString& data, int32_t position, bool overwrite);

// The mouse position in screen coordinates, or in the client coordinates of the window with the
// given handle, in pixels or twips. False, with x and y unchanged, when the position (or the
// window) is not to be had.
bool MousePositionGet(quintptr hWnd, int32_t& x, int32_t& y, bool client, bool twips);
