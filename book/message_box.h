// The program's message boxes: one OK box with the application title as caption. The text
// is also written to the trace, so a headless run shows what the user would have read.
#pragma once

class QWidget;

namespace ossen {

// Shows `text` modally (the caller's timers keep running) and returns when it is closed.
void AppMessageBox(QWidget* parent, const char* text);

}  // namespace ossen
