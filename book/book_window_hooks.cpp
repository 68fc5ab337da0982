// Placeholders until the book window's rows land: the schedule calls these members, and
// the book window's rows and fields give them their real work.
#include "book/book_dialog.h"

namespace ossen {

int BookDialog::CommitSlotEdit() { return 0; }

void BookDialog::SelectSlot() {}

void BookDialog::DrawSlotPage() { update(); }

void BookDialog::FocusContentButton() {}

bool BookDialog::IsRandomTicked() const { return false; }

}  // namespace ossen
