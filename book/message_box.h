// The program's message boxes: an OK box and a Yes/No box with the application title as
// caption. The text is also written to the trace, so a headless run shows what the user
// would have read.
#pragma once

class QWidget;

namespace ossen {

// Shows `text` modally (the caller's timers keep running) and returns when it is closed.
void AppMessageBox(QWidget* parent, const char* text);

// The same box with Yes and No buttons: true for Yes. A box closed any other way (its
// parent destroyed while it is open) answers No.
bool AppYesNoBox(QWidget* parent, const char* text);

}  // namespace ossen
