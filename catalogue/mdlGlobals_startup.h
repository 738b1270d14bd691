#pragma once

// Core steps of start-up: the catalogue named on the command line, the check for the workgroup
// file and the list of optical drives.

#include <QString>
#include <QStringList>

// The catalogue path of the command line (its first argument after the program), made absolute,
// or empty. It counts only when it contains a "/" and names an existing file; anything else is
// ignored silently. Further arguments are ignored.
QString GetCommandLineFile();
QString GetCommandLineFile(const QStringList& arguments);

// Raises message 196 when the workgroup file beside the program is missing.
void CheckFiles();

// Fills gCDDrives with the optical drives: each drive's mount point with "/" (its fstab place
// when no disc is in), or its device when it has neither.
void CDCollection();
