#pragma once

#include "shell/window_pointer.h"

#include <QCursor>
#include <QIcon>
#include <QWidget>

namespace tw::shell {

// Gives the window, and each option button, check box, frame and label on
// it, the platform's button-face colour as background.
void ApplyButtonFace(QWidget* window);

// The program icon both windows show.
QIcon ProgramIcon();

// Loads a pointer image file (.cur, or any image Qt reads); throws when the
// file cannot be used.
QCursor LoadPointerFile(const QString& path);

// Pointer feedback: over a push button the hand, elsewhere the arrow; the
// busy pointer stays unless `evenWhenBusy`.
void PointerToHand(WindowPointer& pointer);
void PointerToDefault(WindowPointer& pointer, bool evenWhenBusy = false);

// A control without pointer feedback: moving over it changes nothing, and
// its mouse moves do not reach the frame or window beneath it either.
void WithoutPointerFeedback(QWidget* control);

} // namespace tw::shell
