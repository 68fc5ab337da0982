#include "book/message_box.h"

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

bool AppYesNoBox(QWidget* parent, const char* text) {
  Trace("question box: %s", text);
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(ProgramString(kStringAppTitle)),
                  QString::fromLatin1(text), QMessageBox::Yes | QMessageBox::No, parent);
  const bool yes = box.exec() == QMessageBox::Yes;
  Trace("question answered %s", yes ? "Yes" : "No");
  return yes;
}

}  // namespace ossen
