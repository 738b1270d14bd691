#pragma once

// The program's own icon, drawn from zuvrax.svg beside the program.

// Makes it the application's window icon, drawn at every size window frames, task bars and
// the about window ask for, so each window shows it without setting one of its own. Leaves
// the icon alone when the file is missing or holds no picture.
void InstallProgramIcon();
