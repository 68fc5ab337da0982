// The program's message boxes: an OK box and a Yes/No box with the application title as
// caption. The text is also written to the trace, so a headless run shows what the user
// would have read.
#pragma once
#include <QPointer>

class QDialog;
class QWidget;

namespace ossen {

// Shows `text` modally (the caller's timers keep running) and returns when it is closed.
void AppMessageBox(QWidget* parent, const char* text);

// The same text with Yes and No buttons: true for Yes. The box is modal to nothing: every
// window of the program keeps working while it waits for the answer (in a message loop of
// its own). Yes is the default button and has the focus on every desktop's button order,
// so Enter answers Yes; Escape answers No, and so does a box closed any other way. It
// belongs to no window, so hiding the book leaves it open; `openBox`, when given, points to
// it while it is open, for the owner that must close it (at the shut-down).
bool AppYesNoBox(const char* text, QPointer<QDialog>* openBox = nullptr);

}  // namespace ossen
