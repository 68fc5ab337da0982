#include "book/message_box.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>

#include "book/program_strings.h"
#include "platform/base/trace.h"
#include "res/program/program_resources.h"

namespace ossen {

void AppMessageBox(QWidget* parent, const char* text) {
  Trace("message box: %s", text);
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ProgramString(kStringAppTitle)),
                  QString::fromLatin1(text), QMessageBox::Ok, parent);
  box.exec();
}

bool AppYesNoBox(const char* text, QPointer<QDialog>* openBox) {
  Trace("question box: %s", text);
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(ProgramString(kStringAppTitle)),
                  QString::fromLatin1(text), QMessageBox::Yes | QMessageBox::No);
  if (openBox != nullptr) *openBox = &box;
  QAbstractButton* yes = box.button(QMessageBox::Yes);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  // Not exec(): that would make the box application-modal and block the book and the tray.
  box.setWindowModality(Qt::NonModal);
  QEventLoop loop;
  QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
  box.show();
  // Some desktops' button order puts No first, and the first button would take the focus.
  yes->setFocus(Qt::OtherFocusReason);
  box.raise();
  box.activateWindow();
  loop.exec(QEventLoop::DialogExec);
  if (openBox != nullptr) *openBox = nullptr;
  const bool answeredYes = box.clickedButton() == yes;
  Trace("question answered %s", answeredYes ? "Yes" : "No");
  return answeredYes;
}

}  // namespace ossen
