#pragma once

// The pictures of the windows' tool buttons, drawn as shapes at the size
// and scale they are shown at, so that they stay crisp on any screen.

#include <QIcon>

enum class ToolIcon { Undo, Cut, Copy, Paste, Delete, AlignLeft, AlignCenter, AlignRight, Bullets, Bold, Italic, Underline, Advice };

QIcon toolIcon(ToolIcon which);
