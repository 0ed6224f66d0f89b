#pragma once

#include <QString>

// Applies the optional skin: the "Pifu" library beside the program (or in an installed copy's
// lib/velomar, or on the system's library path) is handed the skin file "Pifu.she" from the
// program directory (or an installed copy's share/velomar). Every failure is ignored; without a
// skin the window keeps the platform's look.
void Pifu(const QString &programDir);
